// The rules a level must meet before it is written.
#pragma once

// Null when the grid holds a playable level, otherwise the first rule it
// breaks. Right Alt held relaxes the flashing-object and hidden-enemy counts.
const char* validate_level();
