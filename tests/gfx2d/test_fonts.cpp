// Bitmap fonts: the built-in font on screen, cell grids of 128- and
// 256-character images, load fallbacks and the font slot queries.
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/values/errors.h"
#include "tests/gfx2d/gl_test_context.h"

namespace {

// A font image whose cell k is filled with red k + 1 (never black, which
// the font colour key makes transparent) and green 0x40.
std::string numbered_font(const char* name, int w, int h) {
  int cells_down = w < h ? 16 : 8;
  int cw = w / 16, ch = h / cells_down;
  return write_temp(name, test_bmp(w, h, [&](int x, int y) {
    int k = (y / ch) * 16 + x / cw;
    return int32_t(((k + 1) & 0xFF) | 0x4000);
  }));
}

}  // namespace

class Fonts : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    make_default_font(0);
    set_font(0);
  }
};

TEST_F(Fonts, BuiltInLetterLandsOnTheCeilingOfItsPositionPixelForPixel) {
  clear_screen(0x400000);
  print_text(TvString("A"), 10.2, 5);
  // 'A' (65) is in column 1, row 4 of the 128 x 64 image
  DecodedImage font = make_default_font_image();
  for (int y = 3; y <= 14; ++y) {
    for (int x = 9; x <= 20; ++x) {
      int32_t expected = 0x400000;
      if (x >= 11 && x <= 18 && y >= 5 && y <= 12) {
        const uint8_t* p = &font.rgba[(size_t(32 + y - 5) * 128 + size_t(8 + x - 11)) * 4];
        if (p[3]) expected = p[0] | p[1] << 8 | p[2] << 16;
      }
      EXPECT_EQ(get_pixel(x, y), expected) << x << "," << y;
    }
  }
  int w, h;
  font_size(w, h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 8);

  clear_screen(0);
  print_text(TvString(""), 0, 0);
  print_text(TvString("\t\r\n", 3), 0, 0);  // no code is special; these cells are empty
  EXPECT_EQ(get_pixel(4, 4), 0);
}

TEST_F(Fonts, CodesWrapAtTheCellCountOfTheFont) {
  load_font(TvString(numbered_font("font128.bmp", 128, 64).c_str()), 2);
  ASSERT_EQ(runtime_error.error_code, 0);
  EXPECT_EQ(graphics_device->current_font, 2);
  print_text(TvString("\xC8"), 0, 0);  // 200 shows cell 72
  EXPECT_EQ(get_pixel(3, 3), 73 | 0x4000);
  print_text(TvString("\x01" "B"), 0, 20);
  EXPECT_EQ(get_pixel(3, 23), 2 | 0x4000);
  EXPECT_EQ(get_pixel(11, 23), 67 | 0x4000);

  load_font(TvString(numbered_font("font256.bmp", 128, 256).c_str()), 2);
  print_text(TvString("\xC8"), 0, 40);  // cell 200 in a 256-character font
  EXPECT_EQ(get_pixel(3, 40), 201 | 0x4000);
  EXPECT_EQ(get_pixel(3, 55), 201 | 0x4000);
  EXPECT_EQ(get_pixel(3, 56), 0);
}

TEST_F(Fonts, CellSizesFollowTheImageShape) {
  struct Case {
    int w, h, cw, ch;
  } cases[] = {{256, 128, 16, 16}, {128, 256, 8, 16}, {256, 256, 16, 32}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
    load_font(TvString(numbered_font("cells.bmp", c.w, c.h).c_str()), 1);
    int w, h;
    font_size(w, h);
    EXPECT_EQ(w, c.cw);
    EXPECT_EQ(h, c.ch);
    clear_screen(0);
    print_text(TvString("AB"), 0, 0);
    EXPECT_EQ(get_pixel(c.cw - 1, c.ch - 1), 66 | 0x4000);  // 'A' is cell 65
    EXPECT_EQ(get_pixel(c.cw, 0), 67 | 0x4000);
    EXPECT_EQ(get_pixel(2 * c.cw, 0), 0);
    EXPECT_EQ(get_pixel(0, c.ch), 0);
  }
}

TEST_F(Fonts, FailedLoadsFallBackToTheBuiltInFontAndEmptyNamesFreeTheSlot) {
  load_font(TvString(temp_path("no-such-font.png").c_str()), 5);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(graphics_device->current_font, 5);
  int w, h;
  font_size(w, h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 8);

  load_font(TvString(write_temp("bad-font.bmp", {'B', 'M', 1, 2, 3}).c_str()), 6);
  EXPECT_EQ(runtime_error.error_code, 3);
  font_size(w, h);
  EXPECT_EQ(w, 8);

  load_font(TvString(numbered_font("f3.bmp", 128, 64).c_str()), 3);
  load_font(TvString(""), 3);  // frees font 3, current font unchanged
  EXPECT_EQ(runtime_error.error_code, 0);
  EXPECT_EQ(graphics_device->current_font, 3);
  set_font(3);
  font_size(w, h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);

  set_font(40);
  EXPECT_EQ(graphics_device->current_font, 31);
  set_font(-1);
  EXPECT_EQ(graphics_device->current_font, 0);
}

TEST_F(Fonts, FreeFontSlotNeverOffersFontThirtyOne) {
  for (int n = 0; n < 31; ++n) make_default_font(n);
  load_font(TvString(""), 31);
  EXPECT_EQ(free_font_slot(), -1);
  load_font(TvString(""), 17);
  EXPECT_EQ(free_font_slot(), 17);
  // fonts are not sprites
  EXPECT_EQ(sprite_slot(kFirstFontSlot)->image_width, 128);
  EXPECT_LT(free_sprite_slot(), kFirstFontSlot);
}

TEST_F(Fonts, StartUpTakesSmalfontFromTheCurrentFolderWhenThereIsOne) {
  std::filesystem::path dir = std::filesystem::path(temp_path("startup"));
  std::filesystem::create_directories(dir);
  std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir);
  std::filesystem::remove("smalfont.png");
  std::filesystem::remove("smalfont.bmp");
  set_font(7);
  load_start_up_font();
  EXPECT_EQ(graphics_device->current_font, 0);
  EXPECT_EQ(sprite_slot(kFirstFontSlot)->image_width, 128);  // built in

  std::vector<uint8_t> bmp = test_bmp(256, 128, [](int, int) { return 0xFFFFFF; });
  FILE* f = std::fopen("smalfont.bmp", "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bmp.data(), 1, bmp.size(), f);
  std::fclose(f);
  load_start_up_font();
  std::filesystem::current_path(before);
  int w, h;
  font_size(w, h);
  EXPECT_EQ(w, 16);
  EXPECT_EQ(h, 16);
}
