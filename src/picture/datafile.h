// Where the shipped data files are looked for: the user directory first,
// then each entry of the data path list.
#pragma once

extern const char DATA_PATH_LIST[];

// Candidate n for a data file: the user directory, then the data path list.
// Returns 0 when there is no candidate n. A candidate too long for a path
// buffer is the empty path, which opens nothing.
int data_path_candidate(char* out, const char* name, int n);
// The first candidate that opens for reading, into out (PATH_BUFFER_SIZE
// bytes); false when none does, with the last candidate tried left in out.
bool find_data_file(char* out, const char* name);
