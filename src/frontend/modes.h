// The mode handlers of the game side: menu, demonstration and play.
#pragma once

void demo_handler();
