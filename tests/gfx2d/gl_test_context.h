// File and texture helpers of the pixel tests of sprites, fonts and
// surfaces, which run on the shared test fixture (tests/support/gl_test.h).
#pragma once
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/platform/window_sdl.h"
#include "tests/support/gl_test.h"

// An image file made by the test: pixel(x, y) gives the TvColor of each
// pixel, top row first.
inline std::vector<uint8_t> test_bmp(int w, int h, const std::function<int32_t(int, int)>& pixel) {
  std::vector<uint8_t> bgr(size_t(w) * size_t(h) * 3);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int32_t c = pixel(x, y);
      uint8_t* p = &bgr[(size_t(h - 1 - y) * size_t(w) + size_t(x)) * 3];
      p[0] = uint8_t(c >> 16);
      p[1] = uint8_t(c >> 8);
      p[2] = uint8_t(c);
    }
  return encode_bmp24(w, h, bgr.data());
}

// A file name of its own for each test, so tests may run side by side.
inline std::string temp_path(const std::string& name) {
  std::filesystem::path dir = std::filesystem::path(TEST_BINARY_DIR) / "gfx2d_files";
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string prefix = test ? std::string(test->test_suite_name()) + "." + test->name() + "." : "";
  return (dir / (prefix + name)).string();
}

inline std::string write_temp(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = temp_path(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  return path;
}

inline std::vector<uint8_t> read_all(const std::string& path) {
  std::vector<uint8_t> bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
  std::fclose(f);
  return bytes;
}

// The alpha channel of a slot's texture at image pixel (x, y).
inline uint8_t texture_alpha(unsigned texture, int tw, int th, int image_h, int x, int y) {
  std::vector<uint8_t> rgba(size_t(tw) * size_t(th) * 4);
  glBindTexture(GL_TEXTURE_2D, texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return rgba[(size_t(image_h - 1 - y) * size_t(tw) + size_t(x)) * 4 + 3];
}
