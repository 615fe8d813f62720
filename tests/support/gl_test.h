// gl_test.h - the fixture of tests that draw: the shared test window
// (gl_window.h) made current, with the 2D state a test starts from and a
// black screen.
#pragma once
#include <gtest/gtest.h>

#include "runtime/gfx2d/device.h"
#include "tests/support/gl_window.h"

class GlTest : public ::testing::Test {
 protected:
  OpenGLVadeviva* d = nullptr;
  void SetUp() override {
    d = gl_test_device();
    ASSERT_NE(d, nullptr) << "no OpenGL window";
    set_viewport(0, 0, 0, 0);
    alpha_mode(0);
    set_transparency(0x8000FF);
    d->font_color_key = 0;
    clear_screen(0);
  }
};
