#include "core/settings.h"

#include <SDL/SDL.h>
#include <cstring>

char config_file_name[PATH_BUFFER_SIZE] = "vrbxrc";
char archive_file_name[PATH_BUFFER_SIZE] = "levels.vbl";
int sound_enabled = 1;
uint32_t video_flags = SDL_FULLSCREEN;
char player_name[PLAYER_NAME_LENGTH + 1];

int32_t upkey, downkey, leftkey, rightkey, digleftkey, digrightkey;
char artwork_names[4][PATH_BUFFER_SIZE];
int solve_seconds = DEFAULT_SOLVE_SECONDS;

char home_directory[PATH_BUFFER_SIZE];
const char USER_DIR_NAME[] = ".zuzezodov";

bool user_file_path(char* out, const char* name)
{
    // Composed by hand so that a path that does not fit is refused whole
    // instead of being cut.
    size_t parts[3] = {strlen(home_directory), strlen(USER_DIR_NAME), strlen(name)};
    if (parts[0] + parts[1] + parts[2] + 2 >= PATH_BUFFER_SIZE) {
        out[0] = 0;
        return false;
    }
    char* p = out;
    memcpy(p, home_directory, parts[0]);
    p += parts[0];
    *p++ = '/';
    memcpy(p, USER_DIR_NAME, parts[1]);
    p += parts[1];
    *p++ = '/';
    memcpy(p, name, parts[2] + 1);
    return true;
}
