// Start-up settings: set once from the command line, the environment and the
// player-name file, read everywhere else.
#pragma once
#include <cstdint>

constexpr int MAX_LEVEL = 400;
constexpr int PATH_BUFFER_SIZE = 256;   // every stored path or file name
constexpr int PLAYER_NAME_LENGTH = 16;

extern char config_file_name[PATH_BUFFER_SIZE];
extern char archive_file_name[PATH_BUFFER_SIZE];
extern int sound_enabled;
extern uint32_t video_flags;
// 16 characters and a byte behind them that is always zero, so a name of
// exactly 16 characters is still a terminated string.
extern char player_name[PLAYER_NAME_LENGTH + 1];

// The six movement and digging keys (SDL key symbols), from the configuration.
extern int32_t upkey, downkey, leftkey, rightkey, digleftkey, digrightkey;
// The processor seconds the level editor's "is it winnable?" search may
// take, from the configuration (solveseconds).
constexpr int DEFAULT_SOLVE_SECONDS = 60;
constexpr int MAX_SOLVE_SECONDS = 7 * 24 * 3600;
extern int solve_seconds;
// Artwork file names of the graphics sets 0..3, from the configuration.
extern char artwork_names[4][PATH_BUFFER_SIZE];

// The home directory (HOME, "." when unset) and the user directory in it.
extern char home_directory[PATH_BUFFER_SIZE];
extern const char USER_DIR_NAME[];
// "%s/%s/%s" of the home directory, the user directory and name; false (and
// an empty path) when the path does not fit in PATH_BUFFER_SIZE.
bool user_file_path(char* out, const char* name);
