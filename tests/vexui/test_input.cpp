// Input through the runtime's own mouse entry points and vexui_show: the
// click pulse, press-here-release-there, check boxes, sliders, file and
// combo widgets, dragging and resizing the dialog, and the scroll bar.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/vexui_test.h"

namespace {

// Presses injected into the pacing wait of show_frame, which a modal
// dialog's loop runs: the desktop's events of that moment.
int pending_press_x = -1, pending_press_y = -1;
void sleep_with_input(int ms) {
  vexui_test::clock_now += ms > 0 ? ms : 1;
  if (pending_press_x >= 0) {
    input_on_mouse_motion(pending_press_x, pending_press_y, 0, 0);
    input_on_mouse_button(0, true);
    pending_press_x = -1;
  }
}

}  // namespace

class Input : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    vexui_push_dialog(10, 10, 200, 150);  // content from (13, 13)
  }
};

TEST_F(Input, ClickedIsAOneFramePulseOnTheReleaseOverTheWidget) {
  vexui_button(TvString("a"), TvString("A"), 40, 20);  // (13, 13)
  vexui_button(TvString("b"), TvString("B"), 40, 20);  // (55, 13)
  frame_at(20, 20, false);
  EXPECT_EQ(num("a", "HOVER"), 1);
  EXPECT_EQ(num("a", "CLICKED"), 0);
  frame_at(20, 20, true);  // the press edge is not a click
  EXPECT_EQ(num("a", "CLICKED"), 0);
  frame_at(20, 20, false);
  EXPECT_EQ(num("a", "CLICKED"), 1);
  frame_at(20, 20, false);
  EXPECT_EQ(num("a", "CLICKED"), 0);

  // pressed over a, released over b: only b
  frame_at(20, 20, true);
  frame_at(60, 20, true);
  EXPECT_EQ(num("b", "CLICKED"), 0);
  frame_at(60, 20, false);
  EXPECT_EQ(num("a", "CLICKED"), 0);
  EXPECT_EQ(num("b", "CLICKED"), 1);
  EXPECT_EQ(num("a", "HOVER"), 0);

  // a release outside every widget clicks nothing; a hidden widget keeps its pulse
  vexui_hide(TvString("b"), 1);
  click_at(150, 100);
  EXPECT_EQ(num("a", "CLICKED"), 0);
  EXPECT_EQ(num("b", "CLICKED"), 1);
  // taking the dialog's rect again clears hover and click of every widget
  vexui_set_dialog_rect(0, 0, 0, 0);
  EXPECT_EQ(num("b", "CLICKED"), 0);
}

TEST_F(Input, CheckBoxTogglesUnlessReadOnly) {
  vexui_checkbox(TvString("k"), TvString("Tick"), 0, 0);
  click_at(16, 16);
  EXPECT_EQ(num("k", "SELECT"), 1);
  EXPECT_EQ(num("k", "CLICKED"), 1);
  click_at(16, 16);
  EXPECT_EQ(num("k", "SELECT"), 0);
  set("k", "READONLY", "1");
  click_at(16, 16);
  EXPECT_EQ(num("k", "SELECT"), 0);
  EXPECT_EQ(num("k", "CLICKED"), 1);  // kept from before
}

TEST_F(Input, SliderFollowsTheHeldButtonInStepsAndStaysInItsRange) {
  vexui_slider(TvString("s"), 0, 109, 16);  // track of 100 pixels from x 5
  set("s", "STEP", "0.25");
  frame_at(13 + 65, 20, true);  // 0.6 of the way: trunc(2.4 + 0.4) steps
  EXPECT_EQ(get("s", "TEXT"), "0.5");
  EXPECT_EQ(num("s", "CLICKED"), 1);
  EXPECT_EQ(get("", "FOCUS"), "s");
  frame_at(13 + 200, 100, true);  // dragged past the end, away from the slider
  EXPECT_EQ(get("s", "TEXT"), "1");
  frame_at(13 + 200, 100, false);  // released elsewhere: the slider keeps the focus
  EXPECT_EQ(get("", "FOCUS"), "s");
  EXPECT_EQ(num("s", "CLICKED"), 0);
  frame_at(13 + 30, 20, true);
  EXPECT_EQ(get("s", "TEXT"), "0.25");
  frame_at(13 + 30, 20, false);
  EXPECT_EQ(get("", "FOCUS"), "");

  set("s", "STEP", "0");  // no step: two decimals
  frame_at(13 + 38, 20, true);
  EXPECT_EQ(get("s", "TEXT"), "0.33");
  frame_at(13 + 38, 20, false);

  // rounding down to a step below the minimum is held at the minimum
  set("s", "STEP", "0.25");
  set("s", "MINVAL", "0.1");
  frame_at(14, 20, true);
  EXPECT_DOUBLE_EQ(vexui_get_number(TvString("s"), TvString("TEXT")), 0.1);
  frame_at(14, 20, false);

  // no track to measure (5 pixels) and an empty range: no division by zero
  set("s", "WIDTH", "5");
  set("s", "MINVAL", "2");
  set("s", "MAXVAL", "2");
  frame_at(15, 20, true);
  EXPECT_EQ(get("s", "TEXT"), "2");
  frame_at(15, 20, false);
  set("s", "READONLY", "1");
  set("s", "TEXT", "7");
  frame_at(15, 20, true);
  EXPECT_EQ(get("s", "TEXT"), "7");
}

TEST_F(Input, CancelledFileDialogGivesAnEmptyTextAndAClick) {
  std::string empty_dir = std::string(TEST_BINARY_DIR) + "/vexui_no_dialogs";
  std::filesystem::create_directories(empty_dir);
  std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", empty_dir.c_str(), 1);  // no desktop file dialog at all
  vexui_file(TvString("f"), TvString("old/name.txt"), TvString(""), 0, 0);
  frame_at(16, 16, false);
  EXPECT_EQ(get("f", "FILTER"), "*.*");
  EXPECT_EQ(num("f", "CLICKED"), 0);
  click_at(16, 16);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(get("f", "TEXT"), "");
  EXPECT_EQ(num("f", "CLICKED"), 1);
}

TEST_F(Input, ModalActionsAreHandedOverAfterTheFrame) {
  vexui_button(TvString("colour"), TvString("SPR_C255"), 40, 20);
  VexuiDialog& d = vexui_top();
  VexuiWidget& w = d.widgets(vexui_find_widget(d, TvString("colour"), 0));
  vexui_handle_input(d, w, 5, 5, 1, 0);
  EXPECT_EQ(d.pending_action, VEXUI_COLOR_PICKER);
  EXPECT_STREQ(d.pending_id.c_str(), "colour");
  d.pending_action = 0;
  w.readonly = 1;  // a read-only swatch does nothing at all
  w.clicked = 0;
  vexui_handle_input(d, w, 5, 5, 1, 0);
  EXPECT_EQ(d.pending_action, 0);
  EXPECT_EQ(w.clicked, 0);

  // the combo's pop-up list, closed by a press outside it: nothing changes
  vexui_combo(TvString("c"), TvString("one|two|three"), 80, 0);  // at (55, 13)
  set("c", "SELECT", "1");
  set_clock(sleep_with_input);
  pending_press_x = 470;
  pending_press_y = 5;
  frame_at(60, 16, true);
  frame_at(60, 16, false);
  pending_press_x = -1;
  button(false);
  EXPECT_EQ(array_total(vexui_state.dialogs), 1);
  EXPECT_EQ(num("c", "SELECT"), 1);
  EXPECT_EQ(num("c", "CLICKED"), 0);
  EXPECT_EQ(vexui_top().pending_action, 0);
}

TEST_F(Input, TitleBarDragMovesTheDialogOnceNoWidgetHasTheFocus) {
  set("", "MOVEABLE", "1");
  set("", "FOCUS", "t");
  frame_at(50, 12, true);  // on the title strip: only the focus goes
  EXPECT_EQ(get("", "FOCUS"), "");
  EXPECT_EQ(num("", "MOVING"), 0);
  frame_at(50, 12, false);
  frame_at(50, 12, true);
  EXPECT_EQ(num("", "MOVING"), 1);
  frame_at(70, 22, true);
  EXPECT_EQ(num("", "XPOS"), 30);
  EXPECT_EQ(num("", "YPOS"), 20);
  frame_at(20, 15, true);  // the drag goes on off the strip; never left of 0
  EXPECT_EQ(num("", "XPOS"), 0);
  frame_at(20, 15, false);
  EXPECT_EQ(num("", "MOVING"), 0);
  vexui_button(TvString("b"), TvString("B"), 40, 20);
  vexui_show(1);
  EXPECT_EQ(num("b", "XPOS"), 3);
  EXPECT_EQ(num("b", "YPOS"), 13 + 8 + 4 + 3);
}

TEST_F(Input, ResizeGripFollowsTheMouse) {
  set("", "SCALEABLE", "1");
  frame_at(200, 150, true);  // the grip: the last 12 x 12 pixels
  EXPECT_EQ(num("", "SCALING"), 1);
  frame_at(230, 170, true);
  EXPECT_EQ(num("", "WIDTH"), 230);
  EXPECT_EQ(num("", "HEIGHT"), 170);
  frame_at(0, 0, true);
  EXPECT_EQ(num("", "WIDTH"), 0);  // never below 0
  frame_at(0, 0, false);
  EXPECT_EQ(num("", "SCALING"), 0);
}

TEST_F(Input, DialogScrollBarDragsTheContent) {
  for (int i = 0; i < 10; ++i) vexui_button(TvString(("r" + std::to_string(i)).c_str()), TvString("r"), 150, 30);
  vexui_show(1);
  vexui_show(1);
  VexuiDialog& d = vexui_top();
  ASSERT_GT(d.self.scroll_max, 0);
  // the bar's hot strip: 20 pixels ending 10 pixels left of the content's right edge
  int bar_x = 13 + 194 - 10 - 5;
  frame_at(bar_x, 13 + 143, true);
  EXPECT_EQ(d.self.scroll, d.self.scroll_max);
  EXPECT_EQ(get("", "FOCUS"), "SB");
  frame_at(bar_x - 100, 13, true);  // dragging holds on off the bar
  EXPECT_EQ(d.self.scroll, 0);
  frame_at(bar_x - 100, 13, false);
  EXPECT_EQ(get("", "FOCUS"), "");
}
