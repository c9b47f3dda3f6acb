#include "core/modal.h"

ModalScreen modal_screen;

bool modal_screen_open() { return modal_screen.kind != ModalKind::NONE; }

ModalScreen& open_modal_screen(ModalKind kind, ModalStep step, ModalEnd then, int arg)
{
    modal_screen = ModalScreen{};
    modal_screen.kind = kind;
    modal_screen.step = step;
    modal_screen.then = then;
    modal_screen.arg = arg;
    return modal_screen;
}

void step_modal_screen(Session& session, bool quit)
{
    if (!modal_screen_open() || !modal_screen.step(session, modal_screen, quit))
        return;
    // Taken down before the end action, which may put up the next screen.
    const ModalEnd then = modal_screen.then;
    const int arg = modal_screen.arg;
    modal_screen.kind = ModalKind::NONE;
    if (then)
        then(session, arg);
}
