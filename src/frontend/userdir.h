// The user directory in the home directory and the paths composed in it.
#pragma once

#include "core/settings.h"


// First start: creates the directory (0700), copies the archive from the
// data path list and writes the configuration. Ends the process with
// status 1 when it cannot.
void setup_user_dir();
// Copies source over destination, which appears whole or not at all.
// 0 on success; -1 source cannot be opened, -2 destination cannot be
// created, -3 a read or write failed (destination is then as it was).
int copy_file(const char* source, const char* destination);
// Writes the 16 bytes of player_name to "player.nam".
bool write_player_name();
