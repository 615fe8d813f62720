// The waits between frames with the runtime's own window and message pump
// (SDL's off-screen driver, in a child process of its own): how long
// wait_input_for sleeps, and what ends it early.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/input/input.h"

namespace {

double took_ms(const std::function<void()>& f) {
  auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// 0 when every wait behaved, else the number of the first that did not.
int check_waits() {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SNIPVAULT_SCALE", "1", 1);
  connect_layers();
  apply_project_settings();
  start_graphics_device();
  place_window(*graphics_device);
  init_input(graphics_device->window, nullptr, false);
  auto frame_then_wait = [](int ms) { return took_ms([ms] { input_frame_start(); wait_input_for(ms); }); };
  // start-up's own desktop events (shown, exposed, focus) each end a wait
  for (int i = 0; i < 40 && frame_then_wait(100) < 90; i++) {
  }

  double quiet = frame_then_wait(150);
  std::fprintf(stderr, "nothing: %.1f ms\n", quiet);
  if (quiet < 145 || quiet > 600) return 1;

  // a press pumped after the frame began (by the frame's own pump) is
  // already in the state the wait starts from, and still ends it at once
  double pressed = took_ms([] {
    input_frame_start();
    input_on_mouse_button(0, true);
    wait_input_for(2000);
  });
  std::fprintf(stderr, "pressed after the frame start: %.1f ms\n", pressed);
  if (pressed > 50) return 2;
  input_on_mouse_button(0, false);
  for (int i = 0; i < 3; i++) frame_then_wait(1);

  // a desktop event that is no input (an exposure) ends it too
  Uint32 id = SDL_GetWindowID(static_cast<SDL_Window*>(graphics_device->window));
  std::thread expose([id] {
    SDL_Delay(100);
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = id;
    e.window.event = SDL_WINDOWEVENT_EXPOSED;
    SDL_PushEvent(&e);
  });
  double exposed = frame_then_wait(3000);
  expose.join();
  std::fprintf(stderr, "exposed after 100 ms: %.1f ms\n", exposed);
  if (exposed < 95 || exposed > 1500) return 3;
  return 0;
}

TEST(InputWait, WaitInputForEndsOnUnseenInputOnADesktopEventOrAtItsTime) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::_Exit(check_waits()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
