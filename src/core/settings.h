// Start-up settings: set once from the command line, the environment and the
// player-name file, read everywhere else.
#pragma once
#include <cstdint>

constexpr int MAX_LEVEL = 400;
constexpr int PATH_BUFFER_SIZE = 256;   // every stored path or file name
constexpr int PLAYER_NAME_LENGTH = 16;

extern char config_file_name[PATH_BUFFER_SIZE];
extern char archive_file_name[PATH_BUFFER_SIZE];
extern int current_level;     // 0 = the built-in level, 1..MAX_LEVEL
extern int start_level;       // the level F4 jumps to
extern int sound_enabled;
extern uint32_t video_flags;
// 16 characters and a byte behind them that is always zero, so a name of
// exactly 16 characters is still a terminated string.
extern char player_name[PLAYER_NAME_LENGTH + 1];
