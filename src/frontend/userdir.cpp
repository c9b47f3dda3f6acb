#include "frontend/userdir.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

char home_directory[PATH_BUFFER_SIZE];
const char USER_DIR_NAME[] = ".zuzezodov";
const char DATA_PATH_LIST[] = "data:/usr/local/share/sdl_vorbix";

void setup_user_dir()
{
    const char* home = getenv("HOME");
    snprintf(home_directory, sizeof home_directory, "%s", home ? home : ".");
    size_t n = strlen(home_directory);
    while (n > 0 && home_directory[n - 1] == '/')
        home_directory[--n] = 0;
}

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

int data_path_candidate(char* out, const char* name, int n)
{
    if (n == 0) {
        user_file_path(out, name);
        return 1;
    }
    const char* entry = DATA_PATH_LIST;
    for (int i = 1; i < n; i++) {
        entry = strchr(entry, ':');
        if (!entry)
            return 0;
        entry++;
    }
    size_t length = strcspn(entry, ":");
    const char* slash = (length > 0 && entry[length - 1] == '/') ? "" : "/";
    snprintf(out, PATH_BUFFER_SIZE, "%.*s%s%s", static_cast<int>(length), entry, slash, name);
    return 1;
}
