#include "game/state.h"

GameState game_state;
