// bench_scene.h - the small picture the frame benchmarks draw: a gradient,
// a bar, a line and a square that moves one pixel a frame (frame 0 keeps it
// still), so "standing still" and "moving" runs draw the same amount.
#pragma once
#include "runtime/gfx2d/device.h"

inline void draw_a_few_primitives(int frame) {
  start_poly(-1, 2);
  poly_vector(0, 0, 0, 0, 0x603010);
  poly_vector(480, 0, 0, 0, 0x603010);
  poly_vector(0, 320, 0, 0, 0x100804);
  poly_vector(480, 320, 0, 0, 0x100804);
  end_poly();
  draw_rect(20, 20, 440, 40, 0x806040);
  draw_line(20, 70, 459, 70, 0xC0C0C0);
  draw_rect(40 + frame % 300, 100, 60, 60, 0x3050D0);
}
