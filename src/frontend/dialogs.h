// The modal prompts of the main menu: the player's name and the key bindings.
#pragma once

// Edits value (at most max_length characters) behind prompt on the line at
// y 468; Return or keypad Enter stores it, Escape keeps the old text.
void text_entry(char* value, int max_length, const char* prompt);
void enter_player_name();
// True when a key was stored into binding, false when cancelled with Escape.
bool prompt_key(const char* label, int* binding);
// Asks for the six keys and stores them in the configuration. False when
// they could not be stored (errno says why); they are in use all the same.
bool remap_keys();
