// surfaces.h - off-screen surfaces ("screens"): drawing into a sprite
// instead of the window.
//
// Each of the 32 screens renders into its sprite's texture through a
// frame-buffer object when the driver has the EXT frame-buffer entry points;
// otherwise the window's top-left corner stands in for the surface while it
// is selected, its previous content saved in scratch sprite 65503 and put
// back when the screen is left. leave_screen, read_screen_pixel (device.h)
// live here too.
#pragma once
#include "runtime/gfx2d/device.h"

// Makes `sprite` a blank width x height surface and prepares screen 0-31
// (other numbers do nothing).
void create_screen(int screen, int sprite, int width, int height);
// Redirects drawing to the screen; a negative number returns to the window.
void use_screen(int screen);

// Context set-up step: looks up the frame-buffer entry points of the
// current device by name.
void init_screens();
// Looks up the frame-buffer entry points by name (once per device).
void look_up_framebuffer_functions(OpenGLVadeviva& device);
// True while the current screen renders through a frame-buffer object.
bool drawing_into_framebuffer();
// Height in pixels of what drawing currently lands in: the surface's image
// height with a frame-buffer object, else the window's.
int target_height();
// Points pixel reads at what drawing currently lands in.
void select_read_buffer();
// Deletes every screen's frame-buffer and render-buffer objects.
void free_screens(OpenGLVadeviva& device);
