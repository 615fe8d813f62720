// Image decoding/encoding, texture layout and the built-in font, without GL.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>

#include "runtime/gfx2d/image_codec.h"

namespace {

const int32_t kKey = 255 + 0 * 256 + 128 * 65536;  // (255, 0, 128)

// A BMP with the given depth; `pixel_bytes` are the rows as stored.
std::vector<uint8_t> make_bmp(int w, int h, int bits, const std::vector<uint8_t>& palette,
                              const std::vector<uint8_t>& pixel_bytes) {
  std::vector<uint8_t> f(54, 0);
  f[0] = 'B';
  f[1] = 'M';
  uint32_t off = 54 + uint32_t(palette.size());
  auto w32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) f[at + i] = uint8_t(v >> (8 * i)); };
  w32(10, off);
  w32(14, 40);
  w32(18, uint32_t(w));
  w32(22, uint32_t(h));
  f[26] = 1;
  f[28] = uint8_t(bits);
  w32(46, uint32_t(palette.size() / 4));
  f.insert(f.end(), palette.begin(), palette.end());
  f.insert(f.end(), pixel_bytes.begin(), pixel_bytes.end());
  w32(2, uint32_t(f.size()));
  return f;
}

const uint8_t* px(const DecodedImage& im, int x, int y) { return &im.rgba[(size_t(y) * im.width + x) * 4]; }

}  // namespace

TEST(Bmp, TwentyFourBitRoundTripAppliesKeyAndIsBottomUp) {
  // 2 x 2, bottom row first: bottom = key colour, white; top = red, blue
  std::vector<uint8_t> bgr = {128, 0, 255, 255, 255, 255, 0, 0, 255, 255, 0, 0};
  std::vector<uint8_t> file = encode_bmp24(2, 2, bgr.data());
  ASSERT_EQ(file.size(), 54u + 2 * 8);  // rows padded to 8 bytes
  EXPECT_EQ(file[10], 54);
  EXPECT_EQ(file[28], 24);
  DecodedImage im;
  ASSERT_TRUE(decode_bmp(file.data(), file.size(), kKey, im));
  ASSERT_EQ(im.width, 2);
  ASSERT_EQ(im.height, 2);
  EXPECT_EQ(std::vector<uint8_t>(px(im, 0, 0), px(im, 0, 0) + 4), (std::vector<uint8_t>{255, 0, 0, 255}));
  EXPECT_EQ(std::vector<uint8_t>(px(im, 0, 1), px(im, 0, 1) + 4), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(px(im, 1, 1)[3], 255);
  // key -1 disables the key
  ASSERT_TRUE(decode_bmp(file.data(), file.size(), -1, im));
  EXPECT_EQ(px(im, 0, 1)[0], 255);
  EXPECT_EQ(px(im, 0, 1)[3], 255);
}

TEST(Bmp, PaletteDepthsAndBitOrder) {
  std::vector<uint8_t> pal = {0, 0, 0, 0, 255, 255, 255, 0};  // black, white
  // 1 bit, 3 pixels wide: MSB first -> white, black, white
  DecodedImage im;
  auto f1 = make_bmp(3, 1, 1, pal, {0xA0, 0, 0, 0});
  ASSERT_TRUE(decode_bmp(f1.data(), f1.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[0], 255);
  EXPECT_EQ(px(im, 1, 0)[0], 0);
  EXPECT_EQ(px(im, 2, 0)[0], 255);
  // 4 bit: high nibble first
  auto f4 = make_bmp(2, 1, 4, pal, {0x10, 0, 0, 0});
  ASSERT_TRUE(decode_bmp(f4.data(), f4.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[0], 255);
  EXPECT_EQ(px(im, 1, 0)[0], 0);
  // 8 bit index beyond the two-entry palette fails
  auto f8 = make_bmp(1, 1, 8, pal, {5, 0, 0, 0});
  EXPECT_FALSE(decode_bmp(f8.data(), f8.size(), -1, im));
  // 16 bit 5-5-5, red in bits 10-14
  auto f16 = make_bmp(1, 1, 16, {}, {0x00, 0x7C, 0, 0});
  ASSERT_TRUE(decode_bmp(f16.data(), f16.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[0], 255);
  EXPECT_EQ(px(im, 0, 0)[1], 0);
  // 32 bit: alpha forced to 255
  auto f32 = make_bmp(1, 1, 32, {}, {1, 2, 3, 0});
  ASSERT_TRUE(decode_bmp(f32.data(), f32.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[0], 3);
  EXPECT_EQ(px(im, 0, 0)[3], 255);
}

TEST(Bmp, TopDownWithNegativeHeight) {
  auto f = make_bmp(1, 2, 24, {}, {0, 0, 255, 0, 255, 0, 0, 0});
  DecodedImage im;
  ASSERT_TRUE(decode_bmp(f.data(), f.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[2], 255);  // bottom-up: the second stored row (blue) is the top
  int32_t neg = -2;
  std::memcpy(&f[22], &neg, 4);
  ASSERT_TRUE(decode_bmp(f.data(), f.size(), -1, im));
  EXPECT_EQ(px(im, 0, 0)[0], 255);
}

TEST(Bmp, BadHeadersFailWithoutReadingOutside) {
  DecodedImage im;
  auto good = make_bmp(4, 4, 24, {}, std::vector<uint8_t>(4 * 12, 7));
  ASSERT_TRUE(decode_bmp(good.data(), good.size(), -1, im));
  auto with = [&](size_t at, int32_t v) {
    auto f = good;
    std::memcpy(&f[at], &v, 4);
    return f;
  };
  for (auto f : {with(18, 0), with(22, 0), with(18, -4), with(22, INT32_MIN), with(18, 0x7FFFFFFF),
                 with(22, 0x40000000), with(10, 0x7FFFFFF0), with(14, 0x7FFFFFF0)}) {
    EXPECT_FALSE(decode_bmp(f.data(), f.size(), -1, im));
  }
  auto depth = good;
  depth[28] = 12;
  EXPECT_FALSE(decode_bmp(depth.data(), depth.size(), -1, im));
  auto truncated = good;
  truncated.resize(good.size() - 1);
  EXPECT_FALSE(decode_bmp(truncated.data(), truncated.size(), -1, im));
  EXPECT_FALSE(decode_bmp(good.data(), 20, -1, im));
  // a huge image that the file claims but whose buffer would pass 256 MiB
  auto huge = with(18, 20000);
  auto huge2 = huge;
  int32_t h = 20000;
  std::memcpy(&huge2[22], &h, 4);
  EXPECT_FALSE(decode_bmp(huge2.data(), huge2.size(), -1, im));
}

TEST(Png, RoundTripAndKey) {
  std::vector<uint8_t> bgr = {128, 0, 255, 10, 20, 30};  // one row: key colour, (30,20,10)
  std::vector<uint8_t> file;
  ASSERT_TRUE(encode_png(2, 1, bgr.data(), file));
  DecodedImage im;
  ASSERT_TRUE(decode_png(file.data(), file.size(), kKey, im));
  ASSERT_EQ(im.width, 2);
  // encode_png writes RGBA with alpha 255, and RGBA keeps its alpha: no key
  EXPECT_EQ(px(im, 0, 0)[3], 255);
  EXPECT_EQ(px(im, 1, 0)[0], 30);
  EXPECT_FALSE(decode_png(file.data(), file.size() / 2, kKey, im));
}

namespace {
std::vector<uint8_t> write_png(int colour_type, int channels, const std::vector<uint8_t>& pixels, int w) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, [](png_structp p, png_bytep d, png_size_t n) {
    auto* v = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(p));
    v->insert(v->end(), d, d + n);
  }, nullptr);
  png_set_IHDR(png, info, w, 1, 8, colour_type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row = pixels;
  row.resize(size_t(w) * channels);
  png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}
}  // namespace

TEST(Png, RgbGetsKeyRgbaKeepsAlphaGreyAlphaRefused) {
  DecodedImage im;
  auto rgb = write_png(PNG_COLOR_TYPE_RGB, 3, {255, 0, 128, 1, 2, 3}, 2);
  ASSERT_TRUE(decode_png(rgb.data(), rgb.size(), kKey, im));
  EXPECT_EQ(px(im, 0, 0)[3], 0);
  EXPECT_EQ(px(im, 1, 0)[3], 255);
  auto rgba = write_png(PNG_COLOR_TYPE_RGB_ALPHA, 4, {255, 0, 128, 77}, 1);
  ASSERT_TRUE(decode_png(rgba.data(), rgba.size(), kKey, im));
  EXPECT_EQ(px(im, 0, 0)[0], 255);
  EXPECT_EQ(px(im, 0, 0)[3], 77);
  auto grey = write_png(PNG_COLOR_TYPE_GRAY, 1, {99}, 1);
  ASSERT_TRUE(decode_png(grey.data(), grey.size(), kKey, im));
  EXPECT_EQ(px(im, 0, 0)[1], 99);
  auto grey_alpha = write_png(PNG_COLOR_TYPE_GRAY_ALPHA, 2, {99, 50}, 1);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(decode_png(grey_alpha.data(), grey_alpha.size(), kKey, im, "ga.png"));
  std::string said = testing::internal::GetCapturedStdout();
  EXPECT_EQ(said, "File ga.png has unsupported color type.\nTypes GRAY, RGB and RGB_ALPHA are supported.");
}

TEST(Jpeg, KeyNotAppliedAndRoundTrip) {
  std::vector<uint8_t> bgr(16 * 16 * 3);
  for (size_t i = 0; i < bgr.size(); i += 3) {
    bgr[i] = 128;
    bgr[i + 1] = 0;
    bgr[i + 2] = 255;
  }
  std::vector<uint8_t> file;
  ASSERT_TRUE(encode_jpeg(16, 16, bgr.data(), file, 100));
  DecodedImage im;
  ASSERT_TRUE(decode_image(file.data(), file.size(), kKey, im));
  EXPECT_EQ(px(im, 8, 8)[3], 255);
  EXPECT_NEAR(px(im, 8, 8)[0], 255, 3);
  EXPECT_NEAR(px(im, 8, 8)[2], 128, 3);
  EXPECT_FALSE(decode_jpeg(file.data(), 100, im));
}

TEST(TextureImage, SizesExtentsAndBottomUpLayout) {
  DecodedImage im;
  im.width = 20;
  im.height = 10;
  im.rgba.assign(20 * 10 * 4, 255);
  im.rgba[3] = 0;  // top-left pixel transparent
  TextureImage t;
  ASSERT_TRUE(build_texture_image(im, 0, 0, 0, 0, 4096, true, t));
  EXPECT_EQ(t.texture_width, 32);
  EXPECT_EQ(t.texture_height, 16);
  // image row 0 lands on texture row h - 1
  EXPECT_EQ(t.rgba[(size_t(9) * 32) * 4 + 3], 0);
  EXPECT_EQ(t.rgba[(size_t(8) * 32) * 4 + 3], 255);
  EXPECT_EQ(t.rgba[(size_t(10) * 32) * 4 + 3], 0);  // outside the image: transparent black
  DecodedImage small;
  small.width = small.height = 5;
  small.rgba.assign(5 * 5 * 4, 255);
  ASSERT_TRUE(build_texture_image(small, 0, 0, 0, 0, 4096, false, t));
  EXPECT_EQ(t.texture_width, 16);
  EXPECT_EQ(t.texture_height, 16);
  EXPECT_FALSE(build_texture_image(small, 5, 0, 0, 0, 4096, false, t));
}

TEST(TextureImage, TransparentPixelsTakeNeighbourAverage) {
  // 4 x 4: only (1,1) red and (2,1) blue are opaque
  std::vector<uint8_t> buf(4 * 4 * 4, 0);
  auto at = [&](int x, int y) { return &buf[(size_t(y) * 4 + x) * 4]; };
  at(1, 1)[0] = 200; at(1, 1)[3] = 255;
  at(2, 1)[2] = 101; at(2, 1)[3] = 255;
  fill_transparent_pixels(buf.data(), 4, 4);
  // (1,2) sees both: (200+0)/2, (0+101)/2 truncated
  EXPECT_EQ(at(1, 2)[0], 100);
  EXPECT_EQ(at(1, 2)[2], 50);
  EXPECT_EQ(at(1, 2)[3], 0);
  // (0,0) sees (1,1) only
  EXPECT_EQ(at(0, 0)[0], 200);
  // opaque pixels are untouched
  EXPECT_EQ(at(1, 1)[0], 200);
}

TEST(DefaultFont, GlyphPlacementColoursAndOutline) {
  DecodedImage f = make_default_font_image();
  ASSERT_EQ(f.width, 128);
  ASSERT_EQ(f.height, 64);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 128; ++x) ASSERT_EQ(px(f, x, y)[3], 0);  // codes 0-31 empty
  // '!' (33): column 1, row 2; word 0x08021080 -> bit 7 = row 1 column 2
  int x0 = 8, y0 = 16;
  EXPECT_EQ(px(f, x0 + 1 + 2, y0 + 1 + 1)[0], 255);
  EXPECT_EQ(px(f, x0 + 1 + 2, y0 + 1 + 1)[3], 255);
  const uint8_t* edge = px(f, x0 + 1 + 1, y0 + 1 + 1);  // left of it: outline
  EXPECT_EQ(edge[0], 8);
  EXPECT_EQ(edge[3], 255);
  for (int y = 0; y < 64; ++y) EXPECT_EQ(px(f, 7, y)[3], 0);  // column x0 + 7 stays clear
}
