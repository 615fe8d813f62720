// The input device against a real X server: a private Xvfb with a German
// keyboard layout, keys pressed with xdotool, the window's events handed to
// the input layer as the message pump does. Skipped when Xvfb, xdotool or
// setxkbmap is missing.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>
#include <atomic>
#include <functional>
#include <thread>
#include <string>

#include "runtime/input/input.h"
#include "tests/support/private_display.h"

// last: the X11 headers behind it define macros that clash with the rest
#include <SDL2/SDL_syswm.h>

namespace {

class GermanKeyboard : public ::testing::Test {
 protected:
  static PrivateDisplay display;
  static SDL_Window* window;
  static unsigned long xid;

  static void SetUpTestSuite() {
    if (!have_tool("xdotool") || !have_tool("setxkbmap") || !display.start()) return;
    setenv("DISPLAY", display.name.c_str(), 1);
    if (!run_quiet("setxkbmap -layout de")) return;
    setenv("SDL_VIDEODRIVER", "x11", 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) return;
    window = SDL_CreateWindow("keys", 10, 10, 200, 100, SDL_WINDOW_SHOWN);
    if (!window) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11)
      xid = static_cast<unsigned long>(info.info.x11.window);
  }

  static void TearDownTestSuite() {
    if (window) {
      shutdown_input();
      SDL_DestroyWindow(window);
      window = nullptr;
    }
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_Quit();
    display.stop();
    unsetenv("SDL_VIDEODRIVER");
  }

  void SetUp() override {
    if (!window || !xid) GTEST_SKIP() << "no private X server with a German layout";
    input_device = InputDevice{};
    init_input(window, nullptr, false);
    ASSERT_TRUE(run_quiet("xdotool windowfocus --sync " + std::to_string(xid)));
    ASSERT_TRUE(pump_until([] { return input_device.focused; })) << "window never got the focus";
  }

  // Handles the window's events until `done` holds (at most `ms`).
  static bool pump_until(const std::function<bool()>& done, int ms = 2000) {
    for (int i = 0; i < ms / 5; i++) {
      SDL_Event e;
      while (SDL_PollEvent(&e)) platform_input_event(&e);
      if (done()) return true;
      SDL_Delay(5);
    }
    return false;
  }

  // Presses the keys (xdotool key names) in order, returns what typed_key
  // reports while they are held, and releases them in reverse.
  std::string press(std::initializer_list<const char*> keys, int code) {
    std::string down, up;
    for (const char* k : keys) down += std::string(" keydown ") + k;
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) up += std::string(" keyup ") + *it;
    EXPECT_TRUE(run_quiet("xdotool" + down));
    EXPECT_TRUE(pump_until([code] { return key_state(code) == 1; })) << "code " << code;
    TvString t = typed_key();
    EXPECT_TRUE(run_quiet("xdotool" + up));
    pump_until([code] {
      input_frame_start();
      return key_state(code) == 0;
    });
    typed_key();
    return std::string(t.data, t.length);
  }
};

PrivateDisplay GermanKeyboard::display;
SDL_Window* GermanKeyboard::window = nullptr;
unsigned long GermanKeyboard::xid = 0;

TEST_F(GermanKeyboard, LayoutDecidesTheCharacterScanCodesStayPhysical) {
  // z and y swap places: the key at scan code 44 types "y", the one at 21 "z"
  EXPECT_EQ(press({"y"}, 44), "y");
  EXPECT_EQ(press({"z"}, 21), "z");
  EXPECT_EQ(press({"odiaeresis"}, 39), "\xf6");
  EXPECT_EQ(press({"ssharp"}, 12), "\xdf");
  EXPECT_EQ(press({"adiaeresis"}, 40), "\xe4");
  // Shift+2 is a double quote, Shift+ö a capital
  EXPECT_EQ(press({"Shift_L", "2"}, 3), "\"");
  EXPECT_EQ(press({"Shift_L", "odiaeresis"}, 39), "\xd6");
  // AltGr (right Alt, 184) with Q types "@"
  EXPECT_EQ(press({"ISO_Level3_Shift", "q"}, 16), "@");
}

TEST_F(GermanKeyboard, TextTypedByAToolArrivesAsTyped) {
  // "é" has no key here: xdotool lends it a spare key code for half its
  // delay, and the desktop's text for that press is looked up when the
  // event is handled, so the events are handled while it types
  std::atomic<bool> typed{false};
  std::thread tool([&] {
    EXPECT_TRUE(run_quiet("xdotool type --delay 60 'Gr\xc3\xb6\xc3\x9f" "e caf\xc3\xa9'"));
    typed = true;
  });
  std::string got;
  pump_until([&] {
    input_frame_start();
    for (TvString t = typed_key(); t.length; t = typed_key()) got.append(t.data, t.length);
    return typed && got.size() >= 10;
  }, 5000);
  tool.join();
  EXPECT_EQ(got, "Gr\xf6\xdf" "e caf\xe9");
}

TEST_F(GermanKeyboard, FocusMovingToAnotherWindowReleasesHeldKeys) {
  SDL_Window* other = SDL_CreateWindow("other", 300, 10, 100, 100, SDL_WINDOW_SHOWN);
  ASSERT_NE(other, nullptr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(other, &info));
  ASSERT_TRUE(run_quiet("xdotool windowfocus --sync " + std::to_string(xid)));
  ASSERT_TRUE(run_quiet("xdotool keydown a"));
  ASSERT_TRUE(pump_until([] { return key_state(30) == 1; }));
  ASSERT_TRUE(run_quiet("xdotool windowfocus --sync " +
                  std::to_string(static_cast<unsigned long>(info.info.x11.window))));
  EXPECT_TRUE(pump_until([] { return !input_device.focused; }));
  EXPECT_EQ(key_state(30), 0);
  // keys pressed for the other window do not reach the program
  run_quiet("xdotool keyup a keydown b");
  pump_until([] { return false; }, 300);
  EXPECT_EQ(key_state(48), 0);
  run_quiet("xdotool keyup b");
  SDL_DestroyWindow(other);
}

}  // namespace
