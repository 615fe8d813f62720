// Off-screen surfaces with frame-buffer objects and with the window-corner
// fallback, screenshots, sprite files and the tiled background.
#include "runtime/gfx2d/background.h"
#include "runtime/gfx2d/sprite_files.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/values/errors.h"
#include "tests/gfx2d/gl_test_context.h"

namespace {
void APIENTRY no_names(GLsizei n, GLuint* names) {
  for (GLsizei i = 0; i < n; ++i) names[i] = 0;
}
GLenum APIENTRY never_complete(GLenum) { return GL_FRAMEBUFFER_UNSUPPORTED_EXT; }
}  // namespace

class Surfaces : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    look_up_framebuffer_functions(*d);
    saved_ = d->fbo;
  }
  void TearDown() override {
    use_screen(-1);
    d->fbo = saved_;
  }
  void force_fallback() {
    d->fbo = FramebufferFunctions{};
    d->fbo.looked_up = true;
  }
  FramebufferFunctions saved_;
};

TEST_F(Surfaces, CreateScreenMakesABlankSpriteOfTheRoundedUpTextureSize) {
  create_screen(0, 10, 100, 50);
  SpriteSlot* s = sprite_slot(10);
  EXPECT_EQ(s->image_width, 100);
  EXPECT_EQ(s->image_height, 50);
  EXPECT_EQ(s->texture_width, 128);
  EXPECT_EQ(s->texture_height, 64);
  EXPECT_EQ(texture_alpha(s->texture, 128, 64, 50, 3, 3), 0);
  create_screen(0, 11, 5, 3);  // small surfaces get a 16 x 16 texture, recorded as such
  EXPECT_EQ(sprite_slot(11)->texture_width, 16);
  EXPECT_FLOAT_EQ(sprite_slot(11)->u_extent, 5.0f / 16);
  release_sprite_slot(12);
  create_screen(32, 12, 10, 10);  // no such screen
  EXPECT_EQ(sprite_slot(12)->image_width, 0);
  use_screen(-1);  // no screen current: only the viewport is reset
  EXPECT_EQ(d->current_screen, -1);
  use_screen(40);
  EXPECT_EQ(d->current_screen, -1);
  use_screen(5);  // never created: drawing stays on the window
  EXPECT_EQ(d->current_screen, -1);
}

TEST_F(Surfaces, FramebufferFailuresAreReportedOnStandardOutputAndFallBack) {
  struct Case {
    void* FramebufferFunctions::*entry;
    void* fake;
    const char* message;
  } cases[] = {
      {&FramebufferFunctions::glGenFramebuffersEXT, reinterpret_cast<void*>(&no_names),
       "glGenFramebuffersExt failed\n"},
      {&FramebufferFunctions::glGenRenderbuffersEXT, reinterpret_cast<void*>(&no_names),
       "glGenRenderbuffersExt failed\n"},
      {&FramebufferFunctions::glCheckFramebufferStatusEXT,
       reinterpret_cast<void*>(&never_complete), "glCheckFramebufferStatusExt failed\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    d->fbo = saved_;
    d->fbo.*c.entry = c.fake;
    ::testing::internal::CaptureStdout();
    create_screen(2, 10, 40, 20);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.message);
    EXPECT_EQ(d->screens[2].width, 0);
    EXPECT_EQ(d->screens[2].framebuffer, 0u);
    EXPECT_EQ(d->screens[2].depth_buffer, 0u);
    // the fallback still draws into the sprite
    use_screen(2);
    draw_rect(0, 0, 4, 4, 0xFFFFFF);
    use_screen(-1);
    clear_screen(0);
    draw_sprite(10, 100, 100);
    EXPECT_EQ(get_pixel(101, 101), 0xFFFFFF);
  }
  d->fbo = saved_;
  ::testing::internal::CaptureStdout();
  create_screen(2, 10, 40, 20);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(d->screens[2].width, 64);
}

TEST_F(Surfaces, DrawingIntoAScreenLandsInItsSpriteWithAndWithoutFramebuffers) {
  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "window-corner fallback" : "frame-buffer object");
    if (fallback) force_fallback();
    clear_screen(0x303030);
    draw_rect(0, 0, 200, 100, 0x0000FF);  // what the corner shows before
    create_screen(1, 10, 100, 50);
    EXPECT_EQ(d->screens[1].width > 0, !fallback);
    use_screen(1);
    EXPECT_EQ(d->current_screen, 1);
    draw_rect(0, 0, 10, 10, 0xFFFFFF);
    EXPECT_EQ(get_pixel(5, 5), 0xFFFFFF);  // read from the surface
    use_screen(-1);
    EXPECT_EQ(d->current_screen, -1);

    // the window corner is as it was; in the fallback the strip between
    // image and texture size is black
    EXPECT_EQ(get_pixel(5, 5), 0x0000FF);
    EXPECT_EQ(get_pixel(99, 49), 0x0000FF);
    EXPECT_EQ(get_pixel(110, 55), fallback ? 0 : 0x0000FF);
    EXPECT_EQ(get_pixel(150, 80), 0x0000FF);

    draw_sprite(10, 300, 200);
    EXPECT_EQ(get_pixel(300, 200), 0xFFFFFF);
    EXPECT_EQ(get_pixel(309, 209), 0xFFFFFF);
    EXPECT_EQ(get_pixel(310, 209), 0x303030);  // the rest of the surface is see-through
    EXPECT_EQ(get_pixel(350, 230), 0x303030);

    // a second selection keeps what was drawn before
    use_screen(1);
    draw_rect(90, 40, 10, 10, 0x00FF00);
    leave_screen();
    clear_screen(0);
    draw_sprite(10, 0, 0);
    EXPECT_EQ(get_pixel(5, 5), 0xFFFFFF);
    EXPECT_EQ(get_pixel(95, 45), 0x00FF00);
    EXPECT_EQ(get_pixel(50, 25), 0);
  }
}

TEST_F(Surfaces, ScreenshotIsTheLastPresentedFrameByteForByte) {
  clear_screen(0x102030);
  draw_rect(10, 20, 30, 40, 0x0000FF);
  draw_rect(470, 310, 10, 10, 0x00FF00);
  keep_presented_frame();  // what show_frame does right before the swap
  platform_gl_swap(d->window);
  clear_screen(0xFFFFFF);  // the next frame must not leak into the shot
  draw_rect(0, 0, 480, 320, 0x123456);

  std::string path = temp_path("shot.bmp");
  ASSERT_EQ(save_screenshot(TvString(path.c_str())), 1);
  EXPECT_EQ(runtime_error.error_code, 0);
  std::vector<uint8_t> bgr(480 * 320 * 3);
  for (int y = 0; y < 320; ++y) {
    for (int x = 0; x < 480; ++x) {
      int32_t c = 0x102030;
      if (x >= 10 && x < 40 && y >= 20 && y < 60) c = 0x0000FF;
      if (x >= 470 && y >= 310) c = 0x00FF00;
      uint8_t* p = &bgr[(size_t(319 - y) * 480 + size_t(x)) * 3];
      p[0] = uint8_t(c >> 16);
      p[1] = uint8_t(c >> 8);
      p[2] = uint8_t(c);
    }
  }
  std::vector<uint8_t> file = read_all(path);
  ASSERT_EQ(file.size(), 54u + 480 * 320 * 3);
  EXPECT_TRUE(file == encode_bmp24(480, 320, bgr.data()));
  EXPECT_EQ(file[10], 54);
  EXPECT_EQ(file[28], 24);

  std::string png = temp_path("SHOT.PNG");
  ASSERT_EQ(save_screenshot(TvString(png.c_str())), 1);
  load_sprite(TvString(png.c_str()), 30);
  ASSERT_EQ(runtime_error.error_code, 0);
  clear_screen(0);
  draw_sprite(30, 0, 0);
  EXPECT_EQ(get_pixel(15, 25), 0x0000FF);
  EXPECT_EQ(get_pixel(475, 315), 0x00FF00);
  EXPECT_EQ(get_pixel(200, 200), 0x102030);

  EXPECT_EQ(save_screenshot(TvString("mem://00000010.00000001")), 0);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(save_screenshot(TvString((temp_path("no-such-dir") + "/x.bmp").c_str())), 0);
  EXPECT_EQ(runtime_error.error_code, 3);
}

TEST_F(Surfaces, SavedSpritesReloadWithTheirImageSize) {
  load_sprite(TvString(write_temp("src.bmp", test_bmp(20, 10, [](int x, int y) {
                                    return int32_t(x * 10 | (y * 20) << 8 | 0x400000);
                                  })).c_str()),
              40);
  for (const char* name : {"saved.bmp", "saved.png", "saved.jpg"}) {
    SCOPED_TRACE(name);
    std::string path = temp_path(name);
    ASSERT_EQ(save_sprite(TvString(path.c_str()), 40), 1);
    load_sprite(TvString(path.c_str()), 41);
    ASSERT_EQ(runtime_error.error_code, 0);
    EXPECT_EQ(sprite_slot(41)->image_width, 20);
    EXPECT_EQ(sprite_slot(41)->image_height, 10);
    clear_screen(0);
    set_smoothing(0);
    draw_sprite(41, 0, 0);
    int32_t c = get_pixel(19, 9);
    if (std::string(name) != "saved.jpg") {
      EXPECT_EQ(c, 190 | 180 << 8 | 0x400000);
    }
  }
  EXPECT_EQ(save_sprite(TvString(temp_path("empty.bmp").c_str()), 42), 0);
  EXPECT_EQ(runtime_error.error_code, 3);
}

TEST_F(Surfaces, BackgroundTilesLieUnderTheNextFrame) {
  load_background(TvString(write_temp("bg.bmp", test_bmp(600, 40, [](int x, int) {
                                        return x < 512 ? 0x0000FF : 0x00FF00;
                                      })).c_str()));
  ASSERT_EQ(runtime_error.error_code, 0);
  EXPECT_EQ(d->backgrounds[0].tiles_per_row, 2);
  EXPECT_EQ(get_pixel(0, 0), 0x0000FF);  // drawn once on loading
  glClear(GL_COLOR_BUFFER_BIT);
  draw_background();
  EXPECT_EQ(get_pixel(479, 39), 0x0000FF);
  EXPECT_EQ(get_pixel(0, 0), 0x0000FF);
  EXPECT_EQ(get_pixel(100, 40), 0);

  clear_screen(0);  // drops the background
  draw_background();
  EXPECT_EQ(get_pixel(0, 0), 0);

  draw_rect(0, 0, 480, 320, 0x00FFFF);
  draw_rect(470, 300, 10, 20, 0xFF0000);
  grab_background();
  glClear(GL_COLOR_BUFFER_BIT);
  draw_background();
  EXPECT_EQ(get_pixel(5, 5), 0x00FFFF);
  EXPECT_EQ(get_pixel(479, 319), 0xFF0000);

  load_background(TvString(temp_path("no-such-background.png").c_str()));
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(get_pixel(5, 5), 0);
  EXPECT_EQ(d->backgrounds[0].rows, 0);
}
