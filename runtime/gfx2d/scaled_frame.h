// scaled_frame.h - the frame of an enlarged window.
//
// While the window is N times larger than the screen size (N > 1), the
// program draws into a frame-buffer object of the screen size, bound in
// place of the window's own frame buffer; every presentation draws it N
// times larger into the window's back buffer with nearest sampling. The
// program therefore sees the screen size everywhere: viewport, pixel
// reads, grabs, screenshots, and the binding that leaving an off-screen
// surface returns to. At N = 1 none of this exists and drawing goes to the
// window directly.
#pragma once
#include "runtime/gfx2d/device.h"

// Makes the frame for the device's width x height and binds it, to be shown
// `scale` times larger; false (and nothing made) when the driver has no
// usable frame-buffer objects. The context must be current.
bool make_scaled_frame(OpenGLVadeviva& device, int scale);
// Deletes the frame; drawing goes to the window again.
void free_scaled_frame(OpenGLVadeviva& device);
// Switches between drawing into the frame (enlarged, when one was made) and
// drawing into the window directly (full screen).
void use_scaled_frame(OpenGLVadeviva& device, bool enlarged);
// Window pixels per frame pixel of the device right now (1 = not enlarged).
int frame_scale(const OpenGLVadeviva& device);

// Draws the frame enlarged into the window's back buffer: right before the
// buffer swap. Does nothing when the window is not enlarged.
void present_scaled_frame();
// Binds the frame again after the swap, so drawing goes on into it.
void resume_scaled_frame();
// The read buffer that holds what is drawn for the window: the frame's
// colour attachment while enlarged, else the back buffer (a GL enum).
unsigned window_read_buffer();
