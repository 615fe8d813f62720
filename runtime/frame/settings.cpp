// settings.cpp - this program's compiled-in settings.
#include "runtime/frame/settings.h"

ProjectSettings project_settings{};
TvString app_name;

void apply_project_settings() {
  project_settings.exclusive_mouse = 1;
  project_settings.frame_rate = 60;
  project_settings.fullscreen = 0;
  project_settings.debug_mode = 0;
  project_settings.multisample = 0;
  project_settings.screen_height = 320;
  project_settings.screen_width = 480;
  app_name = "Snipvault";
}
