#include "core/settings.h"

#include <SDL/SDL.h>

char config_file_name[PATH_BUFFER_SIZE] = "vrbxrc";
char archive_file_name[PATH_BUFFER_SIZE] = "levels.vbl";
int current_level = 1;
int start_level = 1;
int sound_enabled = 1;
uint32_t video_flags = SDL_FULLSCREEN;
char player_name[PLAYER_NAME_LENGTH + 1];
