// What the window asks of the system's video before it opens.
#pragma once

// Asks SDL for its plain software framebuffer where the user has not chosen
// otherwise. Debian's SDL 1.2 (sdl12-compat on SDL 2) presents every frame
// through OpenGL by default, which on a machine without a graphics driver
// is software OpenGL: several times the processor time and memory for the
// same 8-bit pictures. The browser's SDL has no such choice.
void prefer_software_framebuffer();
