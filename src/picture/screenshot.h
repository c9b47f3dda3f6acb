// Screenshots of the whole screen into the next free capNNN.lbm.
#pragma once

void take_screenshot();
