// The unseeded C library generator the tile variants are drawn from. The
// pictures, screenshots included, depend on its sequence, so the browser
// build, whose C library has another generator, draws the desktop's
// sequence (GNU libc's) from random_sequence.h.
#pragma once

int unseeded_random();
