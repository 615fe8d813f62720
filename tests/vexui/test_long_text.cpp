// Text of one line millions of characters long in a label, a read-only
// text widget, a combo box's face and the pop-up list: a frame records no
// more than for a line just wider than the widget, and shows the same
// pixels (the line's visible start); a long text rewritten in place is
// laid out afresh.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/gfx2d/draw_batch.h"
#include "tests/support/vexui_test.h"

namespace {

// Printable characters up to '{' (no '|', which parts items) in a cycle,
// so a start shifted by a character shows.
std::string pattern(size_t n) {
  std::string s(n, ' ');
  for (size_t i = 0; i < n; ++i) s[i] = char('!' + i % 91);
  return s;
}

const size_t kLong = 10u << 20;  // 10 MB
const size_t kShort = 300;       // 2400 pixels: past every widget's edge as well

struct Scene {
  size_t vertices = 0;
  std::vector<TvColor> pixels;  // the whole frame
};

class LongText : public VexuiTest {
 protected:
  // One frame of the dialog built with lines `n` characters long.
  Scene frame_with(size_t n, void (*build)(const std::string& line)) {
    reset_toolkit();
    frame_dropped();  // an empty recording to count from
    build(pattern(n));
    vexui_show(1);
    vexui_show(1);  // labels take their height in the first frame
    frame_dropped();
    vexui_show(1);
    Scene s;
    s.vertices = recorded_vertices();
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 480; ++x) s.pixels.push_back(get_pixel(x, y));
    return s;
  }

  void expect_same_as_short(void (*build)(const std::string& line)) {
    Scene small = frame_with(kShort, build);
    Scene big = frame_with(kLong, build);
    ASSERT_GT(small.vertices, 0u);
    ASSERT_NE(frame_with(0, build).pixels, small.pixels) << "no text drawn";
    EXPECT_EQ(big.vertices, small.vertices);
    size_t at = 0;
    while (at < big.pixels.size() && big.pixels[at] == small.pixels[at]) ++at;
    EXPECT_EQ(at, big.pixels.size()) << "the long line's visible start differs at (" << at % 480 << ", "
                                     << at / 480 << ")";
  }
};

TEST_F(LongText, LabelAndTextWidgetRecordOnlyTheirVisiblePart) {
  expect_same_as_short([](const std::string& line) {
    vexui_push_dialog(0, 0, 480, 320);
    vexui_add_widget("label", TvString(line.data(), uint32_t(line.size())), 472, 0);
    std::string code = "first\n" + line + "\nlast";
    vexui_text("code", TvString(code.data(), uint32_t(code.size())), 472, 100);
    vexui_set("code", "READONLY", "1");
  });
}

TEST_F(LongText, ComboFaceAndPopUpListShowTheNamesStart) {
  expect_same_as_short([](const std::string& line) {
    std::string items = "one|" + line + "|three";
    vexui_push_dialog(0, 0, 480, 320);
    vexui_combo("combo", TvString(items.data(), uint32_t(items.size())), 300, 0);
    vexui_set("combo", "SELECT", "1");
    vexui_show(1);
    vexui_popup_build(10, 60, 300, 200, TvString(items.data(), uint32_t(items.size())));
  });
}

// A long text rewritten with one of the same length (so in the same
// buffer) but other blanks must not keep the first one's rows.
TEST_F(LongText, RewrittenLongTextIsLaidOutAfresh) {
  std::string a(200000, 'a'), b(200000, 'b');
  for (size_t i = 4; i < a.size(); i += 5) a[i] = ' ';
  for (size_t i = 99; i < b.size(); i += 100) b[i] = ' ';
  auto label_rows = [](const std::string& text) {
    vexui_push_dialog(0, 0, 480, 320);
    vexui_add_widget("label", TvString(text.data(), uint32_t(text.size())), 472, 0);
    vexui_show(1);
    return num("label", "HEIGHT");
  };
  int fresh_b = label_rows(b);
  reset_toolkit();
  int fresh_a = label_rows(a);
  ASSERT_NE(fresh_a, fresh_b);
  const char* buffer = vexui_find("label")->text.data;
  set("label", "TEXT", b.c_str());
  ASSERT_EQ(vexui_find("label")->text.data, buffer);
  vexui_show(1);
  EXPECT_EQ(num("label", "HEIGHT"), fresh_b);
}

}  // namespace
