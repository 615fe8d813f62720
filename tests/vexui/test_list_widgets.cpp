// Lists, radios, tabs, the item operations and the pop-up list, driven by
// the mouse through the runtime's input and vexui_show.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/vexui_test.h"
#include "vexui/internal.h"

namespace {

class ListWidgets : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    for (int i = 0; i < 256; ++i) input_device.key_map[i] = uint16_t(i);
    input_device.focused = true;
    vexui_push_dialog(0, 0, 480, 320);
  }
  // Screen centre of a widget, from the last layout.
  int cx(const char* id) { return num(id, "XPOS") + num(id, "WIDTH") / 2; }
  int cy(const char* id) { return num(id, "YPOS") + num(id, "HEIGHT") / 2; }
};

TEST_F(ListWidgets, ListCountsSelectsAndClicksOnlyOnAChange) {
  vexui_list("l", "|", 100, 40);
  vexui_show(1);
  EXPECT_EQ(num("l", "COUNT"), 0);  // empty parts do not count
  set("l", "TEXT", "one|two|three");
  vexui_show(1);
  int x = num("l", "XPOS") + 20, y = num("l", "YPOS");
  click_at(x, y + 8 + 4);  // row 1
  EXPECT_EQ(num("l", "SELECT"), 1);
  EXPECT_EQ(num("l", "CLICKED"), 1);
  click_at(x, y + 8 + 4);  // the selected item again: no news
  EXPECT_EQ(num("l", "CLICKED"), 0);
  EXPECT_EQ(num("l", "SELECT"), 1);
  // below the last item: nothing selected, and that is a change
  click_at(x, y + 3 * 8 + 4);
  EXPECT_EQ(num("l", "SELECT"), -1);
  EXPECT_EQ(num("l", "CLICKED"), 1);
  EXPECT_EQ(num("l", "COUNT"), 3);
}

TEST_F(ListWidgets, ListRowsStayInsideTheItemsWhateverTheScroll) {
  vexui_list("l", "a|b|c", 100, 40);
  vexui_show(1);
  int x = num("l", "XPOS") + 20, y = num("l", "YPOS") + 4;
  for (const char* scroll : {"-5", "40"}) {
    set("l", "SCROLL", scroll);
    set("l", "SELECT", "0");
    click_at(x, y);
    EXPECT_GE(num("l", "SELECT"), -1) << scroll;
    EXPECT_LT(num("l", "SELECT"), 3) << scroll;
    EXPECT_GE(num("l", "SCROLL"), 0) << scroll;
  }
  set("l", "TEXT", "");
  set("l", "SELECT", "2");
  click_at(x, y);
  EXPECT_EQ(num("l", "SELECT"), -1);
}

TEST_F(ListWidgets, WheelScrollsAListThreeRowsWithinItsRange) {
  std::string items;
  for (int i = 0; i < 20; ++i) items += "item" + std::to_string(i) + "|";
  vexui_list("l", items.c_str(), 100, 40);  // 5 rows shown of 20
  vexui_show(1);
  int x = cx("l"), y = cy("l");
  input_on_mouse_wheel(-1);  // towards the user: down
  frame_at(x, y, false);
  EXPECT_EQ(num("l", "SCROLL"), 3);
  for (int i = 0; i < 10; ++i) {
    input_on_mouse_wheel(-1);
    frame_at(x, y, false);
  }
  EXPECT_EQ(num("l", "SCROLL"), 15);  // 20 items - 5 rows
  input_on_mouse_wheel(1);
  frame_at(470, 310, false);  // elsewhere: nothing moves
  EXPECT_EQ(num("l", "SCROLL"), 15);
}

TEST_F(ListWidgets, RadioSelectsInsideItsItems) {
  vexui_radio("r", "a|b|c", 0);
  vexui_show(1);
  int x = num("r", "XPOS") + 10, y = num("r", "YPOS");
  // the fourth line of three items (its top pixel row), reachable while a
  // stale height stands
  frame_at(x, y + 3 * 8, true);
  set("r", "HEIGHT", "40");
  frame_at(x, y + 3 * 8, false);
  EXPECT_EQ(num("r", "SELECT"), 2);
  EXPECT_EQ(num("r", "CLICKED"), 1);
  click_at(x, y + 8 + 4);
  EXPECT_EQ(num("r", "SELECT"), 1);
  set("r", "READONLY", "1");
  click_at(x, y + 4);
  EXPECT_EQ(num("r", "SELECT"), 1);
}

TEST_F(ListWidgets, ItemOperations) {
  vexui_list("l", "a|b|c", 100, 40);
  set("l", "SELECT", "1");
  EXPECT_EQ(std::string(vexui_get_item("l", -1).c_str()), "b");
  EXPECT_EQ(std::string(vexui_get_item("l", 2).c_str()), "c");
  EXPECT_EQ(std::string(vexui_get_item("l", 3).c_str()), "");
  EXPECT_EQ(std::string(vexui_get_item("nothing", 0).c_str()), "");
  vexui_insert_item("l", "", 0);  // an empty item cannot be stored
  EXPECT_EQ(get("l", "TEXT"), "<null>|a|b|c");
  EXPECT_EQ(num("l", "SELECT"), 2);  // still "b"
  EXPECT_EQ(num("l", "COUNT"), 4);
  vexui_insert_item("l", "z", 99);
  EXPECT_EQ(get("l", "TEXT"), "<null>|a|b|c|z");
  EXPECT_EQ(num("l", "SELECT"), 2);
  vexui_delete_item("l", 0);
  EXPECT_EQ(get("l", "TEXT"), "a|b|c|z");
  EXPECT_EQ(num("l", "SELECT"), 1);
  set("l", "SELECT", "0");
  vexui_delete_item("l", 0);  // the selected first item goes: nothing selected
  EXPECT_EQ(num("l", "SELECT"), -1);
  EXPECT_EQ(num("l", "COUNT"), 3);
  vexui_delete_item("l", 7);
  EXPECT_EQ(get("l", "TEXT"), "b|c|z");
}

TEST_F(ListWidgets, TabPagesFollowTheSelectedTab) {
  vexui_tab("tab", "One,x,shared|Two,y,shared,missing");
  vexui_button("x", "x", 40, 20);
  vexui_button("y", "y", 40, 20);
  vexui_button("shared", "s", 40, 20);
  set("tab", "SELECT", "-1");
  vexui_show(1);  // the first handled frame shows the first page
  EXPECT_EQ(num("tab", "SELECT"), 0);
  EXPECT_EQ(num("x", "HIDE"), 0);
  EXPECT_EQ(num("y", "HIDE"), 1);
  EXPECT_EQ(num("shared", "HIDE"), 0);
  EXPECT_EQ(vexui_find_widget(vexui_top(), "missing", 0), -1);  // named, never made
  // "Two" is the second caption: 8 cells wide each ("One" + 1 cell = 32)
  int y = num("tab", "YPOS") + 4, x = num("tab", "XPOS") + 32 + 10;
  click_at(x, y);
  EXPECT_EQ(num("tab", "SELECT"), 1);
  EXPECT_EQ(num("tab", "CLICKED"), 1);
  EXPECT_EQ(num("x", "HIDE"), 1);
  EXPECT_EQ(num("y", "HIDE"), 0);
  EXPECT_EQ(num("shared", "HIDE"), 0);  // listed in both: shown with the selected one
  click_at(x, y);
  EXPECT_EQ(num("tab", "CLICKED"), 0);
  vexui_select_tab("tab", 0);
  EXPECT_EQ(num("y", "HIDE"), 1);
  EXPECT_EQ(num("x", "HIDE"), 0);
}

TEST_F(ListWidgets, PopUpListPicksAnItemOrIsCancelled) {
  ASSERT_FALSE(vexui_popup_build(10, 10, 100, 200, "|"));
  EXPECT_EQ(vexui_popup_list(10, 10, 100, 200, ""), -1);

  ASSERT_TRUE(vexui_popup_build(10, 10, 100, 200, "red|green|blue"));
  EXPECT_EQ(num("", "HEIGHT"), 3 * (16 + 2) + 4);  // shrunk to its buttons
  EXPECT_EQ(vexui_popup_step(), -2);
  input_on_mouse_motion(cx("b1"), cy("b1"), 0, 0);
  input_on_mouse_button(0, true);
  input_frame_start();
  EXPECT_EQ(vexui_popup_step(), -2);
  input_on_mouse_button(0, false);
  input_frame_start();
  EXPECT_EQ(vexui_popup_step(), 1);
  vexui_pop_dialog();

  ASSERT_TRUE(vexui_popup_build(10, 10, 100, 200, "red|green|blue"));
  input_on_mouse_motion(400, 300, 0, 0);  // a press outside
  input_on_mouse_button(0, true);
  input_frame_start();
  EXPECT_EQ(vexui_popup_step(), -1);
  input_on_mouse_button(0, false);
  vexui_pop_dialog();
}

TEST_F(ListWidgets, EscapeCancelsThePopUpInsteadOfEndingTheProgram) {
  escape_switch(1);
  ASSERT_TRUE(vexui_popup_build(10, 10, 100, 200, "red|green|blue"));
  vexui_modal_begin();
  EXPECT_FALSE(escape_ends_program);
  input_frame_start();
  EXPECT_EQ(vexui_popup_step(), -2);
  input_on_key(1, true, false);
  input_frame_start();
  EXPECT_EQ(vexui_popup_step(), -1);
  vexui_pop_dialog();
  input_on_key(1, false, false);
  vexui_modal_end();  // waits for the release, then the end key is back
  EXPECT_TRUE(escape_ends_program);
  EXPECT_EQ(key_state(1), 0);

  // a program that had switched it off keeps it off
  escape_switch(0);
  vexui_modal_begin();
  vexui_modal_end();
  EXPECT_FALSE(escape_ends_program);
  escape_switch(1);
}

TEST_F(ListWidgets, TenThousandItemsAreAllThereInOrder) {
  std::string items;
  for (int i = 0; i < 10000; ++i) items += "entry " + std::to_string(i) + "|";
  ASSERT_TRUE(vexui_popup_build(0, 0, 200, 300, items.c_str()));
  VexuiDialog& d = vexui_top();
  ASSERT_EQ(array_total(d.widgets), 10000);
  for (int i : {0, 1, 10, 4711, 9999}) {
    std::string id = "b" + std::to_string(i);
    int k = vexui_find_widget(d, TvString(id.c_str()), 0);
    ASSERT_GE(k, 0) << id;
    EXPECT_EQ(std::string(d.widgets(k).text.c_str()), "entry " + std::to_string(i));
    EXPECT_EQ(std::string(d.order(i).id.c_str()), id);
    EXPECT_EQ(d.order(i).index, k);
    EXPECT_EQ(d.widgets(k).order_entry, i);
  }
  EXPECT_EQ(num("", "WIDTH"), 200 + 20);  // room for the scroll bar
  EXPECT_EQ(vexui_popup_step(), -2);
  EXPECT_EQ(vexui_popup_step(), -2);  // the content height is a frame old
  EXPECT_GT(d.self.scroll_max, 0);
  // the wheel over it scrolls three buttons (16 high, 2 apart)
  input_on_mouse_motion(100, 100, 0, 0);
  input_on_mouse_wheel(-1);
  input_frame_start();
  vexui_popup_step();
  EXPECT_EQ(d.self.scroll, 3 * 18);
  input_on_mouse_wheel(1);
  input_on_mouse_wheel(1);
  input_frame_start();
  vexui_popup_step();
  EXPECT_EQ(d.self.scroll, 0);
  vexui_pop_dialog();
}

}  // namespace
