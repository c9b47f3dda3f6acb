#include "frontend/config.h"

int32_t upkey, downkey, leftkey, rightkey, digleftkey, digrightkey;
char artwork_names[4][PATH_BUFFER_SIZE];

// The configuration file is read once the user directory exists.
void read_config() {}
