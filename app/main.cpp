// main.cpp - process entry of Snipvault. Until the viewer exists the main
// program shows that the frame works end to end: start-up opens the window,
// each frame draws a few primitives (a gradient, boxes, lines) and is paced
// by show_frame, text is printed with the built-in font, and Escape, Alt+F4
// or the close button end the run.
#include "runtime/frame/entry.h"
#include "runtime/frame/frame_loop.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/io/platform_info.h"
#include "runtime/values/errors.h"

namespace {

void draw_placeholder_frame(int frame) {
  int w = 0, h = 0;
  screen_size(w, h);
  // a vertical gradient behind everything, as the toolkit draws its panels
  start_poly(-1, 2);
  poly_vector(0, 0, 0, 0, 0x603010);
  poly_vector(float(w), 0, 0, 0, 0x603010);
  poly_vector(0, float(h), 0, 0, 0x100804);
  poly_vector(float(w), float(h), 0, 0, 0x100804);
  end_poly();

  draw_rect(20, 20, w - 40, 40, 0x806040);
  print_text("Snipvault - Tolvane runtime", 28, 28);
  print_text("Press Escape to end.", 28, 44);
  draw_line(20, 70, w - 21, 70, 0xC0C0C0);
  for (int i = 0; i < 4; ++i)
    draw_rect(40 + i * 105, 100, 90, 60, 0x3050D0 + i * 0x201000);
  int x = 40 + (frame * 2) % (w - 100);  // a box sliding along, to see the pacing
  alpha_mode(-0.6);
  draw_rect(x, 190, 60, 60, 0x40E0FF);
  alpha_mode(0);
  draw_rect(20, h - 40, w - 40, 20, 0x404040);
  draw_rect(20, h - 40, (frame % 120) * (w - 40) / 119, 20, 0x40C040);
}

void snipvault_main() {
  log_line((app_name + " " + build_stamp() + " host " + host_id()).c_str());
  log_line(last_error_text().c_str());
  for (int frame = 0;; ++frame) {
    draw_placeholder_frame(frame);
    show_frame();
  }
}

}  // namespace

int main(int argc, char** argv) { program_entry(argc, argv, snipvault_main); }
