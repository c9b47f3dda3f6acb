#include "platform/video.h"

#include <cstdlib>

void prefer_software_framebuffer()
{
    // Both hints are needed: either alone still presents through OpenGL.
    // The last argument 0 keeps a value the user set in the environment.
    setenv("SDL_RENDER_DRIVER", "software", 0);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "0", 0);
}
