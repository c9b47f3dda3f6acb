// The user directory in the home directory and the paths composed in it.
#pragma once

#include "core/settings.h"

extern char home_directory[PATH_BUFFER_SIZE];
extern const char USER_DIR_NAME[];
extern const char DATA_PATH_LIST[];

void setup_user_dir();
// Candidate n for a data file: the user directory, then the data path list.
// Returns 0 when there is no candidate n.
int data_path_candidate(char* out, const char* name, int n);
// "%s/%s/%s" of the home directory, the user directory and name; false when
// the path does not fit.
bool user_file_path(char* out, const char* name);
