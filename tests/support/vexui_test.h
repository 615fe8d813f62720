// The toolkit on a real 480 x 320 GL window (headless), with the built-in
// 8 x 8 font, a clock the test moves, and the mouse driven through the
// runtime's own input entry points. Each test starts from a fresh toolkit:
// its one state record and the text-layout cache are reset.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/input/input.h"
#include "tests/support/gl_test.h"
#include "vexui/internal.h"

namespace vexui_test {

inline int64_t clock_now = 0;  // milliseconds
inline int64_t read_clock() { return clock_now; }
inline void no_sleep(int ms) { clock_now += ms > 0 ? ms : 1; }
inline void (*current_sleep)(int) = no_sleep;
// the short waits before a frame's deadline move the clock as well
inline void nap() { current_sleep(1); }

}  // namespace vexui_test

class VexuiTest : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    make_default_font(0);
    set_font(0);
    reset_toolkit();
    input_device = InputDevice{};
    input_device.screen_width = 480;
    input_device.screen_height = 320;
    vexui_test::clock_now = 1000;
    set_clock(vexui_test::no_sleep);
    move_mouse(470, 310);
  }
  void TearDown() override {
    reset_toolkit();
    set_clock_source(nullptr, 0, nullptr);
    frame_clock = ClockState{};
    timer_start();
  }

  static void reset_toolkit() {
    vexui_state = VexuiState{};
    vexui_text_layout_clear();
  }

  // The test's clock (vexui_test::clock_now) behind timer_ms and the waits.
  static void set_clock(void (*sleep)(int)) {
    vexui_test::current_sleep = sleep;
    set_clock_source(vexui_test::read_clock, 1000, sleep, vexui_test::nap);
    frame_clock = ClockState{};
    timer_start();
  }

  // ---- the mouse, as the desktop's events deliver it ------------------------
  void move_mouse(int x, int y) {
    input_on_mouse_motion(x, y, 0, 0);
    input_frame_start();
  }
  void button(bool down) {
    input_on_mouse_button(0, down);
    input_frame_start();
  }
  // One frame of the toolkit after the mouse went to (x, y) with the left
  // button in the given state.
  void frame_at(int x, int y, bool down, int only_top = 1) {
    input_on_mouse_motion(x, y, 0, 0);
    input_on_mouse_button(0, down);
    input_frame_start();
    vexui_show(only_top);
  }
  // A click: a frame with the button pressed, then one with it released.
  void click_at(int x, int y) {
    frame_at(x, y, true);
    frame_at(x, y, false);
  }

  // ---- properties as numbers and texts --------------------------------------
  static int num(const char* id, const char* key) { return int(vexui_get_number(TvString(id), TvString(key))); }
  static std::string get(const char* id, const char* key) {
    TvString v = vexui_get(TvString(id), TvString(key));
    return std::string(v.data, v.length);
  }
  static void set(const char* id, const char* key, const char* value) {
    vexui_set(TvString(id), TvString(key), TvString(value));
  }
};

// Pixel rows as letters: each pixel of the rectangle is '#' when it has
// `ink`, '.' otherwise.
inline std::string shape(int x, int y, int w, int h, TvColor ink) {
  std::string s;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) s += get_pixel(x + c, y + r) == ink ? '#' : '.';
    s += '\n';
  }
  return s;
}
