// Sprite loading, drawing, collisions and grabbing, checked on real pixels.
#include <png.h>

#include "runtime/gfx2d/sprites.h"
#include "runtime/io/memory_files.h"
#include "runtime/values/errors.h"
#include "tests/gfx2d/gl_test_context.h"

namespace {

const int32_t kKey = 0x8000FF;  // (255, 0, 128), the initial sprite colour key

// An RGB (3 channels) or RGBA (4) PNG written with libpng directly; the
// runtime's own writer always writes RGBA with alpha 255.
std::vector<uint8_t> png_file(int w, int h, int channels, const std::vector<uint8_t>& pixels) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, png_size_t n) {
        auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
        v->insert(v->end(), data, data + n);
      },
      [](png_structp) {});
  png_set_IHDR(png, info, png_uint_32(w), png_uint_32(h), 8,
               channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < h; ++y)
    png_write_row(png, const_cast<png_bytep>(&pixels[size_t(y) * size_t(w * channels)]));
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

void load(const std::string& path, int sprite) { load_sprite(TvString(path.c_str()), sprite); }

// Sprite 1: 64 x 32 with 16 x 16 frames, frame k filled with colour 0x10 * (k + 1).
void load_frames() {
  load(write_temp("frames.bmp", test_bmp(64, 32, [](int x, int y) {
         int k = (y / 16) * 4 + x / 16;
         return int32_t(0x10 * (k + 1));
       })),
       1);
  set_sprite_anim(1, 16, 16);
}

}  // namespace

class Sprites : public GlTest {};

TEST_F(Sprites, ImageSizesGivePowerOfTwoTexturesOfAtLeastSixteen) {
  load(write_temp("20x10.bmp", test_bmp(20, 10, [](int, int) { return 0x0000FF; })), 3);
  EXPECT_EQ(runtime_error.error_code, 0);
  SpriteSlot* s = sprite_slot(3);
  EXPECT_EQ(s->texture_width, 32);
  EXPECT_EQ(s->texture_height, 16);
  EXPECT_FLOAT_EQ(s->u_extent, 0.625f);
  EXPECT_FLOAT_EQ(s->v_extent, 0.625f);
  int w, h;
  sprite_size(3, w, h);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  EXPECT_NE(sprite_texture(3), 0u);

  draw_sprite(3, 100, 50);  // covers exactly 100..119 x 50..59
  EXPECT_EQ(get_pixel(100, 50), 0x0000FF);
  EXPECT_EQ(get_pixel(119, 59), 0x0000FF);
  EXPECT_EQ(get_pixel(120, 59), 0);
  EXPECT_EQ(get_pixel(119, 60), 0);
  EXPECT_EQ(get_pixel(99, 50), 0);

  load(write_temp("5x5.bmp", test_bmp(5, 5, [](int, int) { return 0xFFFFFF; })), 4);
  EXPECT_EQ(sprite_slot(4)->texture_width, 16);
  EXPECT_EQ(sprite_slot(4)->texture_height, 16);

  release_sprite_slot(4);  // an empty slot draws nothing, not a white box
  stretch_sprite(4, 200, 200, 20, 20);
  EXPECT_EQ(get_pixel(205, 205), 0);

  EXPECT_EQ(free_sprite_slot(), 0);
  load(write_temp("5x5.bmp", test_bmp(5, 5, [](int, int) { return 0xFFFFFF; })), 0);
  EXPECT_EQ(free_sprite_slot(), 1);
  release_sprite_slot(0);
}

TEST_F(Sprites, BrokenMissingAndHugeFilesFailWithCodeThreeAndLeaveTheSlotEmpty) {
  load(write_temp("ok.bmp", test_bmp(8, 8, [](int, int) { return 0x00FF00; })), 5);
  ASSERT_GT(sprite_slot(5)->image_width, 0);

  std::vector<uint8_t> truncated = test_bmp(32, 32, [](int, int) { return 0x00FF00; });
  truncated.resize(truncated.size() / 2);
  load(write_temp("truncated.bmp", truncated), 5);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(sprite_slot(5)->image_width, 0);
  EXPECT_EQ(sprite_slot(5)->texture, 0u);

  std::vector<uint8_t> huge = test_bmp(4, 4, [](int, int) { return 0; });
  for (int i = 0; i < 4; ++i) huge[18 + i] = huge[22 + i] = i == 3 ? 0x00 : 0xFF;  // 16M x 16M
  load(write_temp("huge.bmp", huge), 5);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(sprite_slot(5)->image_width, 0);

  load(temp_path("does-not-exist.png"), 5);
  EXPECT_EQ(runtime_error.error_code, 3);
  load(write_temp("garbage.jpg", std::vector<uint8_t>(100, 0x55)), 5);
  EXPECT_EQ(runtime_error.error_code, 3);
}

TEST_F(Sprites, ColourKeyAppliesToBmpAndRgbPngButNotJpegAndPngAlphaWins) {
  clear_screen(0x00FF00);
  auto half_key = [](int x, int) { return x < 8 ? kKey : 0xFFFFFF; };
  load(write_temp("key.bmp", test_bmp(16, 16, half_key)), 6);
  draw_sprite(6, 0, 0);
  EXPECT_EQ(get_pixel(3, 3), 0x00FF00);  // see-through
  EXPECT_EQ(get_pixel(12, 3), 0xFFFFFF);

  DecodedImage im;
  std::vector<uint8_t> bmp = test_bmp(16, 16, half_key);
  ASSERT_TRUE(decode_bmp(bmp.data(), bmp.size(), -1, im));
  std::vector<uint8_t> bgr(16 * 16 * 3);
  for (int i = 0; i < 256; ++i) {
    int y = i / 16, x = i % 16;
    const uint8_t* p = &im.rgba[size_t((15 - y) * 16 + x) * 4];
    bgr[size_t(i) * 3] = p[2];
    bgr[size_t(i) * 3 + 1] = p[1];
    bgr[size_t(i) * 3 + 2] = p[0];
  }
  std::vector<uint8_t> jpg;
  ASSERT_TRUE(encode_jpeg(16, 16, bgr.data(), jpg, 100));
  std::vector<uint8_t> rgb(16 * 16 * 3);
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) rgb[size_t(i) * 3 + c] = im.rgba[size_t(i) * 4 + c];
  std::vector<uint8_t> png = png_file(16, 16, 3, rgb);

  load(write_temp("key.jpg", jpg), 7);
  ASSERT_EQ(runtime_error.error_code, 0);
  clear_screen(0x00FF00);
  draw_sprite(7, 0, 0);
  int32_t c = get_pixel(3, 3);  // opaque, close to the key colour
  EXPECT_GT(c & 0xFF, 200);
  EXPECT_LT((c >> 8) & 0xFF, 50);

  load(write_temp("key.png", png), 8);
  clear_screen(0x00FF00);
  draw_sprite(8, 0, 0);
  EXPECT_EQ(get_pixel(3, 3), 0x00FF00);

  std::vector<uint8_t> rgba(16 * 16 * 4);
  for (int i = 0; i < 256; ++i) {
    rgba[size_t(i) * 4] = 255;
    rgba[size_t(i) * 4 + 1] = 0;
    rgba[size_t(i) * 4 + 2] = 128;
    rgba[size_t(i) * 4 + 3] = 200;
  }
  load(write_temp("alpha.png", png_file(16, 16, 4, rgba)), 9);
  SpriteSlot* s = sprite_slot(9);
  EXPECT_EQ(texture_alpha(s->texture, s->texture_width, s->texture_height, 16, 5, 5), 200);
}

TEST_F(Sprites, AnimationFramesAreCountedLeftToRightTopToBottom) {
  load_frames();
  draw_anim(1, 5, 200, 100);  // frame 5 = column 1 of row 1
  EXPECT_EQ(get_pixel(200, 100), 0x60);
  EXPECT_EQ(get_pixel(215, 115), 0x60);
  EXPECT_EQ(get_pixel(216, 115), 0);
  EXPECT_EQ(get_pixel(215, 116), 0);
  draw_anim(1, 0, 0, 0);
  EXPECT_EQ(get_pixel(8, 8), 0x10);
  set_smoothing(0);  // no blending with the neighbouring frame at the edges
  stretch_anim(1, 7, 300, 0, 32, 8);
  EXPECT_EQ(get_pixel(300, 0), 0x80);
  EXPECT_EQ(get_pixel(331, 7), 0x80);
  EXPECT_EQ(get_pixel(332, 4), 0);

  clear_screen(0);
  set_sprite_anim(1, 0, 0);  // no frame size: frame drawing draws nothing
  draw_anim(1, 0, 0, 0);
  stretch_anim(1, 0, 0, 0, 20, 20);
  rot_zoom_anim(1, 0, 40, 40, 0, 1);
  EXPECT_EQ(get_pixel(8, 8), 0);
  EXPECT_EQ(get_pixel(48, 48), 0);

  set_sprite_anim(1, 16, 16);
  rot_zoom_anim(1, 2, 40, 40, 0, 2);  // frame 2 doubled about (48, 48)
  EXPECT_EQ(get_pixel(33, 33), 0x30);
  EXPECT_EQ(get_pixel(62, 62), 0x30);
  EXPECT_EQ(get_pixel(31, 48), 0);

  set_sprite_anim(200, 8, 8);  // an empty slot keeps no frame size
  EXPECT_EQ(sprite_slot(200)->frame_width, 0);
}

TEST_F(Sprites, StretchZoomAndRotateCoverTheExpectedPixels) {
  load(write_temp("10x10.bmp", test_bmp(10, 10, [](int, int) { return 0xFFFFFF; })), 10);
  zoom_sprite(10, 100, 100, 2, 2);  // grows about its centre: 95 .. 114
  EXPECT_EQ(get_pixel(95, 95), 0xFFFFFF);
  EXPECT_EQ(get_pixel(114, 114), 0xFFFFFF);
  EXPECT_EQ(get_pixel(94, 100), 0);
  EXPECT_EQ(get_pixel(115, 100), 0);
  EXPECT_EQ(get_pixel(100, 94), 0);

  clear_screen(0);
  stretch_sprite(10, 10, 20, 30, 4);
  EXPECT_EQ(get_pixel(39, 23), 0xFFFFFF);
  EXPECT_EQ(get_pixel(40, 23), 0);
  EXPECT_EQ(get_pixel(39, 24), 0);

  // top half red, bottom half blue; a quarter turn counter-clockwise puts
  // the top on the left
  load(write_temp("halves.bmp", test_bmp(32, 32, [](int, int y) { return y < 16 ? 0x0000FF : 0xFF0000; })),
       11);
  clear_screen(0);
  rotate_sprite(11, 200, 200, 90);
  EXPECT_EQ(get_pixel(204, 216), 0x0000FF);
  EXPECT_EQ(get_pixel(227, 216), 0xFF0000);
  clear_screen(0);
  rot_zoom_sprite(11, 200, 200, 0, 0.5f);  // half size about the centre (216, 216)
  EXPECT_EQ(get_pixel(210, 210), 0x0000FF);
  EXPECT_EQ(get_pixel(221, 221), 0xFF0000);
  EXPECT_EQ(get_pixel(206, 216), 0);
}

TEST_F(Sprites, CollisionsNeedOverlappingOpaquePixels) {
  auto ring = [](int x, int y) { return (x == 0 || y == 0 || x == 9 || y == 9) ? 0xFFFFFF : kKey; };
  load(write_temp("ring.bmp", test_bmp(10, 10, ring)), 12);
  load(write_temp("solid.bmp", test_bmp(10, 10, [](int, int) { return 0xFFFFFF; })), 13);
  EXPECT_EQ(sprite_collision(13, 0, 0, 13, 10, 0), 0);  // edges touch only
  EXPECT_EQ(sprite_collision(13, 0, 0, 13, 0, 10), 0);
  EXPECT_EQ(sprite_collision(13, 0, 0, 13, 9, 9), 1);  // one pixel overlaps
  EXPECT_EQ(sprite_collision(12, 0, 0, 13, 3, 3), 1);  // the ring's edge
  // a small solid inside the ring's transparent middle
  load(write_temp("dot.bmp", test_bmp(4, 4, [](int, int) { return 0xFFFFFF; })), 14);
  EXPECT_EQ(sprite_collision(12, 0, 0, 14, 3, 3), 0);
  EXPECT_EQ(sprite_collision(12, 0, 0, 14, 6, 6), 1);
  EXPECT_EQ(sprite_collision(12, 0, 0, 400, 3, 3), 0);  // empty slot
  // the cached mask goes with a reload
  load(write_temp("solid10.bmp", test_bmp(10, 10, [](int, int) { return 0xFFFFFF; })), 12);
  EXPECT_EQ(sprite_collision(12, 0, 0, 14, 3, 3), 1);

  // frames: frame 1 of a strip whose frame 0 is transparent
  load(write_temp("strip.bmp", test_bmp(20, 10, [](int x, int) { return x < 10 ? kKey : 0xFFFFFF; })), 15);
  set_sprite_anim(15, 10, 10);
  EXPECT_EQ(anim_collision(15, 0, 0, 0, 13, 0, 5, 5), 0);
  EXPECT_EQ(anim_collision(15, 1, 0, 0, 13, 0, 5, 5), 1);
  EXPECT_EQ(anim_collision(15, 1, 0, 0, 13, 0, 10, 0), 0);  // touching
  EXPECT_EQ(anim_collision(15, 9, 0, 0, 13, 0, 5, 5), 0);   // outside the image
}

TEST_F(Sprites, GrabbingKeepsKeyPixelsTransparentOnBothPaths) {
  for (bool forced : {false, true}) {
    SCOPED_TRACE(forced ? "read-back path" : "direct path");
    d->grab_readback_forced = forced;
    clear_screen(0x202020);
    draw_rect(10, 10, 20, 10, 0x00FF00);
    draw_rect(10, 10, 5, 5, kKey);  // alpha 0 in the frame buffer
    set_pixel(4, 4, 0x123456);      // the read-back path probes here
    EXPECT_EQ(grab_sprite(20, 10, 10, 20, 10), 1);
    EXPECT_EQ(get_pixel(4, 4), 0x123456);
    SpriteSlot* s = sprite_slot(20);
    EXPECT_EQ(s->image_width, 20);
    EXPECT_EQ(s->texture_width, 32);
    EXPECT_EQ(s->texture_height, 16);
    clear_screen(0x0000FF);
    draw_sprite(20, 100, 100);
    EXPECT_EQ(get_pixel(102, 102), 0x0000FF);  // the key part shows through
    EXPECT_EQ(get_pixel(110, 105), 0x00FF00);
    EXPECT_EQ(get_pixel(119, 109), 0x00FF00);
    EXPECT_EQ(get_pixel(120, 109), 0x0000FF);
    EXPECT_EQ(get_pixel(119, 110), 0x0000FF);
    // the texture is reused when the size fits
    unsigned texture = s->texture;
    grab_sprite(20, 0, 0, 17, 9);
    EXPECT_EQ(s->texture, texture);
  }
  d->grab_readback_forced = false;
  RecordProperty("frame_buffer_alpha_bits", d->framebuffer_alpha_bits);
}

TEST_F(Sprites, MemoryFilesLoadLikeDiskFiles) {
  std::vector<uint8_t> bmp = test_bmp(12, 6, [](int, int) { return 0x00FFFF; });
  MemoryBlock* block = memory_block_new(int32_t(bmp.size()));
  ASSERT_NE(block, nullptr);
  std::memcpy(block->bytes, bmp.data(), bmp.size());
  load_sprite(memory_file_name(block), 50);
  EXPECT_EQ(runtime_error.error_code, 0);
  EXPECT_EQ(sprite_slot(50)->image_width, 12);
  draw_sprite(50, 0, 0);
  EXPECT_EQ(get_pixel(11, 5), 0x00FFFF);
  TvString gone = memory_file_name(block);
  memory_block_release(block);
  load_sprite(gone, 50);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(sprite_slot(50)->image_width, 0);
}

TEST_F(Sprites, SlotsAcrossPagesKeepTheirOwnImagesMasksAndFreeing) {
  // the table is made in pages: neighbours across a page edge and slots far
  // apart must not share anything, and a slot never touched counts as free
  load(write_temp("solid.bmp", test_bmp(10, 10, [](int, int) { return 0xFFFFFF; })), 255);
  load(write_temp("dot.bmp", test_bmp(4, 4, [](int, int) { return 0xFFFFFF; })), 256);
  load(write_temp("ring.bmp", test_bmp(10, 10, [](int x, int y) {
         return (x == 0 || y == 0 || x == 9 || y == 9) ? 0xFFFFFF : kKey;
       })),
       kFirstFontSlot - 1);
  int w, h;
  sprite_size(256, w, h);
  EXPECT_EQ(w, 4);
  sprite_size(kFirstFontSlot - 1, w, h);
  EXPECT_EQ(w, 10);
  sprite_size(40000, w, h);  // a page nobody wrote
  EXPECT_EQ(w, 0);
  EXPECT_EQ(sprite_collision(kFirstFontSlot - 1, 0, 0, 256, 3, 3), 0);  // the ring's hollow
  EXPECT_EQ(sprite_collision(255, 0, 0, 256, 3, 3), 1);
  int free_slot = free_sprite_slot();
  ASSERT_GE(free_slot, 0);
  EXPECT_LT(free_slot, 255);
  release_sprite_slot(256);
  release_sprite_slot(255);
  release_sprite_slot(kFirstFontSlot - 1);
  EXPECT_EQ(sprite_texture(255), 0u);
  EXPECT_EQ(sprite_collision(255, 0, 0, 256, 3, 3), 0);
}
