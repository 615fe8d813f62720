// settings.h - the project settings compiled into the program and the
// application name.
#pragma once
#include <cstdint>
#include "runtime/values/tv_string.h"

struct ProjectSettings {
  int32_t exclusive_mouse;  // nonzero: mouse through the input layer, cursor hidden
  int32_t frame_rate;       // frames per second the frame call paces to
  int32_t fullscreen;       // nonzero: switch the display and run full screen
  int32_t debug_mode;       // nonzero: no pause on focus loss, end position logged
  int32_t multisample;      // nonzero: ask for a multisampled pixel format
  int32_t screen_height;    // client height in pixels
  int32_t screen_width;     // client width in pixels
};

extern ProjectSettings project_settings;
extern TvString app_name;  // becomes the window title

// Fills project_settings and app_name with this program's values.
void apply_project_settings();

