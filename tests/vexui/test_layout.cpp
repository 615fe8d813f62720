// The flow layout seen through each widget's "XPOS"/"YPOS"/"WIDTH"/"HEIGHT"
// after a frame of vexui_show: lines, alignment, frames, clipping,
// scrolling and hidden widgets, and the dialog's own placement.
#include "tests/support/vexui_test.h"

namespace {

void add_button(const char* id, int w, int h) { vexui_button(TvString(id), TvString(id), w, h); }

}  // namespace

// Content starts 3 pixels inside the dialog's edge; a dialog 106 wide has a
// content area 100 wide.
TEST_F(VexuiTest, WidgetsFlowIntoLinesAndTooWideOnesBreakAnyway) {
  vexui_push_dialog(0, 0, 106, 200);
  add_button("a", 60, 20);
  add_button("b", 60, 30);
  add_button("c", 30, 20);
  add_button("wide", 150, 20);
  vexui_show(1);
  EXPECT_EQ(num("a", "XPOS"), 3);
  EXPECT_EQ(num("a", "YPOS"), 3);
  EXPECT_EQ(num("b", "XPOS"), 3);   // 60 + 2 + 60 > 100
  EXPECT_EQ(num("b", "YPOS"), 25);  // below a: 3 + 20 + 2
  EXPECT_EQ(num("c", "XPOS"), 65);
  EXPECT_EQ(num("c", "YPOS"), 25);
  EXPECT_EQ(num("wide", "XPOS"), 3);
  EXPECT_EQ(num("wide", "YPOS"), 25 + 30 + 2);  // the line's tallest widget counts

  vexui_state = VexuiState{};
  vexui_push_dialog(0, 0, 106, 200);
  add_button("first", 150, 20);  // breaks with an empty line: 2 pixels down
  vexui_show(1);
  EXPECT_EQ(num("first", "XPOS"), 3);
  EXPECT_EQ(num("first", "YPOS"), 5);
}

TEST_F(VexuiTest, AlignmentUsesTheWholeLine) {
  vexui_push_dialog(0, 0, 106, 200);
  add_button("centre", 40, 20);
  set("centre", "ALIGN", "0");
  vexui_spacer(10000, 0);
  add_button("right", 40, 20);
  set("right", "ALIGN", "1");
  vexui_show(1);
  EXPECT_EQ(num("centre", "XPOS"), 3 + 30);
  EXPECT_EQ(num("right", "XPOS"), 3 + 60);
}

TEST_F(VexuiTest, AutomaticFramesTakeTheirWidestChildAndNest) {
  vexui_push_dialog(0, 0, 300, 300);
  vexui_frame(TvString("plain"), TvString(""), 0);
  add_button("p50", 50, 20);
  add_button("p80", 80, 20);
  vexui_unframe();
  vexui_frame(TvString("titled"), TvString("T"), 0);
  add_button("t50", 50, 20);
  add_button("t80", 80, 20);
  vexui_frame(TvString("inner"), TvString(""), 0);
  add_button("deep", 30, 10);
  vexui_unframe();
  vexui_unframe();
  add_button("next", 20, 20);
  vexui_show(1);
  EXPECT_EQ(num("plain", "WIDTH"), 80);
  EXPECT_EQ(num("titled", "WIDTH"), 88);
  EXPECT_EQ(num("inner", "WIDTH"), 30);
  // while a frame's width is still 0 each child breaks its line
  EXPECT_EQ(num("p50", "YPOS"), 3 + 2);
  EXPECT_EQ(num("p80", "YPOS"), 3 + 2 + 20 + 2);
  EXPECT_EQ(num("plain", "HEIGHT"), 2 + 20 + 2 + 20 + 2);
  // titled: the caption line and a 4-pixel margin
  EXPECT_EQ(num("titled", "XPOS"), 3 + 80 + 2);
  EXPECT_EQ(num("t50", "XPOS"), num("titled", "XPOS") + 4);
  EXPECT_EQ(num("t50", "YPOS"), num("titled", "YPOS") + 8 + 8 + 2);
  EXPECT_EQ(num("deep", "XPOS"), num("t50", "XPOS"));
  EXPECT_EQ(num("next", "XPOS"), 3 + 80 + 2 + 88 + 2);  // the frames sit side by side

  vexui_show(1);  // now 80 wide, the plain frame holds its children as a line would
  EXPECT_EQ(num("p50", "YPOS"), 3);
  EXPECT_EQ(num("p80", "YPOS"), 3 + 20 + 2);
  EXPECT_EQ(num("plain", "HEIGHT"), 20 + 2 + 20 + 2);
  EXPECT_EQ(num("plain", "WIDTH"), 80);
}

TEST_F(VexuiTest, HiddenWidgetsTakeNoPlaceAndKeepTheirLastPosition) {
  vexui_push_dialog(0, 0, 200, 200);
  add_button("a", 30, 20);
  add_button("b", 30, 20);
  add_button("c", 30, 20);
  vexui_show(1);
  EXPECT_EQ(num("b", "XPOS"), 35);
  vexui_hide(TvString("b"), 1);
  vexui_show(1);
  EXPECT_EQ(num("c", "XPOS"), 35);
  EXPECT_EQ(num("b", "XPOS"), 35);
}

TEST_F(VexuiTest, ScrolledContentIsClippedAtTheTopAndNarrowedForTheBar) {
  vexui_push_dialog(0, 0, 106, 106);  // a content area of 100 x 100
  for (int i = 0; i < 6; ++i) add_button(("r" + std::to_string(i)).c_str(), 70, 30);
  vexui_show(1);
  VexuiDialog& d = vexui_top();
  EXPECT_EQ(d.content_height, 5 * 32 + 30 + 2);
  EXPECT_EQ(num("r1", "YPOS"), 35);
  vexui_show(1);  // the content height of the last frame sets the scroll range
  EXPECT_EQ(d.self.scroll_max, 192 - 100 - 12 + 24);
  d.self.scroll = 40;
  vexui_show(1);
  EXPECT_EQ(num("r0", "YPOS"), 3);  // partly or wholly above the content: cut at its top
  EXPECT_EQ(num("r1", "YPOS"), 3);
  EXPECT_EQ(num("r2", "YPOS"), 67 - 40);
  EXPECT_EQ(num("r3", "YPOS"), 99 - 40);
  EXPECT_EQ(num("r3", "XPOS"), 3);

  // a widget that no longer fits beside the bar (100 - 20 - 4 = 76) breaks its line
  vexui_button(TvString("r0"), TvString(""), 80, 30);
  vexui_show(1);
  EXPECT_EQ(num("r0", "YPOS"), 3);
  EXPECT_EQ(num("r2", "YPOS"), 67 - 40 + 2);
}

TEST_F(VexuiTest, PushClampsToTheScreenAndOddSizesDoNoHarm) {
  vexui_push_dialog(460, 10, 200, 100);
  EXPECT_EQ(num("", "XPOS"), 460);
  EXPECT_EQ(num("", "WIDTH"), 20);
  add_button("x", 40, 20);
  vexui_show(1);
  EXPECT_EQ(num("x", "XPOS"), 463);

  // beyond the screen: the position is clamped and the size stays negative
  vexui_push_dialog(1000, 1000, 50, 50);
  EXPECT_EQ(num("", "XPOS"), 479);
  EXPECT_EQ(num("", "YPOS"), 319);
  EXPECT_EQ(num("", "WIDTH"), 480 - 1000);
  EXPECT_EQ(num("", "HEIGHT"), 320 - 1000);
  set("", "MOVEABLE", "1");
  set("", "SCALEABLE", "1");
  vexui_list(TvString("l"), TvString("a|b|c|d|e|f"), 0, 0);
  add_button("y", 40, 20);
  vexui_frame(TvString("f"), TvString("caption"), 0);
  add_button("z", 40, 20);
  vexui_unframe();
  set("y", "TIPTEXT", "tip\nline");
  vexui_test::clock_now += 1000;
  for (int i = 0; i < 3; ++i) {
    frame_at(479, 319, i == 1, 0);
    vexui_test::clock_now += 1000;
  }
  EXPECT_EQ(num("y", "XPOS"), 479 + 3);
  vexui_set_dialog_rect(0, 0, -5, 10);  // ignored: not a positive size
  EXPECT_EQ(num("", "WIDTH"), -520);
  vexui_set_dialog_rect(5, 6, 1000, 1000);
  EXPECT_EQ(num("", "XPOS"), 5);
  EXPECT_EQ(num("", "WIDTH"), 480);
  EXPECT_EQ(num("", "HEIGHT"), 320 - 18);  // moveable: shortened by its title bar (cell 14 + 4)
}
