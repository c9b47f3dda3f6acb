#include <cstdlib>
#include <gtest/gtest.h>

#include <string>

#include "platform/video.h"

// The window asks for SDL's software framebuffer, both hints together, but
// a choice the user made in the environment stays his.
TEST(Video, SoftwareFramebufferUnlessTheUserChoseOtherwise)
{
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
    prefer_software_framebuffer();
    EXPECT_STREQ(getenv("SDL_RENDER_DRIVER"), "software");
    EXPECT_STREQ(getenv("SDL_FRAMEBUFFER_ACCELERATION"), "0");

    setenv("SDL_RENDER_DRIVER", "opengl", 1);
    setenv("SDL_FRAMEBUFFER_ACCELERATION", "1", 1);
    prefer_software_framebuffer();
    EXPECT_STREQ(getenv("SDL_RENDER_DRIVER"), "opengl");
    EXPECT_STREQ(getenv("SDL_FRAMEBUFFER_ACCELERATION"), "1");
    unsetenv("SDL_RENDER_DRIVER");
    unsetenv("SDL_FRAMEBUFFER_ACCELERATION");
}
