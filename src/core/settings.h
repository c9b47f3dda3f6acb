// Start-up settings: set once from the command line, the environment and the
// player-name file, read everywhere else.
#pragma once
#include <cstdint>

constexpr int MAX_LEVEL = 400;
constexpr int PATH_BUFFER_SIZE = 256;   // every stored path or file name
constexpr int PLAYER_NAME_LENGTH = 16;

constexpr int DEFAULT_SOLVE_SECONDS = 60;
constexpr int MAX_SOLVE_SECONDS = 7 * 24 * 3600;

// The settings in one record; each keeps its own name, an alias of its place
// in the record.
struct Settings {
    char config_file_name[PATH_BUFFER_SIZE];
    char archive_file_name[PATH_BUFFER_SIZE];
    int sound_enabled;
    bool full_screen;     // false with --window
    // 16 characters and a byte behind them that is always zero, so a name of
    // exactly 16 characters is still a terminated string.
    char player_name[PLAYER_NAME_LENGTH + 1];
    // The six movement and digging keys (key codes, core/keys.h), from the
    // configuration.
    int32_t upkey, downkey, leftkey, rightkey, digleftkey, digrightkey;
    // The processor seconds the level editor's "is it winnable?" search may
    // take, from the configuration (solveseconds).
    int solve_seconds;
    // Artwork file names of the graphics sets 0..3, from the configuration.
    char artwork_names[4][PATH_BUFFER_SIZE];
    // The home directory (HOME, "." when unset); the user directory is in it.
    char home_directory[PATH_BUFFER_SIZE];
};

extern Settings settings;

inline constexpr auto& config_file_name = settings.config_file_name;
inline constexpr auto& archive_file_name = settings.archive_file_name;
inline constexpr auto& sound_enabled = settings.sound_enabled;
inline constexpr auto& full_screen = settings.full_screen;
inline constexpr auto& player_name = settings.player_name;
inline constexpr auto& upkey = settings.upkey;
inline constexpr auto& downkey = settings.downkey;
inline constexpr auto& leftkey = settings.leftkey;
inline constexpr auto& rightkey = settings.rightkey;
inline constexpr auto& digleftkey = settings.digleftkey;
inline constexpr auto& digrightkey = settings.digrightkey;
inline constexpr auto& solve_seconds = settings.solve_seconds;
inline constexpr auto& artwork_names = settings.artwork_names;
inline constexpr auto& home_directory = settings.home_directory;

extern const char USER_DIR_NAME[];
// "%s/%s/%s" of the home directory, the user directory and name; false (and
// an empty path) when the path does not fit in PATH_BUFFER_SIZE.
bool user_file_path(char* out, const char* name);
