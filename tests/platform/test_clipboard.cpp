// The desktop clipboard against a private X server, with xclip as the other
// desktop program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "runtime/platform/clipboard.h"
#include "runtime/platform/pump.h"
#include "runtime/platform/window_sdl.h"
#include "tests/support/private_display.h"
// last: Xlib's macros clash with the rest
#include "tests/support/x11_selection.h"

namespace {

class ClipboardDesktop : public ::testing::Test {
 protected:
  static PrivateDisplay display;

  static void SetUpTestSuite() {
    if (!have_tool("xclip") || !display.start()) return;
    setenv("DISPLAY", display.name.c_str(), 1);
  }
  static void TearDownTestSuite() {
    platform_video_stop();
    display.stop();
  }
  void SetUp() override {
    if (display.name.empty()) GTEST_SKIP() << "no Xvfb or xclip";
    ASSERT_TRUE(platform_video_start(nullptr));
  }

  // Runs `cmd` while this process keeps answering the desktop's requests
  // for the clipboard it owns; returns what the command printed.
  static std::string run_pumping(const std::string& cmd) {
    std::string out;
    std::atomic<bool> done{false};
    std::thread reader([&] {
      if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
        pclose(p);
      }
      done = true;
    });
    while (!done) {
      platform_pump_events(nullptr, nullptr, nullptr);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    reader.join();
    return out;
  }

  static void xclip_put(const std::string& utf8) {
    FILE* p = popen("xclip -selection clipboard -i", "w");
    ASSERT_NE(p, nullptr);
    fwrite(utf8.data(), 1, utf8.size(), p);
    pclose(p);
    // xclip takes the selection from a background copy of itself: wait
    // until it offers the text
    for (int i = 0; i < 100; i++) {
      if (run_pumping("xclip -selection clipboard -o 2>/dev/null") == utf8) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    FAIL() << "xclip never offered the text";
  }
};
PrivateDisplay ClipboardDesktop::display;

TEST_F(ClipboardDesktop, ReadsOtherProgramsTextAsLatin1) {
  xclip_put("Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC 5\r\nnext\n");
  EXPECT_EQ(platform_clipboard_get(), "Gr\xFC\xDF" "e ? 5\r\nnext\n");
}

TEST_F(ClipboardDesktop, OtherProgramsReadOurTextAsUtf8) {
  ASSERT_TRUE(platform_clipboard_set("caf\xE9\n\tx = a || b\n"));
  EXPECT_EQ(run_pumping("xclip -selection clipboard -o"), "caf\xC3\xA9\n\tx = a || b\n");
  // and it reads back unchanged in this program
  EXPECT_EQ(platform_clipboard_get(), "caf\xE9\n\tx = a || b\n");
}

TEST_F(ClipboardDesktop, EmptyWhenNoText) {
  ASSERT_TRUE(platform_clipboard_set(""));
  EXPECT_EQ(platform_clipboard_get(), "");
}

// Text of `bytes` UTF-8 bytes in lines, with two-byte characters among them.
std::string large_utf8(size_t bytes) {
  std::string line = "Gr\xC3\xB6\xC3\x9F" "e caf\xC3\xA9 ";
  std::string t;
  for (size_t i = 0; t.size() + line.size() + 8 < bytes; i++) t += line + std::to_string(i) + "\n";
  return t;
}

TEST_F(ClipboardDesktop, FourMegabytesArriveWholeBothWays) {
  // from xclip, which hands text this large over in pieces
  std::string utf8 = large_utf8(4u << 20);
  std::string latin1 = platform_utf8_to_latin1_lossy(utf8);
  xclip_put(utf8);
  std::string got;
  int lost = -1;
  ASSERT_TRUE(platform_clipboard_read(got, &lost));
  EXPECT_TRUE(got == latin1) << got.size() << " bytes of " << latin1.size();
  EXPECT_EQ(lost, 0);
  // characters beyond Latin-1 are counted as they become "?" (a "?" of the
  // text itself is not)
  xclip_put("a?\xF0\x9F\x98\x80" "b\xE2\x82\xAC");
  ASSERT_TRUE(platform_clipboard_read(got, &lost));
  EXPECT_EQ(got, "a??b?");
  EXPECT_EQ(lost, 2);
  // and ours to xclip, in pieces the other way
  ASSERT_TRUE(platform_clipboard_set(latin1));
  std::string out = run_pumping("xclip -selection clipboard -o");
  EXPECT_TRUE(out == utf8) << out.size() << " bytes of " << utf8.size();
}

TEST_F(ClipboardDesktop, AReadNobodyAnswersFailsAndChangesNothing) {
  TestSelections other(display.name);
  ASSERT_NE(other.dpy, nullptr);
  other.own("CLIPBOARD");
  std::string text = "as it was";
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform_clipboard_read(text));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(text, "as it was");
  EXPECT_EQ(other.owner("CLIPBOARD"), other.win);  // the desktop's clipboard is still the other program's
}

// SDL wakes its waiting event loop with an event sent to the window over a
// second connection; at the window's end that event can arrive late, and
// the error it brings must not end the program.
TEST_F(ClipboardDesktop, AnEventSentToAGoneWindowDoesNotEndTheProgram) {
  Display* other = XOpenDisplay(nullptr);
  ASSERT_NE(other, nullptr);
  Window gone = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 1, 1, 0, 0, 0);
  XDestroyWindow(other, gone);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = gone;
  e.xclient.format = 32;
  XSendEvent(other, gone, False, NoEventMask, &e);
  XSync(other, False);  // the error arrives here; Xlib's own handler would exit
  XCloseDisplay(other);
  SUCCEED();
}

TEST(ClipboardText, LossyUtf8ToLatin1) {
  EXPECT_EQ(platform_utf8_to_latin1_lossy("abc"), "abc");
  EXPECT_EQ(platform_utf8_to_latin1_lossy("\xC2\xA0\xC3\xBF"), "\xA0\xFF");
  // beyond Latin-1: three- and four-byte characters are one "?" each
  EXPECT_EQ(platform_utf8_to_latin1_lossy("a\xE2\x82\xAC" "b\xF0\x9F\x98\x80" "c"), "a?b?c");
  // broken sequences: a stray continuation, a cut-off lead, an overlong form
  EXPECT_EQ(platform_utf8_to_latin1_lossy("\x80x\xC3"), "?x?");
  EXPECT_EQ(platform_utf8_to_latin1_lossy("\xC0\xAF"), "??");
}

}  // namespace
