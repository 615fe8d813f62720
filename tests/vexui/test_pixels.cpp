// What only pixels show, read back from the headless window: the dialog's
// frame, the faces of buttons, check boxes, tabs and lists, the scroll bar,
// tool tips, shading of lower dialogs, colour swatches; and the text tables.
#include "tests/support/vexui_test.h"

namespace {

const TvColor kLight = 0xFFFFFF, kLine = 0xC0C0C0, kHoverLight = 0xFFF0A0, kHoverLine = 0xFF9040;

int red_of(TvColor c) { return c & 0xFF; }

}  // namespace

class Pixels : public VexuiTest {};

TEST_F(Pixels, TitleBarBorderAndBody) {
  vexui_push_dialog(10, 10, 200, 150);
  set("", "TEXT", "T");
  vexui_show(1);
  // the title bar fades from light at its top to the line colour from 35 % down
  EXPECT_GE(red_of(get_pixel(150, 11)), 0xF0);
  EXPECT_EQ(get_pixel(150, 20), kLine);
  EXPECT_EQ(get_pixel(150, 22), kLine);
  // border lines leave the corner pixels empty
  EXPECT_EQ(get_pixel(10, 10), 0);
  EXPECT_EQ(get_pixel(11, 10), kLine);
  EXPECT_EQ(get_pixel(10, 11), kLine);
  EXPECT_EQ(get_pixel(209, 10), 0);
  EXPECT_EQ(get_pixel(208, 10), kLine);
  // the body below the bar (starting at 10 + 8 + 4)
  EXPECT_EQ(get_pixel(100, 100), kLight);
  EXPECT_EQ(get_pixel(100, 22 + 149), kLine);  // bottom border
}

TEST_F(Pixels, ButtonsCheckBoxesTabsListsAndSwatches) {
  vexui_push_dialog(0, 0, 480, 320);  // content from (3, 3)
  vexui_tab(TvString("tab"), TvString("One,a|Two,b"));  // (3, 3) 15 high, then a new line
  set("tab", "SELECT", "1");
  vexui_button(TvString("b"), TvString(""), 40, 20);  // (3, 20)
  vexui_button(TvString("p"), TvString(""), 40, 20);  // (45, 20)
  set("p", "SELECT", "1");
  vexui_checkbox(TvString("k"), TvString("x"), 0, 0);  // (87, 20)
  set("k", "SELECT", "1");
  vexui_button(TvString("sw"), TvString("SPR_C255"), 40, 20);
  vexui_list(TvString("l"), TvString("a|b|c|d|e|f|g|h|i|j"), 100, 0);
  set("l", "SELECT", "1");
  VexuiDialog& d = vexui_top();
  d.widgets(vexui_find_widget(d, TvString("l"), 0)).scroll_max = 6;
  vexui_show(1);
  int sx = num("sw", "XPOS"), sy = num("sw", "YPOS");
  frame_at(sx + 20, sy + 10, false);  // hovered: the swatch at full strength

  // tab strip (at y 5, 16 high): the selected tab ("Two", after the 32 pixels
  // of "One") is raised
  EXPECT_EQ(num("tab", "YPOS"), 5);
  int t2 = 3 + 32;
  EXPECT_EQ(get_pixel(t2 + 1, 6), kHoverLine);  // its outline from the strip's second row
  EXPECT_EQ(get_pixel(4, 6), kLight);           // above the lower tab
  EXPECT_EQ(get_pixel(5, 9), kLine);            // the lower tab's outline 4 rows down
  EXPECT_EQ(get_pixel(200, 5 + 15), kLine);     // base line
  // a button: face from light to line, border without corners
  EXPECT_EQ(num("b", "YPOS"), 25);
  EXPECT_EQ(get_pixel(4, 25), kLine);
  EXPECT_EQ(get_pixel(3, 25), kLight);  // corner: the body shows
  EXPECT_GE(red_of(get_pixel(20, 26)), 0xF0);
  EXPECT_EQ(get_pixel(20, 42), kLine);
  // the pressed one has its border in the hover line colour
  EXPECT_EQ(get_pixel(46, 25), kHoverLine);
  EXPECT_EQ(get_pixel(45, 35), kHoverLine);
  // ticked box: 4 x 4 at (3, 3) in the hover colours
  int kx = num("k", "XPOS"), ky = num("k", "YPOS");
  EXPECT_EQ(get_pixel(kx + 4, ky + 3), kHoverLine);
  EXPECT_EQ(get_pixel(kx + 4, ky + 2), kLight);
  // the swatch fills the face inside the border
  EXPECT_EQ(get_pixel(sx + 20, sy + 10), 255);
  EXPECT_EQ(get_pixel(sx + 2, sy + 2), 255);
  EXPECT_NE(get_pixel(sx + 1, sy), 255);
  // list: the selected row (the second, 8 high) fades from hover line to hover light
  int lx = num("l", "XPOS"), ly = num("l", "YPOS");
  EXPECT_LT(red_of(get_pixel(lx + 60, ly + 8)), 0x70);  // near the hover line colour
  EXPECT_EQ(get_pixel(lx + 60, ly + 12), kHoverLight);
  EXPECT_EQ(get_pixel(lx + 60, ly + 4), kLight);
  // its scroll bar: a strip 20 wide at the right edge with a thumb at the top
  int x0 = lx + 100 - 21;
  EXPECT_EQ(get_pixel(x0 + 1, ly), kLine);
  EXPECT_EQ(get_pixel(x0 + 10, ly + 20), kLight);
  EXPECT_EQ(get_pixel(x0 + 6, ly + 1), kLine);  // thumb outline
  EXPECT_EQ(num("l", "HEIGHT"), 36);
}

TEST_F(Pixels, ScrollBarWithoutAWholeLineKeepsTheLeastThumb) {
  vexui_push_dialog(0, 0, 200, 200);
  VexuiDialog& d = vexui_top();
  VexuiWidget w;
  w.id = "w";
  w.scroll_max = 5;
  set_viewport(0, 0, 0, 0);
  clear_screen(0);
  // a page of 0 lines used to divide by zero
  vexui_draw_scrollbar(d, w, 100, 40, 0, 0);
  EXPECT_EQ(get_pixel(79 + 6, 1), kLine);
  EXPECT_EQ(get_pixel(79 + 6, 2), kLine);
  EXPECT_EQ(get_pixel(79 + 6, 3), kLight);
  // scrolled to the end, the thumb sits at the bottom
  w.scroll = 5;
  clear_screen(0);
  vexui_draw_scrollbar(d, w, 100, 40, 0, 0);
  EXPECT_EQ(get_pixel(79 + 6, 37), kLine);
  EXPECT_EQ(get_pixel(79 + 6, 38), kLine);
  // lower than the 22 pixels a thumb range needs: still the least thumb
  clear_screen(0);
  vexui_draw_scrollbar(d, w, 100, 10, 3, 0);
  EXPECT_EQ(get_pixel(79 + 6, 7), kLine);
  EXPECT_EQ(get_pixel(79 + 6, 8), kLine);
}

TEST_F(Pixels, ToolTipAboveTheWidgetIsPushedDownToTheTop) {
  vexui_push_dialog(0, 0, 200, 200);
  vexui_button(TvString("b"), TvString("B"), 40, 20);  // (3, 3)
  set("b", "TIPTEXT", "Hi");
  frame_at(10, 10, false);
  vexui_test::clock_now += 400;
  frame_at(11, 10, false);  // resting, but not long enough yet
  EXPECT_EQ(get_pixel(10, 0), kLine);  // only the dialog's top border
  EXPECT_EQ(get_pixel(10, 10 + 1), get_pixel(10, 11));
  vexui_test::clock_now += 200;
  clear_screen(0);
  frame_at(11, 10, false);
  // box (2, 0) 42 x 10: outline in the line colour, corners empty
  EXPECT_EQ(get_pixel(10, 9), kLine);
  EXPECT_EQ(get_pixel(2, 5), kLine);
  EXPECT_EQ(get_pixel(43, 5), kLine);
  EXPECT_NE(get_pixel(2, 9), kLine);
}

TEST_F(Pixels, LowerDialogsAreShadedAndTheTopIsNot) {
  vexui_push_dialog(0, 0, 100, 100);
  vexui_push_dialog(50, 50, 100, 100);
  vexui_push_dialog(300, 100, 100, 100);
  vexui_show(0);
  auto grey = [](TvColor c) { return red_of(c); };
  EXPECT_NEAR(grey(get_pixel(20, 20)), 0x7F, 2);
  EXPECT_NEAR(grey(get_pixel(120, 120)), 0x7F, 2);
  EXPECT_NEAR(grey(get_pixel(70, 70)), 0x7F, 2);  // the middle one covers the bottom one
  EXPECT_EQ(get_pixel(350, 150), kLight);
  vexui_show(1);  // only the top: nothing below is drawn again
  EXPECT_NEAR(grey(get_pixel(20, 20)), 0x7F, 2);
}

TEST_F(Pixels, ProportionalTablesMeasureEveryByteAsUnsigned) {
  vexui_build_text_tables(1, 2);
  const VexuiState& s = vexui_state;
  EXPECT_EQ(s.proportional, 1);
  EXPECT_LT(s.glyph_advance['i'], s.glyph_advance['m']);
  EXPECT_EQ(s.glyph_advance[' '], s.glyph_advance['n']);
  EXPECT_EQ(s.glyph_offset[' '], 0);
  for (int c = 0; c < 256; ++c) {
    EXPECT_GE(s.glyph_advance[c], 2) << c;
    EXPECT_LE(s.glyph_advance[c], 8 + 2) << c;
  }
  // codes 128 to 255 index the tables as unsigned bytes
  EXPECT_EQ(vexui_text_width(TvString("\xE9\xFF" "a")),
            s.glyph_advance[0xE9] + s.glyph_advance[0xFF] + s.glyph_advance['a']);
  int sprite_w, sprite_h;
  sprite_size(1, sprite_w, sprite_h);  // the measuring sprites are freed again
  EXPECT_EQ(sprite_w, 0);
  vexui_build_text_tables(0, 2);
  EXPECT_EQ(vexui_text_width(TvString("\xE9\xFF" "a")), 24);

  TvArray<TvString> items;
  vexui_split_items(TvString("a||\xE9|"), items);
  ASSERT_EQ(array_total(items), 2);
  EXPECT_STREQ(items(1).c_str(), "\xE9");
  vexui_split_items(TvString(""), items);
  EXPECT_EQ(array_total(items), 0);
}

namespace {

// Pixels in the rectangle that differ from `colour`.
int pixels_other_than(int x, int y, int w, int h, TvColor colour) {
  int n = 0;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c) n += get_pixel(x + c, y + r) != colour;
  return n;
}

}  // namespace

TEST_F(Pixels, AScrolledDialogDrawsNothingUnderItsBarATitledFullHeightOneShowsItsBottom) {
  vexui_push_dialog(0, 0, 200, 100);  // content area (3, 3) 194 x 94
  vexui_button(TvString("sw"), TvString("SPR_C255"), 300, 20);  // wider than the area: clipped
  vexui_spacer(10000, 200);
  frame_at(50, 10, false);  // hovered: the swatch at full strength
  frame_at(50, 10, false);  // the content height is a frame old
  ASSERT_GT(vexui_top().self.scroll_max, 0);
  // the bar, 20 wide, begins at 3 + 194 - 21 = 176; the content ends 3 before it
  EXPECT_EQ(shape(168, 10, 12, 1, 255), "#####.......\n");
  EXPECT_EQ(get_pixel(176, 40), kLine);
  vexui_pop_dialog();

  vexui_push_dialog(0, 0, 480, 320);
  set("", "TEXT", "Add");
  EXPECT_EQ(num("", "HEIGHT"), 320 - 12);  // less the title bar
  vexui_show(1);
  EXPECT_EQ(get_pixel(100, 319), kLine);  // the bottom border on the screen's last row
}

TEST_F(Pixels, ADialogUnderTheTopOneShowsNoHover) {
  vexui_push_dialog(0, 0, 200, 100);
  vexui_button(TvString("b"), TvString("B"), 60, 20);  // (3, 3)
  frame_at(20, 10, false);
  ASSERT_EQ(num("b", "HOVER"), 1);
  vexui_push_dialog(250, 150, 100, 100);
  vexui_show(0);
  // the button's border: the line colour shaded, not the hover line colour shaded
  EXPECT_NEAR(red_of(get_pixel(20, 3)), 0xC0 / 2, 3);
}

TEST_F(Pixels, TextEndsWhereItsBarBeginsAndANewTextDropsTheSelection) {
  vexui_push_dialog(0, 0, 480, 320);
  // "x " and a word that reaches 2 pixels under the bar when laid out up to it
  vexui_text(TvString("t"), TvString("x aaaaaaaaaaaaaaaaaaaa\n\n\n\n\n\n\n"), 200, 40);  // (3, 3)
  vexui_show(1);
  vexui_show(1);
  // the bar begins at 3 + 200 - 21 = 182: the first row shows only the "x",
  // the word went to the second row
  EXPECT_EQ(pixels_other_than(23, 4, 159, 7, kLight), 0);
  EXPECT_GT(pixels_other_than(7, 12, 150, 7, kLight), 0);

  set("", "FOCUS", "t");
  set("t", "SELSTART", "0");
  set("t", "SELEND", "2");
  vexui_show(1);
  EXPECT_EQ(get_pixel(14, 5), kHoverLine);  // "x " selected: the glyph's empty last column
  set("t", "TEXT", "y\n\n\n\n\n\n\n\n");
  vexui_show(1);
  EXPECT_NE(get_pixel(14, 5), kHoverLine);
  EXPECT_EQ(num("t", "SELSTART"), num("t", "SELEND"));
}

TEST_F(Pixels, APopUpWidenedForItsBarStaysOnScreenAndATabAnswersOnItsWholeFace) {
  std::string items;
  for (int i = 0; i < 30; ++i) items += "snippet " + std::to_string(i) + "|";
  ASSERT_TRUE(vexui_popup_build(4, 30, 472, 290, TvString(items.c_str())));
  EXPECT_EQ(num("", "WIDTH"), 480);
  EXPECT_EQ(num("", "XPOS"), 0);
  vexui_popup_step();
  vexui_popup_step();
  // the bar from 3 + 474 - 21 = 456 to 475, the buttons ending 3 before it
  EXPECT_EQ(get_pixel(456, 304), kLine);
  EXPECT_EQ(get_pixel(475, 304), kLine);
  EXPECT_EQ(get_pixel(455, 304), kLight);
  EXPECT_EQ(get_pixel(470, 304), kLight);
  vexui_pop_dialog();

  vexui_push_dialog(0, 0, 480, 320);
  vexui_tab(TvString("tab"), TvString("One|Two|Three"));
  vexui_show(1);
  // "Two" spans 32 pixels after the 32 of "One"; a point on its face's lower half
  int x = num("tab", "XPOS") + 32 + 29, y = num("tab", "YPOS") + 12;
  EXPECT_EQ(get_pixel(x, y), kLine);
  click_at(x, y);
  EXPECT_EQ(num("tab", "SELECT"), 1);
}
