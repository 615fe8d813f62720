// Widgets and dialogs as the application sees them: the property keys,
// creation by id, the sorted store beside the layout order, hiding frames.
#include "tests/support/vexui_test.h"

class Properties : public VexuiTest {
 protected:
  void SetUp() override {
    VexuiTest::SetUp();
    vexui_push_dialog(10, 10, 200, 150);
  }
};

TEST_F(Properties, FreshWidgetDefaultsAndKeysOutsideTheTable) {
  vexui_button(TvString("b"), TvString("Go"), 0, 0);
  EXPECT_EQ(get("b", "MAXVAL"), "1");
  EXPECT_EQ(get("b", "STEP"), std::string(string_from_number(0.01).c_str()));  // the runtime's number text
  EXPECT_EQ(get("b", "MINVAL"), "0");
  EXPECT_EQ(get("b", "ALIGN"), "-1");
  EXPECT_EQ(get("b", "TYPE"), "BUTTON");
  EXPECT_EQ(get("b", "TEXT"), "Go");
  EXPECT_EQ(get("b", "NOSUCHKEY"), "0");  // widget: "0"
  EXPECT_EQ(get("", "NOSUCHKEY"), "");    // dialog: ""
  EXPECT_EQ(get("nobody", "TEXT"), "");
  EXPECT_EQ(num("nobody", "MAXVAL"), 0);
  EXPECT_EQ(get("b", "text"), "0");  // keys are upper case exactly

  set("b", "XPOS", "5");  // found by layout, never written
  set("b", "YPOS", "5");
  set("b", "BOGUS", "7");
  EXPECT_EQ(get("b", "XPOS"), "0");
  vexui_show(1);
  EXPECT_EQ(num("b", "XPOS"), 13);
}

TEST_F(Properties, RoundTripsOfWidgetAndDialogKeys) {
  set("w", "TEXT", "caf\xE9|x");
  set("w", "TIPTEXT", "tip");
  set("w", "FILTER", "*.txt");
  set("w", "SELECT", "3.9");  // integers take the integer value of the text
  set("w", "STEP", "0.25");
  set("w", "MINVAL", "-2.5");
  set("w", "SCROLL", "abc");
  EXPECT_EQ(get("w", "TEXT"), "caf\xE9|x");
  EXPECT_EQ(get("w", "TIPTEXT"), "tip");
  EXPECT_EQ(get("w", "FILTER"), "*.txt");
  EXPECT_EQ(get("w", "SELECT"), "3");
  EXPECT_EQ(get("w", "STEP"), "0.25");
  EXPECT_EQ(get("w", "MINVAL"), "-2.5");
  EXPECT_EQ(get("w", "SCROLL"), "0");
  for (const char* key : {"CLICKED", "WIDTH", "HEIGHT", "COUNT", "HOVER", "READONLY", "SELSTART", "SELEND", "HIDE",
                          "ALIGN"}) {
    set("w", key, "7");
    EXPECT_EQ(get("w", key), "7") << key;
  }

  set("", "TEXT", "Title");
  set("", "FOCUS", "w");
  set("", "INKEY", "q");
  EXPECT_EQ(get("", "TEXT"), "Title");
  EXPECT_EQ(get("", "FOCUS"), "w");
  EXPECT_EQ(get("", "INKEY"), "q");
  for (const char* key : {"COL_BRIGHT", "COL_NORM", "COL_HOVER_BRIGHT", "COL_HOVER_NORM", "XPOS", "YPOS", "WIDTH",
                          "HEIGHT", "MOVEABLE", "SCALEABLE"}) {
    set("", key, "12");
    EXPECT_EQ(get("", key), "12") << key;
  }
  set("", "MOVING", "1");  // read only
  set("", "SCALING", "1");
  set("", "SELECT", "1");
  EXPECT_EQ(get("", "MOVING"), "0");
  EXPECT_EQ(get("", "SCALING"), "0");
  EXPECT_EQ(get("", "SELECT"), "");
}

TEST_F(Properties, ReadingCreatesNothingWritingCreatesABlankWidgetLast) {
  vexui_button(TvString("first"), TvString("1"), 40, 20);
  EXPECT_EQ(get("ghost", "TEXT"), "");
  EXPECT_EQ(array_total(vexui_top().widgets), 1);
  set("ghost", "BOGUSKEY", "1");  // an ignored key still creates the widget
  VexuiDialog& d = vexui_top();
  ASSERT_EQ(array_total(d.widgets), 2);
  EXPECT_EQ(get("ghost", "TYPE"), "");
  EXPECT_EQ(get("ghost", "WIDTH"), "0");
  EXPECT_EQ(std::string(d.order(1).id.c_str()), "ghost");
}

TEST_F(Properties, SortedStoreBesideLayoutOrderWithIndexesKeptCurrent) {
  vexui_button(TvString("b"), TvString("B"), 40, 20);
  vexui_button(TvString("a"), TvString("A"), 40, 20);
  VexuiDialog& d = vexui_top();
  EXPECT_STREQ(d.widgets(0).id.c_str(), "a");
  EXPECT_STREQ(d.widgets(1).id.c_str(), "b");
  EXPECT_STREQ(d.order(0).id.c_str(), "b");
  EXPECT_STREQ(d.order(1).id.c_str(), "a");
  vexui_show(1);
  EXPECT_LT(num("b", "XPOS"), num("a", "XPOS"));  // laid out as created

  // scattered insertions: every order entry names its widget, byte-wise order
  const char* ids[] = {"m", "c", "\xE9", "z", "b1", "aa", "B", "mm", "0"};
  for (const char* id : ids) vexui_button(TvString(id), TvString(id), 20, 20);
  for (int32_t i = 0; i < array_total(d.order); ++i)
    EXPECT_EQ(d.widgets(d.order(i).index).id, d.order(i).id) << i;
  for (int32_t i = 1; i < array_total(d.widgets); ++i)
    EXPECT_LT(std::string(d.widgets(i - 1).id.c_str()), std::string(d.widgets(i).id.c_str()));
  EXPECT_STREQ(d.widgets(array_total(d.widgets) - 1).id.c_str(), "\xE9");  // 233 sorts last
  for (int32_t i = 0; i < array_total(d.widgets); ++i) EXPECT_EQ(vexui_find_widget(d, d.widgets(i).id, 0), i);
  EXPECT_EQ(vexui_find_widget(d, TvString("ab"), 0), -1);
}

TEST_F(Properties, AutomaticIdsAndSizes) {
  vexui_add_widget(TvString(), TvString("x"), 0, 0);
  vexui_add_widget(TvString(), TvString("y"), 0, 0);
  VexuiDialog& d = vexui_top();
  EXPECT_STREQ(d.order(0).id.c_str(), "iwdg%1");
  EXPECT_STREQ(d.order(1).id.c_str(), "iwdg%2");

  // 16 and below become automatic (text width + one cell, at least 16); 17 stays
  vexui_button(TvString("w16"), TvString("abcd"), 16, 16);
  vexui_button(TvString("w17"), TvString("abcd"), 17, 17);
  vexui_button(TvString("tiny"), TvString(""), 3, 0);
  EXPECT_EQ(num("w16", "WIDTH"), 4 * 8 + 8);
  EXPECT_EQ(num("w16", "HEIGHT"), 16);  // at least the least size
  EXPECT_EQ(num("w17", "WIDTH"), 17);
  EXPECT_EQ(num("w17", "HEIGHT"), 17);
  EXPECT_EQ(num("tiny", "WIDTH"), 16);

  // refilling an existing widget keeps what the constructor does not set
  set("w17", "SELECT", "1");
  vexui_button(TvString("w17"), TvString("new"), 50, 30);
  EXPECT_EQ(num("w17", "SELECT"), 1);
  EXPECT_EQ(get("w17", "TEXT"), "new");
  EXPECT_EQ(array_total(d.order), 5);
}

TEST_F(Properties, ConstructorSizesAndItems) {
  vexui_list(TvString("l"), TvString("one|three|"), 0, 0);
  EXPECT_EQ(num("l", "COUNT"), 2);
  EXPECT_EQ(num("l", "SELECT"), 0);
  EXPECT_EQ(num("l", "HEIGHT"), 4 * 8 + 4);
  EXPECT_EQ(num("l", "WIDTH"), (5 + 3) * 8);
  vexui_list(TvString("l2"), TvString("|"), 100, 30);  // empty parts are dropped
  EXPECT_EQ(num("l2", "COUNT"), 0);
  EXPECT_EQ(num("l2", "SELECT"), -1);
  EXPECT_EQ(num("l2", "HEIGHT"), 24 + 4);
  vexui_combo(TvString("c"), TvString("a|bb"), 0, 0);
  EXPECT_EQ(get("c", "TYPE"), "COMBO");
  EXPECT_EQ(num("c", "HEIGHT"), 16);
  vexui_combo(TvString(), TvString("a"), 60, 0);  // an automatic id still gets its type
  EXPECT_EQ(get("iwdg%4", "TYPE"), "COMBO");
  vexui_file(TvString("f"), TvString(""), TvString("*.ini"), 0, 0);
  EXPECT_EQ(num("f", "WIDTH"), 12 * 8);
  EXPECT_EQ(get("f", "FILTER"), "*.ini");
  vexui_radio(TvString("r"), TvString("ab|abcd"), 0);
  EXPECT_EQ(num("r", "WIDTH"), (4 + 2) * 8);
  vexui_radio(TvString("r0"), TvString(""), 50);
  EXPECT_EQ(num("r0", "SELECT"), -1);
  vexui_checkbox(TvString("k"), TvString("Tick"), 0, 0);
  EXPECT_EQ(num("k", "WIDTH"), 4 * 8 + 16);
  vexui_slider(TvString("s"), 0.25, 0, 0);
  EXPECT_EQ(num("s", "WIDTH"), 100);
  EXPECT_EQ(num("s", "HEIGHT"), 16);
  EXPECT_EQ(get("s", "TEXT"), "0.25");
  vexui_frame(TvString(), TvString("Group"), 0);
  vexui_unframe();
  VexuiDialog& d = vexui_top();
  int32_t n = array_total(d.order);
  EXPECT_STREQ(d.order(n - 2).id.c_str(), "frm10");  // nine widgets before it
  EXPECT_STREQ(d.order(n - 1).id.c_str(), "frm11");
  EXPECT_EQ(num("frm10", "WIDTH"), 0);
  EXPECT_EQ(num("frm10", "HEIGHT"), 100);
  EXPECT_EQ(num("frm11", "HEIGHT"), 0);
  vexui_spacer(0, 0);
  EXPECT_STREQ(d.order(-1).id.c_str(), "ID_SPACER_11");
  EXPECT_EQ(num("ID_SPACER_11", "WIDTH"), 0);
  vexui_user_widget(TvString("u"), TvString("GAUGE"), 30, 30);
  EXPECT_EQ(get("u", "TYPE"), "GAUGE");
  EXPECT_EQ(get("u", "TEXT"), "");
}

// The walk ends at the frame's own "UNFRAME", also past nested frames.
TEST_F(Properties, HidingAFrameHidesItsNestedContentUpToItsOwnEnd) {
  vexui_button(TvString("before"), TvString("x"), 20, 20);
  vexui_frame(TvString("outer"), TvString(""), 0);
  vexui_button(TvString("o1"), TvString("x"), 20, 20);
  vexui_frame(TvString("inner"), TvString(""), 0);
  vexui_button(TvString("i1"), TvString("x"), 20, 20);
  vexui_unframe();
  vexui_button(TvString("o2"), TvString("x"), 20, 20);
  vexui_unframe();
  vexui_button(TvString("after"), TvString("x"), 20, 20);
  set("o2", "CLICKED", "1");

  vexui_hide(TvString("outer"), 1);
  for (const char* id : {"outer", "o1", "inner", "i1", "o2"}) EXPECT_EQ(num(id, "HIDE"), 1) << id;
  EXPECT_EQ(num("o2", "CLICKED"), 0);
  EXPECT_EQ(num("before", "HIDE"), 0);
  EXPECT_EQ(num("after", "HIDE"), 0);
  vexui_show(1);
  EXPECT_EQ(num("after", "XPOS"), 13 + 22);  // right after "before"

  vexui_hide(TvString("inner"), 0);
  EXPECT_EQ(num("i1", "HIDE"), 0);
  EXPECT_EQ(num("o2", "HIDE"), 1);
  set("outer", "HIDE", "0");  // through the property only the frame itself
  EXPECT_EQ(num("o1", "HIDE"), 1);
}

TEST_F(Properties, LinksCopyAfterEachShowAndColoursCarryUpTheStack) {
  vexui_slider(TvString("s"), 0.5, 0, 0);
  vexui_add_widget(TvString("label"), TvString(""), 0, 0);
  vexui_link(TvString("s"), TvString("TEXT"), TvString("label"), TvString("TEXT"));
  vexui_link(TvString("label"), TvString("TEXT"), TvString(""), TvString("TEXT"));
  vexui_show(1);
  EXPECT_EQ(get("label", "TEXT"), "0.5");
  EXPECT_EQ(get("", "TEXT"), "0.5");

  EXPECT_EQ(num("", "COL_NORM"), 0xC0C0C0);
  EXPECT_EQ(num("", "COL_HOVER_NORM"), 0xFF9040);
  set("", "COL_NORM", "255");
  vexui_push_dialog(0, 0, 100, 100);
  EXPECT_EQ(num("", "COL_NORM"), 255);
  EXPECT_EQ(num("", "COL_BRIGHT"), 0xFFFFFF);
  EXPECT_EQ(get("s", "TEXT"), "");  // the new top has its own widgets
  vexui_pop_dialog();
  EXPECT_EQ(get("s", "TEXT"), "0.5");
  vexui_pop_dialog();
  EXPECT_EQ(get("", "TEXT"), "");
  vexui_show(1);  // an empty stack shows nothing
  vexui_pop_dialog();
}

TEST_F(Properties, UserWidgetsReachTheReplaceableHandler) {
  static std::string seen;
  seen.clear();
  vexui_set_user_handler([](VexuiWidget& w) { seen += std::string(w.id.c_str()) + ":" + w.type.c_str() + ";"; });
  vexui_user_widget(TvString("g"), TvString("GAUGE"), 30, 30);
  vexui_show(1);
  EXPECT_EQ(seen, "g:GAUGE;");
}
