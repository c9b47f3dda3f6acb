// The user directory in the home directory and the paths composed in it.
#pragma once

#include "core/settings.h"


// First start: creates the directory (0700), copies the archive from the
// data path list and writes the configuration. Ends the process with
// status 1 when it cannot, saying why on stdout and in the log. Takes the
// user directory's lock first: when another game holds it, user_dir_in_use
// is set and nothing is written, the log included (held until then, see
// hold_log).
void setup_user_dir();
// The user directory's lock, one record because the run has one directory.
struct UserDirLock {
    // The open user directory, locked for the whole run: two games on one
    // directory would overwrite each other's results and settings.
    int fd = -1;
    // Another game runs on the same user directory (it holds the lock):
    // this one writes nothing there and ends after saying so.
    bool in_use;
};
extern UserDirLock user_dir_lock;
inline constexpr auto& user_dir_in_use = user_dir_lock.in_use;
// Copies source over destination, which appears whole or not at all.
// False when the source cannot be opened, the destination cannot be
// created or a read or write failed (the destination is then as it was),
// with errno saying why.
bool copy_file(const char* source, const char* destination);
// Writes the 16 bytes of player_name to "player.nam".
bool write_player_name();
