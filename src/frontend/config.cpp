#include "frontend/config.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <initializer_list>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "core/keys.h"
#include "core/openread.h"
#include "core/replace.h"
#include "frontend/userdir.h"
#include "level/archive.h"
#include "picture/gfxset.h"

namespace {

void parse_key(const char* value, void* target)
{
    unsigned int key;
    if (sscanf(value, "%x", &key) == 1)
        *static_cast<int32_t*>(target) = int32_t(key);
}

void parse_name(const char* value, void* target)
{
    // Values are cut to the buffer in the scanner; copy with the bound anyway.
    snprintf(static_cast<char*>(target), PATH_BUFFER_SIZE, "%s", value);
}

// Whole seconds, 1 to a week, with spaces around them as a hand writes
// them; anything else marks the setting as not given validly (-1).
void parse_seconds(const char* value, void* target)
{
    char* end;
    errno = 0;
    const long seconds = strtol(value, &end, 10);
    const char* rest = end;
    while (*rest == ' ' || *rest == '\t')
        rest++;
    const bool valid = !errno && end != value && *rest == 0 && seconds >= 1 && seconds <= MAX_SOLVE_SECONDS;
    *static_cast<int*>(target) = valid ? int(seconds) : -1;
}

enum class ScanState { LineStart, SkipLine, Key, Value };

// The settings a configuration line can set, by the line's key: one of the
// six keys (the member it sets), an artwork name (the graphics set), the
// search budget. Characters and member pointers in place, so the table is a
// constant.
enum class ConfigValue : uint8_t { Key, ArtworkName, SolveSeconds };
struct ConfigKey {
    char name[CONFIG_KEY_LETTERS + 1];
    ConfigValue value;
    int32_t Settings::* key;   // Key only
    int artwork;               // ArtworkName only
};
constexpr ConfigKey CONFIG_KEYS[] = {
    {"upkey", ConfigValue::Key, &Settings::upkey, 0},
    {"downkey", ConfigValue::Key, &Settings::downkey, 0},
    {"leftkey", ConfigValue::Key, &Settings::leftkey, 0},
    {"rightkey", ConfigValue::Key, &Settings::rightkey, 0},
    {"digleftkey", ConfigValue::Key, &Settings::digleftkey, 0},
    {"digrightkey", ConfigValue::Key, &Settings::digrightkey, 0},
    {"background", ConfigValue::ArtworkName, nullptr, 0},
    {"hero", ConfigValue::ArtworkName, nullptr, 1},
    {"enemy", ConfigValue::ArtworkName, nullptr, 2},
    {"hidden", ConfigValue::ArtworkName, nullptr, 3},
    {"solveseconds", ConfigValue::SolveSeconds, nullptr, 0},
};

// The value of a configuration line put into the setting its key names.
void parse_config_value(const ConfigKey& k, const char* value)
{
    switch (k.value) {
    case ConfigValue::Key: parse_key(value, &(settings.*k.key)); break;
    case ConfigValue::ArtworkName: parse_name(value, settings.artwork_names[k.artwork]); break;
    case ConfigValue::SolveSeconds: parse_seconds(value, &settings.solve_seconds); break;
    }
}

} // namespace

bool config_path(char* out) { return user_file_path(out, config_file_name); }

bool plain_user_file_name(const char* name)
{
    if (!name[0] || strchr(name, '/') || strcmp(name, ".") == 0 || strcmp(name, "..") == 0)
        return false;
    // The game's own files in the user directory are never taken for others.
    for (const char* own : {"levels.vbl", "masters.vbl", "player.nam"})
        if (strcmp(name, own) == 0)
            return false;
    return true;
}

bool is_config_file(const char* path)
{
    int fd = open_for_reading(path);
    if (fd < 0)
        return false;
    // The call's own buffer, on the heap: 64 KB is too much for the stack.
    std::vector<char> text(CONFIG_FILE_MAX + 1);
    size_t length = 0;
    for (;;) {
        const ssize_t n = read(fd, text.data() + length, text.size() - 1 - length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        length += size_t(n);
        if (length == text.size() - 1)
            break;
    }
    char probe;
    const bool longer = length == text.size() - 1 && read(fd, &probe, 1) > 0;
    close(fd);
    if (longer)
        return false;
    if (length == 0)
        return true;
    for (size_t i = 0; i < length; i++) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 32 && c != '\n' && c != '\r' && c != '\t')
            return false;
        if (c == 127)
            return false;
    }
    text[length] = 0;
    // At least one line starts with a known setting's name and "=".
    for (const char* line = text.data(); line; line = strchr(line, '\n') ? strchr(line, '\n') + 1 : nullptr)
        for (const ConfigKey& k : CONFIG_KEYS)
            if (strncasecmp(line, k.name, strlen(k.name)) == 0 && line[strlen(k.name)] == '=')
                return true;
    return false;
}

void set_first_start_config()
{
    for (int set = 0; set < GFX_SET_COUNT; set++)
        strcpy(artwork_names[set], SHIPPED_ARTWORK[set]);
    upkey = KEY_UP;
    downkey = KEY_DOWN;
    leftkey = KEY_LEFT;
    rightkey = KEY_RIGHT;
    digleftkey = KEY_LCTRL;
    digrightkey = KEY_LALT;
    solve_seconds = DEFAULT_SOLVE_SECONDS;
}

void scan_config(const char* text)
{
    ScanState state = ScanState::LineStart;
    char key[CONFIG_KEY_LETTERS + 1];
    int key_length = 0;
    const ConfigKey* found = nullptr;
    char value[PATH_BUFFER_SIZE];
    int value_length = 0;
    for (const char* p = text; *p; p++) {
        char c = char(tolower(static_cast<unsigned char>(*p)));
        if (c == '\r')
            continue;
        if (state == ScanState::LineStart) {
            if (c == '\n')
                continue;
            if (c < 'a' || c > 'z') {
                state = ScanState::SkipLine;
                continue;
            }
            state = ScanState::Key;
            key_length = 0;
        }
        switch (state) {
        case ScanState::SkipLine:
            if (c == '\n')
                state = ScanState::LineStart;
            break;
        case ScanState::Key:
            if (c >= 'a' && c <= 'z') {
                if (key_length < CONFIG_KEY_LETTERS) {
                    key[key_length++] = c;
                } else {
                    // The 16th letter abandons the key; the letters after
                    // it are scanned as the start of a line.
                    state = ScanState::LineStart;
                }
            } else if (c == '=') {
                key[key_length] = 0;
                found = nullptr;
                for (const ConfigKey& k : CONFIG_KEYS)
                    if (strcmp(k.name, key) == 0)
                        found = &k;
                value_length = 0;
                state = ScanState::Value;
            } else {
                state = ScanState::LineStart;   // the character is dropped
            }
            break;
        case ScanState::Value:
            if (c == '\n') {
                value[value_length] = 0;
                if (found)
                    parse_config_value(*found, value);
                state = ScanState::LineStart;
            } else if (value_length < PATH_BUFFER_SIZE - 1) {
                value[value_length++] = c;   // longer values are cut here
            }
            break;
        case ScanState::LineStart:
            break;
        }
    }
}

namespace {

bool valid_key(int32_t key) { return key > 0 && key < KEY_LAST; }

bool valid_name(const char* name)
{
    size_t length = strlen(name);
    if (length == 0 || length > size_t(ARTWORK_NAME_MAX) || !plain_user_file_name(name))
        return false;
    // Nor a configuration: a picture saved there would replace the settings.
    if (strcmp(name, "vrbxrc") == 0 || strcmp(name, config_file_name) == 0)
        return false;
    for (const char* p = name; *p; p++)
        if (static_cast<unsigned char>(*p) < 32 || static_cast<unsigned char>(*p) > 126)
            return false;
    return true;
}

} // namespace

int apply_config_text(const char* text, const char* file)
{
    upkey = downkey = leftkey = rightkey = digleftkey = digrightkey = 0;
    for (auto& name : artwork_names)
        name[0] = 0;
    solve_seconds = 0;   // not given
    scan_config(text);
    const int seconds = solve_seconds;
    // The first-start values, taken one by one for what the text lacks.
    const int32_t keys[6] = {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey};
    char names[4][PATH_BUFFER_SIZE];
    memcpy(names, artwork_names, sizeof names);
    set_first_start_config();
    int defaults = 0;
    for (int i = 0; i < 10; i++) {
        const ConfigKey& k = CONFIG_KEYS[i];
        bool ok;
        if (i < 6) {
            ok = valid_key(keys[i]);
            if (ok)
                settings.*k.key = keys[i];
            else
                log_message("%s: no valid %s, using %x\n", file, k.name, unsigned(settings.*k.key));
        } else {
            ok = valid_name(names[i - 6]);
            if (ok)
                strcpy(artwork_names[k.artwork], names[i - 6]);
            else
                log_message("%s: no valid %s, using %s\n", file, k.name, artwork_names[k.artwork]);
        }
        defaults += ok ? 0 : 1;
    }
    // The search budget is optional: a file without it (all files written
    // before it existed) takes the first-start value without a word.
    if (seconds > 0) {
        solve_seconds = seconds;
    } else if (seconds < 0) {
        log_message("%s: no valid solveseconds, using %d\n", file, solve_seconds);
        defaults++;
    }
    return defaults;
}

void read_config()
{
    char path[PATH_BUFFER_SIZE];
    char text[CONFIG_TEXT_SIZE];
    text[0] = 0;
    if (!config_path(path)) {
        log_message("The path of %s is too long, using the default settings\n", config_file_name);
    } else {
        int fd = open_for_reading(path);
        if (fd < 0) {
            log_message("Cannot read %s (%s), using the default settings\n", config_file_name,
                        open_failure_reason(errno));
        } else {
            ssize_t n = read(fd, text, CONFIG_TEXT_SIZE - 1);
            close(fd);
            text[n > 0 ? n : 0] = 0;
        }
    }
    apply_config_text(text, config_file_name);
}

bool write_config(const char* path)
{
    for (const auto& name : artwork_names)
        if (!valid_name(name))
            return false;
    for (int32_t key : {upkey, downkey, leftkey, rightkey, digleftkey, digrightkey})
        if (!valid_key(key))
            return false;
    if (solve_seconds < 1 || solve_seconds > MAX_SOLVE_SECONDS)
        return false;
    char text[4 * (PATH_BUFFER_SIZE + 16) + 7 * 32];
    int length = snprintf(text, sizeof text,
                          "background=%s\nhero=%s\nenemy=%s\nhidden=%s\n"
                          "upkey=%x\ndownkey=%x\nleftkey=%x\nrightkey=%x\n"
                          "digleftkey=%x\ndigrightkey=%x\nsolveseconds=%d\n",
                          artwork_names[0], artwork_names[1], artwork_names[2], artwork_names[3],
                          unsigned(upkey), unsigned(downkey), unsigned(leftkey), unsigned(rightkey),
                          unsigned(digleftkey), unsigned(digrightkey), solve_seconds);
    if (length < 0 || length >= int(sizeof text))
        return false;
    return replace_file_bytes(path, text, size_t(length), 0600) != REPLACE_FAILED;
}
