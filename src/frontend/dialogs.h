// The modal prompts of the main menu: the player's name and the key
// bindings. Each puts up a modal screen that the frame loop steps; what
// follows the prompt is its end action.
#pragma once

#include "core/modal.h"

// Edits value (at most max_length characters) behind prompt on the line at
// y 468; Return or keypad Enter stores it, Escape keeps the old text. Then
// then(0) runs.
void text_entry(char* value, int max_length, const char* prompt, ModalEnd then);
void enter_player_name(ModalEnd then);
// Asks for the six keys, one a batch of events, and stores them in the
// configuration. Then then(stored) runs: 0 when they could not be stored
// (errno says why; they are in use all the same), 1 when stored or when
// cancelled with Escape (all six as they were).
void remap_keys(ModalEnd then);
