#include "core/script.h"

#include <SDL/SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/frame.h"
#include "core/input.h"
#include "core/settings.h"
#include "frontend/modes.h"
#include "game/game.h"

namespace {

enum class Action { Press, Down, Up };

struct ScriptLine {
    long frame;   // -1: in the next modal wait
    Action action;
    int key;
};

std::vector<ScriptLine> lines;
size_t next_line;
bool active, fast;
long frames_run;
ModeHandler traced_mode;
int traced_level = -1;

void push_key(int key, bool down)
{
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.sym = static_cast<SDLKey>(key);
    SDL_PushEvent(&e);
}

const char* mode_name(ModeHandler m)
{
    if (m == demo_handler)
        return "demo";
    if (m == play_handler)
        return "play";
    if (m == main_menu_handler)
        return "menu";
    return "other";
}

} // namespace

void reset_script()
{
    lines.clear();
    next_line = 0;
    active = false;
    frames_run = 0;
}

bool load_script()
{
    reset_script();
    script_event_source = inject_script_events;
    const char* f = getenv("VORBIX_FAST");
    fast = f && *f && strcmp(f, "0") != 0;
    const char* path = getenv("VORBIX_SCRIPT");
    if (!path || !*path)
        return true;
    FILE* file = fopen(path, "r");
    if (!file) {
        fprintf(stderr, "Cannot read the script %s\n", path);
        return false;
    }
    char text[128];
    int number = 0;
    while (fgets(text, sizeof text, file)) {
        number++;
        char word[16];
        long frame;
        int key;
        if (text[0] == '#' || text[0] == '\n')
            continue;
        auto action = [](const char* w) {
            return !strcmp(w, "down") ? Action::Down : (!strcmp(w, "up") ? Action::Up : Action::Press);
        };
        auto known = [](const char* w) { return !strcmp(w, "press") || !strcmp(w, "down") || !strcmp(w, "up"); };
        if (sscanf(text, "modal %15s %d", word, &key) == 2 && known(word)) {
            lines.push_back({-1, action(word), key});
        } else if (sscanf(text, "modal %d", &key) == 1) {
            lines.push_back({-1, Action::Press, key});
        } else if (sscanf(text, "%ld %15s %d", &frame, word, &key) == 3 && known(word)) {
            lines.push_back({frame, action(word), key});
        } else {
            fprintf(stderr, "%s:%d: not a script line\n", path, number);
            fclose(file);
            return false;
        }
    }
    fclose(file);
    active = true;
    return true;
}

bool fast_frames() { return fast; }

void inject_script_events(bool in_frame)
{
    if (!active)
        return;
    while (next_line < lines.size()) {
        const ScriptLine& l = lines[next_line];
        const bool modal = l.frame < 0;
        if (modal ? in_frame : l.frame > frames_run)
            return;
        if (l.action != Action::Up)
            push_key(l.key, true);
        if (l.action != Action::Down)
            push_key(l.key, false);
        next_line++;
        if (modal)
            return;   // one modal line a wait: each is its own batch
    }
}

void trace_frame()
{
    frames_run++;
    if (!active)
        return;
    if (mode_handler != traced_mode || current_level != traced_level) {
        traced_mode = mode_handler;
        traced_level = current_level;
        fprintf(stderr, "frame %ld: %s level %d\n", frames_run, mode_name(traced_mode), traced_level);
    }
}
