// image_codec.h - image files in and out, without any GL.
//
// Decoders turn BMP (our own reader), PNG (libpng) and JPEG (libjpeg) bytes
// into RGBA pixels, top row first, with the colour key made transparent.
// Encoders write 24-bit BMP, PNG and JPEG from blue-green-red rows stored
// bottom row first, the layout the GL read-back gives.
//
// Every decoder checks sizes before it touches pixels and refuses images
// whose pixel buffer would overflow or exceed kMaxImageBytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // 4 bytes per pixel, top row first
};

constexpr size_t kMaxImageBytes = size_t(256) << 20;  // 256 MiB

// colour_key: red + green*256 + blue*65536 of pixels that become (0,0,0,0);
// -1 disables the key.
bool decode_bmp(const uint8_t* bytes, size_t size, int32_t colour_key, DecodedImage& out);
// `name` only appears in the messages printed when libpng's output is refused.
bool decode_png(const uint8_t* bytes, size_t size, int32_t colour_key, DecodedImage& out,
                const char* name = "");
bool decode_jpeg(const uint8_t* bytes, size_t size, DecodedImage& out);
// BMP, then PNG, then JPEG; the key does not apply to JPEG.
bool decode_image(const uint8_t* bytes, size_t size, int32_t colour_key, DecodedImage& out,
                  const char* name = "");

// Encoders take `bgr`: height rows of width blue-green-red triplets, bottom
// row first, rows packed with no padding.
std::vector<uint8_t> encode_bmp24(int width, int height, const uint8_t* bgr);
bool encode_png(int width, int height, const uint8_t* bgr, std::vector<uint8_t>& out);
bool encode_jpeg(int width, int height, const uint8_t* bgr, std::vector<uint8_t>& out,
                 int quality = 90);

// The smallest power of two >= n and >= minimum.
int power_of_two_at_least(int n, int minimum);

// A texture's pixels: texture-size RGBA, bottom row first, the region of the
// image in its lower-left corner and transparent black elsewhere.
struct TextureImage {
  int texture_width = 0;
  int texture_height = 0;
  int width = 0;   // used part
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Cuts region (x, y, w, h) out of `image` (w or h 0 = to the edge), limits it
// to max_size, and lays it into a power-of-two buffer (at least `minimum`).
// Unless `nearest`, fully transparent pixels take the average colour of
// their opaque neighbours so linear filtering does not darken edges.
bool build_texture_image(const DecodedImage& image, int x, int y, int w, int h, int max_size,
                         bool nearest, TextureImage& out, int minimum = 16);
void fill_transparent_pixels(uint8_t* rgba, int width, int height);

// The built-in 8x8 font: 128 x 64 RGBA, white glyphs with a dark outline.
DecodedImage make_default_font_image();
