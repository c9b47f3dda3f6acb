// The configuration file: key=value lines for the four artwork names and the
// six movement and digging keys.
#pragma once
#include <cstdint>

#include "core/settings.h"

constexpr int CONFIG_TEXT_SIZE = 1024;   // at most 1023 bytes are read
constexpr int CONFIG_KEY_LETTERS = 15;

struct ConfigKey {
    const char* name;
    void* target;
    void (*parse)(const char* value, void* target);
};
extern const ConfigKey CONFIG_KEYS[];

// The configuration file's full path; false when it does not fit.
bool config_path(char* out);
void set_first_start_config();
void read_config();
// Applies configuration text (lower-cased while scanned) to the targets.
void scan_config(const char* text);
// 1 when the file was written whole, 0 when it cannot be.
int write_config(const char* path);
