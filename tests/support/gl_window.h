// gl_window.h - the one real 480 x 320 window with its OpenGL context that
// pixel tests and benchmarks draw into, made the way the program makes it
// (create_window): under Xvfb when DISPLAY is set, else SDL's off-screen
// driver, at scale 1 so its back buffer is read pixel for pixel. One per
// process; a device some other code made current is reused.
#pragma once
#include <cstdlib>

#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"

// The device, made current; null when no window or context can be had.
inline OpenGLVadeviva* gl_test_device() {
  static OpenGLVadeviva* device = nullptr;
  if (!device && graphics_device && graphics_device->context_present) device = graphics_device;
  if (!device) {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SNIPVAULT_SCALE", "1", 1);
    auto* made = new OpenGLVadeviva();
    graphics_device = made;
    if (!create_window(*made, nullptr, 480, 320, 0, 60, 0)) {
      graphics_device = nullptr;
      delete made;
      return nullptr;
    }
    device = made;
  }
  graphics_device = device;
  return device;
}
