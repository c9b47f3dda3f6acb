// The configuration file: key=value lines for the four artwork names, the
// six movement and digging keys and the level editor's search budget.
#pragma once
#include <cstdint>

#include "core/settings.h"

constexpr int CONFIG_TEXT_SIZE = 1024;   // at most 1023 bytes are read
constexpr int CONFIG_KEY_LETTERS = 15;
// The longest artwork name kept: with it the eleven lines write_config writes
// (at most 161 bytes besides the names) always fit in what read_config reads.
constexpr int ARTWORK_NAME_MAX = 200;

// The longest file taken for a configuration (only CONFIG_TEXT_SIZE - 1
// bytes of it are read as settings).
constexpr int CONFIG_FILE_MAX = 64 * 1024;

// The configuration file's full path; false when it does not fit.
bool config_path(char* out);
// A name the user gives for a file in the user directory (an artwork name,
// the -c configuration): a plain file name, no folder part, not "." or "..",
// and not the archives or the player's name.
bool plain_user_file_name(const char* name);
// Whether the file at path reads as a configuration: text of at most
// CONFIG_FILE_MAX bytes, no control characters besides line ends and tabs,
// and (unless empty) at least one line that sets a setting. A file that is
// not is never overwritten with configuration text.
bool is_config_file(const char* path);
void set_first_start_config();
// Reads the configuration file; every setting it does not give validly (a
// missing, unreadable or damaged file included) takes its first-start value,
// and the log names each one.
void read_config();
// Applies configuration text (lower-cased while scanned) to the targets.
void scan_config(const char* text);
// scan_config on a fresh set of targets, then the first-start value and a
// log line (naming `file`) for every setting the text does not give validly.
// Returns the number of settings that took their first-start value.
int apply_config_text(const char* text, const char* file);
// True when the file was written whole, false when it cannot be (also when a
// value would not read back: an artwork name that is empty, too long or holds
// a control character, a key that is no key symbol).
bool write_config(const char* path);
