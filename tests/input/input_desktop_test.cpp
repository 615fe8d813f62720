// The input device against a real X server: a private Xvfb with a German
// keyboard layout, keys pressed with xdotool, the window's events handed to
// the input layer as the message pump does. Skipped when Xvfb, xdotool or
// setxkbmap is missing. The server runs with -noreset: an X server that
// resets when its last client leaves would drop the layout set by
// setxkbmap the moment setxkbmap disconnects.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "runtime/input/input.h"

// last: the X11 headers behind it define macros that clash with the rest
#include <SDL2/SDL_syswm.h>

extern char** environ;
void platform_input_event(const void* sdl_event);

namespace {

bool have(const char* tool) {
  std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

bool run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0; }

class GermanKeyboard : public ::testing::Test {
 protected:
  static pid_t xvfb;
  static std::string display;
  static SDL_Window* window;
  static unsigned long xid;

  static void SetUpTestSuite() {
    if (!have("Xvfb") || !have("xdotool") || !have("setxkbmap")) return;
    // parallel test processes start their servers on different numbers
    for (int k = 0, n = 140 + getpid() % 40; k < 40 && display.empty(); k++, n = 140 + (n - 139) % 40) {
      std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      std::string d = ":" + std::to_string(n);
      const char* argv[] = {"Xvfb", d.c_str(), "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset", nullptr};
      if (posix_spawnp(&xvfb, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return;
      std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
      for (int i = 0; i < 100 && access(sock.c_str(), F_OK) != 0; i++) usleep(50000);
      // a server that lost the race for this number has exited by now
      if (access(sock.c_str(), F_OK) == 0 && waitpid(xvfb, nullptr, WNOHANG) == 0) {
        display = d;
      } else {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        xvfb = 0;
      }
    }
    if (display.empty()) return;
    setenv("DISPLAY", display.c_str(), 1);
    if (!run("setxkbmap -layout de")) return;
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
    if (xvfb > 0) {
      kill(xvfb, SIGTERM);
      waitpid(xvfb, nullptr, 0);
      xvfb = 0;
    }
    unsetenv("SDL_VIDEODRIVER");
  }

  void SetUp() override {
    if (!window || !xid) GTEST_SKIP() << "no private X server with a German layout";
    input_device = InputDevice{};
    init_input(window, nullptr, false);
    ASSERT_TRUE(run("xdotool windowfocus --sync " + std::to_string(xid)));
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
    EXPECT_TRUE(run("xdotool" + down));
    EXPECT_TRUE(pump_until([code] { return key_state(code) == 1; })) << "code " << code;
    TvString t = typed_key();
    EXPECT_TRUE(run("xdotool" + up));
    pump_until([code] {
      input_frame_start();
      return key_state(code) == 0;
    });
    typed_key();
    return std::string(t.data, t.length);
  }
};

pid_t GermanKeyboard::xvfb = 0;
std::string GermanKeyboard::display;
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

TEST_F(GermanKeyboard, FocusMovingToAnotherWindowReleasesHeldKeys) {
  SDL_Window* other = SDL_CreateWindow("other", 300, 10, 100, 100, SDL_WINDOW_SHOWN);
  ASSERT_NE(other, nullptr);
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(other, &info));
  ASSERT_TRUE(run("xdotool windowfocus --sync " + std::to_string(xid)));
  ASSERT_TRUE(run("xdotool keydown a"));
  ASSERT_TRUE(pump_until([] { return key_state(30) == 1; }));
  ASSERT_TRUE(run("xdotool windowfocus --sync " +
                  std::to_string(static_cast<unsigned long>(info.info.x11.window))));
  EXPECT_TRUE(pump_until([] { return !input_device.focused; }));
  EXPECT_EQ(key_state(30), 0);
  // keys pressed for the other window do not reach the program
  run("xdotool keyup a keydown b");
  pump_until([] { return false; }, 300);
  EXPECT_EQ(key_state(48), 0);
  run("xdotool keyup b");
  SDL_DestroyWindow(other);
}

}  // namespace
