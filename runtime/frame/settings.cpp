// settings.cpp - this program's compiled-in settings and build values.
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

TvString build_stamp() { return TvString(__DATE__ "-" __TIME__); }

namespace {
// The host id is derived from the build's own date and time, so it is fixed
// per build and needs nothing from the build machine.
constexpr uint32_t build_hash(const char* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ uint8_t(*s)) * 16777619u;
  return h;
}
constexpr uint32_t kHostId = build_hash(__DATE__ " " __TIME__ " snipvault");
}  // namespace

TvString host_id() {
  static const char digits[] = "0123456789abcdef";
  char text[9];
  for (int i = 0; i < 8; ++i) text[i] = digits[(kHostId >> (28 - 4 * i)) & 15];
  text[8] = 0;
  return TvString(text);
}
