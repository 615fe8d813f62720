// test_unchanged_frames.cpp - a show with nothing changed records nothing
// and presents nothing; whatever a frame shows (a text, the mouse, the
// caret's blink, an exposure, a texture) brings the drawing back, and a
// program's own drawing beside the toolkit is still shown.
#include <vector>

#include "runtime/gfx2d/draw_batch.h"
#include "runtime/input/scan_codes.h"
#include "tests/support/vexui_test.h"

namespace {

class UnchangedFrames : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    auto_pause_switch(0);
    d->keep_presented_frames = true;
    vexui_push_dialog(0, 0, 480, 320);
    vexui_add_widget("label", "Name :", 100, 0);
    vexui_text("name", "", 200, 0);
    vexui_button("ok", "OK", 100, 0);
    move_mouse(470, 310);  // over no widget
  }

  struct Frame {
    bool recorded = false;  // the toolkit recorded its drawing
    bool presented = false;
  };
  // One frame of a program: `before` its show, `after` it, then show_frame.
  Frame frame(void (*before)() = nullptr, void (*after)() = nullptr) {
    if (before) before();
    size_t v = recorded_vertices();
    vexui_show(0);
    Frame f;
    f.recorded = recorded_vertices() > v;
    if (after) after();
    uint64_t p = presented_frames();
    show_frame();
    f.presented = presented_frames() > p;
    return f;
  }
  // Past the tool tips' rest of 500 ms, and two full frames to compare with.
  void settle() {
    for (int i = 0; i < 40; ++i) frame();
  }
  std::vector<uint8_t> on_screen() const { return d->presented_pixels; }
  // A pixel of a presented frame (rows bottom up, BGRA).
  static TvColor shown_at(const std::vector<uint8_t>& pixels, int x, int y) {
    const uint8_t* p = &pixels[(size_t(319 - y) * 480 + size_t(x)) * 4];
    return TvColor(p[2] | p[1] << 8 | p[0] << 16);  // as get_pixel gives it
  }
};

TEST_F(UnchangedFrames, ANothingChangedShowRecordsAndPresentsNothing) {
  settle();
  std::vector<uint8_t> shown = on_screen();
  for (int i = 0; i < 5; ++i) {
    Frame f = frame();
    EXPECT_FALSE(f.recorded);
    EXPECT_FALSE(f.presented);
  }
  // drawn again in full (an exposure), the frame is what the window showed
  Frame f = frame([] { invalidate_presented_frame(); });
  EXPECT_TRUE(f.recorded);
  EXPECT_TRUE(f.presented);
  EXPECT_EQ(on_screen(), shown);
}

TEST_F(UnchangedFrames, WhatAFrameShowsBringsTheDrawingBack) {
  settle();
  auto redraws = [&](void (*change)()) {
    Frame f = frame(change);
    bool drawn = f.recorded && f.presented;
    settle();
    return drawn;
  };
  EXPECT_TRUE(redraws([] { vexui_set("label", "TEXT", "Title :"); }));
  EXPECT_FALSE(redraws([] { vexui_set("label", "TEXT", "Title :"); }));  // the same text again
  EXPECT_TRUE(redraws([] { vexui_set("ok", "WIDTH", "120"); }));
  EXPECT_TRUE(redraws([] { input_on_mouse_motion(num("ok", "XPOS") + 4, num("ok", "YPOS") + 4, 0, 0); }));
  EXPECT_TRUE(redraws([] { make_default_font(0); }));  // a texture it uses
  EXPECT_TRUE(redraws([] { vexui_set("", "FOCUS", "name"); }));

  // the focused field's caret: drawn at each change of its blink phase
  // only, and then only where the caret is
  int recorded = 0, presented = 0;
  uint64_t partly = partly_drawn_frames();
  for (int i = 0; i < 128; ++i) {  // about two seconds
    Frame f = frame();
    recorded += f.recorded;
    presented += f.presented;
  }
  EXPECT_GE(recorded, 3);
  EXPECT_LE(recorded, 5);
  EXPECT_EQ(presented, recorded);
  // the next blink, then a full drawing of the frame in the same phase
  for (int i = 0; i < 64; ++i)
    if (frame().presented) {
      ++presented;
      break;
    }
  EXPECT_EQ(partly_drawn_frames() - partly, uint64_t(presented));
  std::vector<uint8_t> shown = on_screen();
  frame([] { invalidate_presented_frame(); });
  EXPECT_EQ(on_screen(), shown);  // what a full drawing of the frame shows
  // a new text changes more than the caret: drawn in full
  partly = partly_drawn_frames();
  Frame typed = frame([] { vexui_set("name", "TEXT", "x"); });
  EXPECT_TRUE(typed.recorded && typed.presented);
  EXPECT_EQ(partly_drawn_frames(), partly);
}

// Held keys and buttons repeat and drag by time: such frames are drawn.
TEST_F(UnchangedFrames, HeldKeysAndButtonsAlwaysDraw) {
  input_on_focus(true);
  settle();
  input_on_key(SCAN_LEFT_SHIFT, true, false);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame().recorded);
  input_on_key(SCAN_LEFT_SHIFT, false, false);
  settle();
  input_on_mouse_button(1, true);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(frame().recorded);
  input_on_mouse_button(1, false);
  settle();
  EXPECT_FALSE(frame().recorded);
}

TEST_F(UnchangedFrames, AProgramsOwnDrawingBesideTheToolkitIsShown) {
  auto square = [] { draw_rect(440, 280, 20, 20, 0xFF0000); };
  settle();
  std::vector<uint8_t> before = on_screen();
  // drawn after the toolkit's repeated part: the frame is presented whole
  Frame f = frame(nullptr, +square);
  EXPECT_FALSE(f.recorded);
  EXPECT_TRUE(f.presented);
  EXPECT_EQ(shown_at(on_screen(), 450, 290), TvColor(0xFF0000));
  EXPECT_EQ(shown_at(on_screen(), 20, 10), shown_at(before, 20, 10));
  EXPECT_FALSE(frame(nullptr, +square).presented);

  // read in the middle of a frame, the repeated part is there
  settle();
  size_t v = recorded_vertices();
  vexui_show(0);
  EXPECT_EQ(recorded_vertices(), v);
  TvColor repeated = get_pixel(300, 200);
  show_frame();
  invalidate_presented_frame();
  vexui_show(0);
  TvColor drawn = get_pixel(300, 200);
  show_frame();
  EXPECT_NE(drawn, TvColor(0));
  EXPECT_EQ(repeated, drawn);

  // drawn before the toolkit: the toolkit's part no longer follows the same
  // drawing, so it is recorded, until that frame is the one on screen
  EXPECT_TRUE(frame(+square).recorded);
  for (int i = 0; i < 3; ++i) frame(+square);
  EXPECT_FALSE(frame(+square).recorded);
}

// How long a program may sleep: briefly until the toolkit is at rest, then
// as long as it likes, or until the caret's next blink phase.
TEST_F(UnchangedFrames, RestLastsUntilTheFrameWouldChangeByItself) {
  frame();
  EXPECT_EQ(vexui_rest_ms(1000), 75);  // the walk just changed things
  settle();
  EXPECT_EQ(vexui_rest_ms(1000), 1000);
  vexui_set("", "FOCUS", "name");
  settle();
  int32_t wait = vexui_rest_ms(1000);
  EXPECT_LE(wait, 513);
  vexui_test::clock_now += wait;
  EXPECT_TRUE(frame().recorded);  // the caret's phase changed
}

}  // namespace
