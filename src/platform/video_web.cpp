#include "platform/video.h"

void prefer_software_framebuffer() {}
