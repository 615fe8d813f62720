// Text blocks and the text widget's editor: layout and word wrap on their
// own, then editing through the runtime's input (key and text events, the
// frame start) and vexui_show, with the clock under the test's control.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/vexui_test.h"
#include "vexui/text_layout.h"

namespace {

// Every glyph 8 wide, as the built-in font.
void fixed_glyphs() {
  for (int c = 0; c < 256; ++c) vexui_state.glyph_advance[c] = 8, vexui_state.glyph_offset[c] = 0;
}

std::vector<int32_t> rows(const char* text, int width) {
  return vexui_text_layout(TvString(text), width).row_start;
}

TEST(TextLayout, WrapsAtBlanksNeverInsideAWord) {
  fixed_glyphs();
  // 5 cells a row: "ab cd" fits, "ef" goes to the next row
  EXPECT_EQ(rows("ab cd ef", 40), (std::vector<int32_t>{0, 6}));
  // a word wider than the row stays whole and runs past the edge
  EXPECT_EQ(rows("abcdefghijkl mn", 40), (std::vector<int32_t>{0, 13}));
  // the block's closing blank is laid out too: past the edge it takes a row
  EXPECT_EQ(rows("abcdefghijkl", 40), (std::vector<int32_t>{0, 13}));
  EXPECT_EQ(rows("abcd", 40), (std::vector<int32_t>{0}));
  // line ends break rows; the word after a blank stops at the line end
  EXPECT_EQ(rows("ab\ncd ef\ngh", 64), (std::vector<int32_t>{0, 3, 9}));
  EXPECT_EQ(rows("", 40), (std::vector<int32_t>{0}));
}

TEST(TextLayout, FindsTheCharacterAtAPointAndKeepsLayouts) {
  fixed_glyphs();
  TvString text("abc de\nfghij");
  const VexuiTextLayout& l = vexui_text_layout(text, 200);
  ASSERT_EQ(l.row_start, (std::vector<int32_t>{0, 7}));
  // a character is found from 1.5 cells left of it on
  EXPECT_EQ(vexui_layout_find(l, text, 0, 0, 8), 0);
  EXPECT_EQ(vexui_layout_find(l, text, 13, 4, 8), 1);
  EXPECT_EQ(vexui_layout_find(l, text, 100, 4, 8), 6);   // past the end of a row: its "\n"
  EXPECT_EQ(vexui_layout_find(l, text, 20, 12, 8), 8);   // second row
  EXPECT_EQ(vexui_layout_find(l, text, 500, 12, 8), 13); // nothing there: the block's length
  EXPECT_EQ(vexui_layout_find(l, text, 0, 900, 8), 13);
  EXPECT_EQ(vexui_layout_x(l, text, 9), 16);
  EXPECT_EQ(vexui_layout_row(l, 9), 1);
  // the same text and width come from the cache; another width or text does not
  EXPECT_EQ(&vexui_text_layout(TvString("abc de\nfghij"), 200), &l);
  EXPECT_EQ(vexui_text_layout(TvString("abc de\nfghij"), 24).row_start, (std::vector<int32_t>{0, 4, 7, 13}));
  EXPECT_EQ(vexui_text_layout(TvString("abc de\nfghiX"), 200).row_start.size(), 2u);
  vexui_state.glyph_advance['a'] = 30;  // new glyph tables lay out again
  EXPECT_EQ(vexui_text_layout(TvString("abc de\nfghij"), 40).row_start, (std::vector<int32_t>{0, 4, 7, 13}));
  fixed_glyphs();
}

TEST(TextPaste, LineEndsAndTabsBecomeTypedText) {
  EXPECT_EQ(std::string(vexui_paste_text(TvString("a\r\nb\rc\nd\te")).c_str()), "a\nb\nc\nd    e");
}

class TextEdit : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    input_device.focused = true;  // the window has the keyboard
    for (int i = 0; i < 256; ++i) input_device.key_map[i] = uint16_t(i);
    timer_start();  // timer_ms on the test's clock
    frame_clock.clock_origin = 0;
    escape_switch(1);
    vexui_push_dialog(0, 0, 480, 320);
    vexui_text("t", "xyz", 200, 60);  // content at (3, 3): "t" from (3, 3) to (203, 63)
  }
  void TearDown() override {
    release_all();
    VexuiTest::TearDown();
    timer_start();
    frame_clock.clock_origin = 0;
  }
  void release_all() {
    for (int code = 1; code < 256; ++code)
      if (input_device.keys_down[code]) input_on_key(code, false, false);
    input_frame_start();
    input_frame_start();
    while (!typed_key().empty()) {
    }
  }
  // A key press with the text the desktop gives for it.
  void press(int code, const char* text = nullptr) {
    input_on_key(code, true, false);
    if (text) input_on_text(text);
  }
  void release(int code) { input_on_key(code, false, false); }
  void tap(int code, const char* text = nullptr) {
    press(code, text);
    release(code);
  }
  // One frame with the mouse away from every widget.
  void frame() {
    vexui_test::clock_now += 16;
    frame_at(470, 310, false);
  }
  void focus(const char* id, int selstart, int selend) {
    set("", "FOCUS", id);
    set(id, "SELSTART", std::to_string(selstart).c_str());
    set(id, "SELEND", std::to_string(selend).c_str());
  }
  int caret(const char* id = "t") { return num(id, "SELEND"); }
};

TEST_F(TextEdit, TypingAndBackspaceReplaceTheSelection) {
  focus("t", 2, 2);
  tap(30, "a");
  frame();
  EXPECT_EQ(get("t", "TEXT"), "xyaz");
  EXPECT_EQ(caret(), 3);
  release_all();

  set("t", "TEXT", "hello");
  focus("t", 1, 4);
  tap(14);  // Backspace
  frame();
  EXPECT_EQ(get("t", "TEXT"), "ho");
  EXPECT_EQ(caret(), 1);
  EXPECT_EQ(num("t", "SELSTART"), 1);
  release_all();

  set("t", "TEXT", "hello");
  focus("t", 4, 1);  // selected backwards
  press(42);
  tap(18, "E");
  frame();
  EXPECT_EQ(get("t", "TEXT"), "hEo");
  EXPECT_EQ(caret(), 2);
}

TEST_F(TextEdit, ArrowsStopAtBothEndsAndAHeldArrowRepeatsEvery150Ms) {
  focus("t", 0, 0);
  tap(203);  // Left at 0
  frame();
  EXPECT_EQ(caret(), 0);
  release_all();
  vexui_test::clock_now += 200;
  focus("t", 3, 3);
  tap(205);  // Right at the end
  frame();
  EXPECT_EQ(caret(), 3);
  release_all();

  set("t", "TEXT", "abcdefgh");
  focus("t", 0, 0);
  vexui_test::clock_now += 200;
  press(205);
  frame();  // handled at once
  EXPECT_EQ(caret(), 1);
  int64_t pressed = vexui_test::clock_now;
  while (vexui_test::clock_now + 16 - pressed <= 150) {
    frame();
    ASSERT_EQ(caret(), 1) << "at " << vexui_test::clock_now - pressed << " ms";
  }
  frame();  // more than 150 ms after the press
  EXPECT_EQ(caret(), 2);
  frame();
  EXPECT_EQ(caret(), 2);
}

TEST_F(TextEdit, TabTypesABlankAndShiftArrowsExtendTheSelection) {
  focus("t", 1, 1);
  tap(15);
  frame();
  EXPECT_EQ(get("t", "TEXT"), "x yz");
  EXPECT_EQ(caret(), 2);
  release_all();
  vexui_test::clock_now += 200;
  press(42);
  tap(205);
  frame();
  EXPECT_EQ(num("t", "SELSTART"), 2);
  EXPECT_EQ(caret(), 3);
  EXPECT_EQ(get("t", "TEXT"), "x yz");
}

TEST_F(TextEdit, ReadOnlyMovesTheCaretButNeverTheText) {
  set("t", "READONLY", "1");
  focus("t", 1, 1);
  tap(31, "s");
  tap(205);
  frame();
  EXPECT_EQ(get("t", "TEXT"), "xyz");
  EXPECT_EQ(caret(), 2);
  release_all();
  vexui_test::clock_now += 200;
  tap(14);
  tap(211);
  frame();
  EXPECT_EQ(get("t", "TEXT"), "xyz");
}

TEST_F(TextEdit, TheTextWidgetUnderTheMouseTakesTheTypedKey) {
  vexui_spacer(10000, 0);
  vexui_text("u", "uvw", 200, 60);  // below "t"
  focus("u", 3, 3);
  tap(37, "k");
  vexui_test::clock_now += 16;
  frame_at(50, 20, false);  // over "t"
  EXPECT_EQ(get("t", "TEXT"), "kxyz");
  EXPECT_EQ(get("u", "TEXT"), "uvw");  // the key went to the first reader
}

TEST_F(TextEdit, ClickPlacesTheCaretAndDragSelects) {
  set("t", "TEXT", "abcdefgh");
  // the character under the mouse gets the caret before it
  frame_at(11 + 2 * 8, 6, true);  // drawn half a cell in: char k spans 7 + 8k..
  EXPECT_EQ(get("", "FOCUS"), "t");
  EXPECT_EQ(num("t", "SELSTART"), 2);
  EXPECT_EQ(caret(), 2);
  frame_at(11 + 5 * 8, 6, true);
  EXPECT_EQ(num("t", "SELSTART"), 2);
  EXPECT_EQ(caret(), 5);
  frame_at(11 + 5 * 8, 6, false);
  EXPECT_EQ(caret(), 5);
  // past the last row: the end of the text
  click_at(100, 50);
  EXPECT_EQ(caret(), 8);
}

TEST_F(TextEdit, StoredSelectionOutsideTheTextIsKeptInside) {
  set("t", "TEXT", "xyz");
  focus("t", -5, 999);
  frame();
  EXPECT_EQ(num("t", "SELSTART"), 0);
  EXPECT_EQ(caret(), 3);
  set("t", "SELSTART", "99");
  set("t", "SELEND", "-7");
  tap(30, "a");
  frame();
  EXPECT_EQ(get("t", "TEXT"), "a");  // the whole (clamped) selection was replaced
  EXPECT_EQ(caret(), 1);
  // without the focus the selection reads -1
  set("", "FOCUS", "");
  frame();
  EXPECT_EQ(caret(), -1);
}

TEST_F(TextEdit, ViewFollowsTheCaretAndTheWheelScrollsThreeRows) {
  std::string many;
  for (int i = 0; i < 30; ++i) many += "line" + std::to_string(i) + "\n";
  set("t", "TEXT", many.c_str());
  focus("t", int(many.size()), int(many.size()));
  int before = num("t", "SCROLL");
  frame();
  frame();
  EXPECT_EQ(num("t", "SCROLL"), before + 1) << "one row per frame";
  for (int i = 0; i < 40; ++i) frame();
  int bottom = num("t", "SCROLL");
  EXPECT_GT(bottom, 20);
  // a turn away from the user scrolls up; the view then stays put
  input_on_mouse_wheel(1);
  vexui_test::clock_now += 16;
  frame_at(50, 20, false);
  EXPECT_EQ(num("t", "SCROLL"), bottom - 3);
  for (int i = 0; i < 5; ++i) frame_at(50, 20, false);
  EXPECT_EQ(num("t", "SCROLL"), bottom - 3);
  for (int i = 0; i < 20; ++i) {
    input_on_mouse_wheel(1);
    frame_at(50, 20, false);
  }
  EXPECT_EQ(num("t", "SCROLL"), 0);
  // the caret moving brings the view back
  tap(207);
  for (int i = 0; i < 40; ++i) frame();
  EXPECT_GT(num("t", "SCROLL"), 20);
}

TEST_F(TextEdit, ManyCharactersTypedWithinOneFrameAllArriveInThatFrameInOrder) {
  set("t", "TEXT", "");
  focus("t", 0, 0);
  const char* word = "quick";
  for (const char* p = word; *p; ++p) {
    char text[2] = {*p, 0};
    tap(16 + int(*p - 'a') % 20, text);  // any key; the desktop's text decides
  }
  tap(14);  // Backspace after them takes the last one, not one before
  frame();
  EXPECT_EQ(get("t", "TEXT"), "quic");
  EXPECT_EQ(caret(), 4);
  release_all();

  // typed before a click of the same frame: in at the old caret, then the caret moves
  tap(30, "a");
  tap(48, "b");
  frame_at(11, 6, true);
  EXPECT_EQ(get("t", "TEXT"), "quicab");
  EXPECT_EQ(caret(), 0);
}

}  // namespace
