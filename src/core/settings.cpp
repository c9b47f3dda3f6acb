#include "core/settings.h"

#include <cstring>

Settings settings = {
    .config_file_name = "vrbxrc",
    .archive_file_name = "levels.vbl",
    .sound_enabled = 1,
    .full_screen = true,
    .player_name = {},
    .upkey = 0,
    .downkey = 0,
    .leftkey = 0,
    .rightkey = 0,
    .digleftkey = 0,
    .digrightkey = 0,
    .solve_seconds = DEFAULT_SOLVE_SECONDS,
    .artwork_names = {},
    .home_directory = {},
};

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
