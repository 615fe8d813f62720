// A text widget on a real window of a private X server: keys typed by
// xdotool through the desktop's keyboard, the clipboard shared with xclip.
// Skipped when Xvfb, xdotool or xclip is missing.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "runtime/frame/frame_loop.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/platform/clipboard.h"
#include "tests/support/gl_window.h"
#include "tests/support/private_display.h"
#include "vexui/internal.h"

// last: the X11 headers behind it define macros that clash with the rest
#include <SDL2/SDL_syswm.h>

namespace {

class DesktopText : public ::testing::Test {
 protected:
  static PrivateDisplay display;
  static OpenGLVadeviva* device;
  static unsigned long xid;

  static void SetUpTestSuite() {
    if (!have_tool("xdotool") || !have_tool("xclip") || !display.start()) return;
    setenv("DISPLAY", display.name.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    device = gl_test_device();
    if (!device) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(static_cast<SDL_Window*>(device->window), &info) && info.subsystem == SDL_SYSWM_X11)
      xid = static_cast<unsigned long>(info.info.x11.window);
  }
  static void TearDownTestSuite() {
    if (device) shutdown_input();
    display.stop();
  }

  void SetUp() override {
    if (!device || !xid) GTEST_SKIP() << "no private X server with xdotool and xclip";
    input_device = InputDevice{};
    init_input(device->window, nullptr, false);
    make_default_font(0);
    set_font(0);
    vexui_state = VexuiState{};
    vexui_text_layout_clear();
    ASSERT_TRUE(run_quiet("xdotool windowfocus --sync " + std::to_string(xid)));
    ASSERT_TRUE(frames_until([] { return input_device.focused; })) << "the window never got the focus";
    vexui_push_dialog(0, 0, 480, 320);
    vexui_text("t", "", 460, 280);
    vexui_set("", "FOCUS", "t");
  }
  void TearDown() override { vexui_state = VexuiState{}; }

  // Frames of the toolkit, as a program's loop runs them, until `done`.
  static bool frames_until(const std::function<bool()>& done, int ms = 5000) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      pump_messages(nullptr);
      input_frame_start();
      vexui_show(1);
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(16));
    }
    return false;
  }
  // Runs `cmd` in the background while frames go on; what it printed.
  static std::string run_during_frames(const std::string& cmd) {
    std::string out;
    std::atomic<bool> finished{false};
    std::thread runner([&] {
      if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
      }
      finished = true;
    });
    frames_until([&] { return finished.load(); }, 60000);
    runner.join();
    return out;
  }
  static std::string text() {
    TvString t = vexui_get("t", "TEXT");
    return std::string(t.data, t.length);
  }
};
PrivateDisplay DesktopText::display;
OpenGLVadeviva* DesktopText::device = nullptr;
unsigned long DesktopText::xid = 0;

TEST_F(DesktopText, TwoHundredQuicklyTypedCharactersAllArriveInOrder) {
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789.,-";
  std::string typed;
  for (int i = 0; typed.size() < 200; ++i) typed += alphabet[(i * 7) % alphabet.size()];
  run_during_frames("xdotool type --delay 10 '" + typed + "'");
  // the typist was faster than the frames: what waits arrives a frame each
  frames_until([&] { return text().size() >= typed.size() && typed_waiting() == 0; });
  EXPECT_EQ(text(), typed);
}

TEST_F(DesktopText, CtrlVPastesTheDesktopsTextAndCtrlCCopiesTheSelection) {
  vexui_set("t", "TEXT", "<>");
  vexui_set("t", "SELSTART", "1");
  vexui_set("t", "SELEND", "1");
  // run alone: xclip leaves a copy of itself behind that must not meet our frames
  std::system("printf 'Gr\\303\\274\\303\\237e \\342\\202\\254 1\\r\\n2\\tz' | xclip -selection clipboard -i");
  // xclip hands the selection to a copy of itself in the background
  ASSERT_TRUE(frames_until([] { return platform_clipboard_get().size() > 5; }));
  run_during_frames("xdotool key ctrl+v");
  ASSERT_TRUE(frames_until([] { return text().size() > 2; }));
  EXPECT_EQ(text(), "<Gr\xFC\xDF" "e ? 1\n2    z>");
  EXPECT_EQ(int(vexui_get_number("t", "SELEND")), 1 + 16);

  // the whole text selected, then copied: the desktop reads UTF-8
  vexui_set("t", "TEXT", "caf\xE9 \xE4");
  vexui_set("t", "SELSTART", "0");
  vexui_set("t", "SELEND", "6");
  frames_until([] { return false; }, 300);  // past the repeat guard of Ctrl
  run_during_frames("xdotool key ctrl+c");
  frames_until([] { return false; }, 100);
  EXPECT_EQ(run_during_frames("xclip -selection clipboard -o"), "caf\xC3\xA9 \xC3\xA4");
  EXPECT_EQ(text(), "caf\xE9 \xE4");

  // read-only: copying still works, pasting changes nothing
  vexui_set("t", "READONLY", "1");
  frames_until([] { return false; }, 300);
  run_during_frames("xdotool key ctrl+v");
  frames_until([] { return false; }, 200);
  EXPECT_EQ(text(), "caf\xE9 \xE4");
}

}  // namespace
