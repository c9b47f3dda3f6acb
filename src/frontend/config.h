// The configuration file: four artwork names and six key bindings.
#pragma once
#include <cstdint>

#include "core/settings.h"

extern int32_t upkey, downkey, leftkey, rightkey, digleftkey, digrightkey;
extern char artwork_names[4][PATH_BUFFER_SIZE];

void read_config();
