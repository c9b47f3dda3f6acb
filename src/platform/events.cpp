#include "platform/events.h"

#include <SDL/SDL.h>

bool next_event(InputEvent& event)
{
    SDL_Event e;
    if (!SDL_PollEvent(&e))
        return false;
    event = InputEvent{};
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        event.kind = e.type == SDL_KEYDOWN ? InputKind::KEY_DOWN : InputKind::KEY_UP;
        event.key = e.key.keysym.sym;
        event.mod = uint16_t(e.key.keysym.mod);
        break;
    case SDL_MOUSEMOTION:
        event.kind = InputKind::POINTER_MOTION;
        event.x = e.motion.x;
        event.y = e.motion.y;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        event.kind = e.type == SDL_MOUSEBUTTONDOWN ? InputKind::BUTTON_DOWN : InputKind::BUTTON_UP;
        event.x = e.button.x;
        event.y = e.button.y;
        event.button = e.button.button;
        break;
    case SDL_JOYAXISMOTION:
        event.kind = InputKind::JOY_AXIS;
        event.axis = e.jaxis.axis;
        event.value = e.jaxis.value;
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        event.kind = e.type == SDL_JOYBUTTONDOWN ? InputKind::JOY_BUTTON_DOWN : InputKind::JOY_BUTTON_UP;
        event.button = e.jbutton.button;
        break;
    case SDL_QUIT:
        event.kind = InputKind::QUIT;
        break;
    case SDL_USEREVENT:
        event.kind = InputKind::TICK;
        break;
    default:
        event.kind = InputKind::OTHER;
        break;
    }
    return true;
}

void queue_key_event(int32_t key, bool down, uint16_t mod)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = static_cast<SDLKey>(key);
    e.key.keysym.mod = static_cast<SDLMod>(mod);
    SDL_PushEvent(&e);
}

void queue_pointer_motion(int x, int y, int dx, int dy, uint8_t buttons)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.state = buttons;
    e.motion.x = uint16_t(x);
    e.motion.y = uint16_t(y);
    e.motion.xrel = int16_t(dx);
    e.motion.yrel = int16_t(dy);
    SDL_PushEvent(&e);
}

void queue_button_event(int button, bool down, int x, int y)
{
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.button = uint8_t(button);
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = uint16_t(x);
    e.button.y = uint16_t(y);
    SDL_PushEvent(&e);
}
