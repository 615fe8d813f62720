// background.h - the tiled background image: an image cut into square
// textures laid edge to edge from the window's top-left corner and drawn
// under everything at the start of each frame. draw_background and
// free_background (device.h) live here too.
#pragma once
#include "runtime/gfx2d/device.h"
#include "runtime/values/tv_string.h"

// Loads an image (no colour key) as background 0 and draws it once. On
// failure: error code 3, no background, the screen cleared to black.
void load_background(const TvString& file);
// Copies the whole screen into background 0.
void grab_background();
// Deletes the tiles of every background set.
void free_background_sets(OpenGLVadeviva& device);
