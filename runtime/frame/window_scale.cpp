// window_scale.cpp - the choice of the window's scale.
#include "runtime/frame/window_scale.h"

#include <string>

#include "runtime/platform/env.h"
#include "runtime/platform/log.h"
#include "runtime/platform/window_sdl.h"

int fitting_window_scale(int display_w, int display_h, int frame_w, int frame_h) {
  if (frame_w <= 0 || frame_h <= 0) return 1;
  // whole numbers only: w * N <= 0.6 * W is 5 * w * N <= 3 * W
  long long w5 = 5LL * frame_w, h4 = 4LL * frame_h;
  long long room_w = 3LL * display_w, room_h = 3LL * display_h;
  int n = 1;
  while (n < kMaxWindowScale && w5 * (n + 1) <= room_w && h4 * (n + 1) <= room_h) ++n;
  return n;
}

int scale_from_text(const char* text) {
  if (!text || text[0] < '1' || text[0] > '8' || text[1] != '\0') return 0;
  return text[0] - '0';
}

int choose_window_scale(int frame_w, int frame_h) {
  std::string text;
  if (platform_get_env("SNIPVAULT_SCALE", text)) {
    int n = scale_from_text(text.c_str());
    if (n > 0) return n;
    log_line(("SNIPVAULT_SCALE=" + text + " ignored: the scale is a whole number from 1 to 8")
                 .c_str());
  }
  int w = 0, h = 0;
  if (!platform_display_size(nullptr, w, h)) return 1;
  return fitting_window_scale(w, h, frame_w, frame_h);
}
