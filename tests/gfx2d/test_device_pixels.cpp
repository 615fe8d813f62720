// Pixel tests of the 2D primitives: each draws into a real window's back
// buffer (Xvfb, or SDL's offscreen driver when there is no display) and
// reads the result back with get_pixel.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "tests/support/gl_window.h"

namespace {

OpenGLVadeviva* device = nullptr;

class Pixels : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    device = gl_test_device();
    ASSERT_NE(device, nullptr) << window_failure_cause();
  }
  void SetUp() override {
    ASSERT_NE(device, nullptr);
    graphics_device = device;
    set_viewport(0, 0, 0, 0);
    alpha_mode(0);
    set_transparency(0x8000FF);
    clear_screen(0);
  }
  static uint8_t alpha_at(int x, int y) {
    uint8_t rgba[4];
    submit_drawing();  // a read behind the device's back: pending drawing first
    glReadBuffer(GL_BACK);
    glReadPixels(x, device->height - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return rgba[3];
  }
  // Which pixels of the square (x0..x1, y0..y1) are not black, as rows of '#'.
  static std::string shape(int x0, int y0, int x1, int y1) {
    std::string s;
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) s += get_pixel(x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
};

TEST_F(Pixels, RectanglesCoverExactlyTheirPixelsAlsoWithNegativeSizes) {
  draw_rect(0, 0, 1, 1, 0x0000FF);
  EXPECT_EQ(get_pixel(0, 0), 255);  // pure red
  EXPECT_EQ(get_pixel(1, 0), 0);

  clear_screen(0);
  draw_rect(10, 10, -3, 2, 0xFFFFFF);  // columns 8, 9, 10 of rows 10 and 11
  EXPECT_EQ(shape(7, 9, 11, 12),
            ".....\n"
            ".###.\n"
            ".###.\n"
            ".....\n");

  clear_screen(0);
  draw_rect(20, 20, 2, -2, 0x00FF00);  // rows 19 and 20
  EXPECT_EQ(shape(19, 18, 22, 21),
            "....\n"
            ".##.\n"
            ".##.\n"
            "....\n");
  EXPECT_EQ(get_pixel(20, 19), 0x00FF00);

  clear_screen(0);
  draw_rect(30, 30, 0, 5, 0xFFFFFF);
  draw_rect(30, 30, 5, 0, 0xFFFFFF);
  std::string blank;
  for (int row = 0; row < 7; ++row) blank += ".......\n";
  EXPECT_EQ(shape(29, 29, 35, 35), blank);

  draw_rect(-2.9, 0.9, 4.7, 1, 0xFFFFFF);  // truncated: x -2 .. 2, y 0
  EXPECT_EQ(shape(0, 0, 3, 0), "##..\n");
}

TEST_F(Pixels, LinesIncludeBothEndsAndAOnePixelLineIsOnePixel) {
  draw_line(5, 5, 5, 5, 0xFFFFFF);
  EXPECT_EQ(shape(4, 4, 6, 6), "...\n.#.\n...\n");

  clear_screen(0);
  draw_line(2, 20, 6, 20, 0xFFFFFF);
  EXPECT_EQ(shape(1, 20, 7, 20), ".#####.\n");

  clear_screen(0);
  draw_line(40, 8, 40, 3, 0xFFFFFF);  // upwards
  EXPECT_EQ(shape(40, 2, 40, 9), ".\n#\n#\n#\n#\n#\n#\n.\n");

  clear_screen(0);
  set_pixel(100, 200, 0x123456);
  EXPECT_EQ(get_pixel(100, 200), 0x123456);
  EXPECT_EQ(shape(99, 199, 101, 201), "...\n.#.\n...\n");
}

TEST_F(Pixels, ColourKeyIsWrittenWithAlphaZeroInModeZeroAndLeavesBlendingTargetsAlone) {
  clear_screen(0x404040);
  draw_rect(0, 0, 4, 4, 0x8000FF);
  EXPECT_EQ(get_pixel(1, 1), 0x8000FF);
  EXPECT_EQ(alpha_at(1, 1), 0);
  draw_rect(10, 0, 4, 4, 0x8000FE);  // one step off the key: opaque
  EXPECT_EQ(alpha_at(11, 1), 255);
  draw_rect(20, 0, 4, 4, 0x7F8000FF);  // the top byte is ignored: still the key
  EXPECT_EQ(alpha_at(21, 1), 0);

  alpha_mode(-0.5);
  draw_rect(30, 0, 4, 4, 0x8000FF);
  EXPECT_EQ(get_pixel(31, 1), 0x404040);

  set_transparency(0x00FF00);  // a new key: the old one is an ordinary colour
  alpha_mode(0);
  draw_rect(40, 0, 4, 4, 0x8000FF);
  EXPECT_EQ(alpha_at(41, 1), 255);
  EXPECT_EQ(device->font_color_key, 0x00FF00);
}

TEST_F(Pixels, AlphaModesBlendTranslucentlyOrAdditivelyWithTheFactorLimitedToOne) {
  auto channel = [](TvColor c, int shift) { return (c >> shift) & 0xFF; };

  clear_screen(0);
  alpha_mode(-0.5);
  draw_rect(0, 0, 4, 4, 0xFFFFFF);
  EXPECT_NEAR(channel(get_pixel(1, 1), 0), 127, 2);

  clear_screen(0x0000FF);
  alpha_mode(-2);  // like -1: opaque over the red
  EXPECT_FLOAT_EQ(device->alpha_factor, 1.0f);
  draw_rect(0, 0, 4, 4, 0xFF0000);
  EXPECT_EQ(get_pixel(1, 1), 0xFF0000);

  clear_screen(0x646464);  // grey 100
  alpha_mode(0.3);         // additive at 30 %
  draw_rect(0, 0, 4, 4, 0x0000FF);
  TvColor c = get_pixel(1, 1);
  EXPECT_NEAR(channel(c, 0), 100 + 76, 2);
  EXPECT_EQ(channel(c, 8), 100);
  EXPECT_EQ(channel(c, 16), 100);

  alpha_mode(0);
  EXPECT_FLOAT_EQ(device->alpha_factor, 1.0f);
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(Pixels, ViewportMovesTheOriginAndClipsAndAZeroSizeMeansTheWholeScreen) {
  set_viewport(100, 50, 20, 10);
  int x, y, w, h;
  get_viewport(x, y, w, h);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(w, 20);
  draw_rect(0, 0, 1, 1, 0xFFFFFF);
  draw_rect(15, 5, 50, 50, 0x00FF00);  // clipped at the viewport's edge
  set_viewport(0, 0, 0, 0);
  EXPECT_EQ(get_pixel(100, 50), 0xFFFFFF);  // get_pixel takes window coordinates
  EXPECT_EQ(get_pixel(0, 0), 0);
  EXPECT_EQ(get_pixel(119, 59), 0x00FF00);
  EXPECT_EQ(get_pixel(120, 59), 0);
  EXPECT_EQ(get_pixel(119, 60), 0);

  set_viewport(100, 50, 0, 10);
  get_viewport(x, y, w, h);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 50);
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 320);

  set_smoothing(0);
  alpha_mode(-0.5);
  set_viewport(0, 0, 0, 0);  // resets the render state
  EXPECT_TRUE(device->smoothing);
  EXPECT_FLOAT_EQ(device->alpha_factor, 1.0f);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
}

TEST_F(Pixels, StripsJoinedByNewStripLeaveTheGapBetweenThemEmpty) {
  auto quad_strip = [](float x0, float x1) {
    poly_vector(x0, 0, 0, 0, 0xFFFFFF);
    poly_vector(x0, 10, 0, 0, 0xFFFFFF);
    poly_vector(x1, 0, 0, 0, 0xFFFFFF);
    poly_vector(x1, 10, 0, 0, 0xFFFFFF);
  };
  start_poly(-1, 2);
  poly_new_strip();  // on an empty batch: nothing
  EXPECT_EQ(poly_batch.count, 0);
  quad_strip(0, 10);
  poly_new_strip();
  poly_new_strip();  // a join already pending: nothing more
  quad_strip(20, 30);
  EXPECT_EQ(poly_batch.count, 10);  // 4, the last repeated, the next doubled, 3
  EXPECT_FALSE(poly_batch.colors_used);
  end_poly();
  EXPECT_EQ(get_pixel(5, 5), 0xFFFFFF);
  EXPECT_EQ(get_pixel(25, 5), 0xFFFFFF);
  EXPECT_EQ(get_pixel(15, 5), 0);
  EXPECT_EQ(get_pixel(15, 1), 0);
  EXPECT_EQ(get_pixel(15, 9), 0);

  clear_screen(0);
  end_poly();  // the batch stays until the next start_poly
  EXPECT_EQ(get_pixel(25, 5), 0xFFFFFF);
}

TEST_F(Pixels, PerVertexColoursBuildAGradient) {
  start_poly(-1, 2);
  poly_vector(0, 0, 0, 0, 0x000000);
  EXPECT_TRUE(poly_batch.colors_used);  // black is a colour
  poly_vector(0, 10, 0, 0, 0x000000);
  poly_vector(100, 0, 0, 0, 0x0000FF);
  poly_vector(100, 10, 0, 0, 0x0000FF);
  end_poly();
  int left = get_pixel(10, 5) & 0xFF, right = get_pixel(90, 5) & 0xFF;
  EXPECT_LT(left, 60);
  EXPECT_GT(right, 200);
  EXPECT_EQ(get_pixel(50, 5) >> 8, 0);  // only red grows
}

TEST_F(Pixels, BatchStorageGrowsInStepsAndIsKept) {
  start_poly(-1, 1);
  EXPECT_EQ(poly_batch.capacity, 512);
  for (int i = 0; i < 513; ++i) poly_vector(float(i % 7), float(i % 5), 0, 0, 0x8000FF);
  EXPECT_EQ(poly_batch.capacity, 640);  // 128 * (513 / 128 + 1)
  EXPECT_EQ(poly_batch.vertices[0].alpha, 0);  // the colour key is transparent
  start_poly(-1, 0);
  EXPECT_EQ(poly_batch.count, 0);
  EXPECT_EQ(poly_batch.capacity, 640);

  alpha_mode(-0.5);
  start_poly(-1, 0);
  poly_vector(0, 0, 0, 0, 0xFFFFFF);
  EXPECT_EQ(poly_batch.vertices[0].alpha, 127);
  EXPECT_FALSE(poly_batch.colors_used);
  poly_vector(10, 0, 0, 0, 0xFFFFFF);
  poly_vector(10, 10, 0, 0, 0xFFFFFF);
  end_poly();  // a factor below 1 draws with the colour array
  EXPECT_TRUE(poly_batch.colors_used);
  EXPECT_NEAR(get_pixel(8, 2) & 0xFF, 127, 2);
}

}  // namespace
