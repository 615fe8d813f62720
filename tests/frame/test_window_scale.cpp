// The enlarged window: the scale chosen from the display and the override,
// and, on a private X server of 1920 x 1080, a window twice the frame's
// size whose program still sees a 480 x 320 frame everywhere (pixels,
// grabs, surfaces, screenshots, mouse). The X runs happen in child
// processes of their own, so their display is theirs alone.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/window.h"
#include "runtime/frame/window_scale.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/image_codec.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/gfx2d/sprite_files.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx2d/surfaces.h"
#include "runtime/input/input.h"
#include "runtime/platform/input_sdl.h"
#include "runtime/platform/window_sdl.h"
#include "tests/support/private_display.h"

namespace fs = std::filesystem;

namespace {

TEST(WindowScale, TheLargestScaleThatLeavesRoomOnTheDisplay) {
  EXPECT_EQ(fitting_window_scale(1366, 768, 480, 320), 1);
  EXPECT_EQ(fitting_window_scale(1920, 1080, 480, 320), 2);
  EXPECT_EQ(fitting_window_scale(2560, 1440, 480, 320), 3);
  EXPECT_EQ(fitting_window_scale(3840, 2160, 480, 320), 4);
  // the limits themselves count as room: 960 = 0.6 x 1600, 640 = 0.75 x 853.33
  EXPECT_EQ(fitting_window_scale(1600, 2000, 480, 320), 2);
  EXPECT_EQ(fitting_window_scale(1599, 2000, 480, 320), 1);
  EXPECT_EQ(fitting_window_scale(4000, 854, 480, 320), 2);
  EXPECT_EQ(fitting_window_scale(4000, 853, 480, 320), 1);
  // a tiny display still shows the frame; a huge one stops at 8
  EXPECT_EQ(fitting_window_scale(640, 480, 480, 320), 1);
  EXPECT_EQ(fitting_window_scale(0, 0, 480, 320), 1);
  EXPECT_EQ(fitting_window_scale(100000, 100000, 480, 320), kMaxWindowScale);
}

TEST(WindowScale, TheOverrideIsAWholeNumberFromOneToEight) {
  EXPECT_EQ(scale_from_text("1"), 1);
  EXPECT_EQ(scale_from_text("8"), 8);
  for (const char* bad : {"0", "9", "10", "abc", "", " 2", "2 ", "+2", "02", "2.0", "-1"})
    EXPECT_EQ(scale_from_text(bad), 0) << '"' << bad << '"';
  EXPECT_EQ(scale_from_text(nullptr), 0);
}

// ---- the window on a 1920 x 1080 display ----------------------------------------------

std::string failures;
#define CHECK_THAT(cond, what)                                      \
  do {                                                              \
    if (!(cond)) failures += std::string(what) + " (" #cond ")\n"; \
  } while (0)

// Ends a child run: its failures on standard error, exit code 1 with any.
[[noreturn]] void end_child() {
  std::fputs(failures.c_str(), stderr);
  std::fflush(stderr);
  std::_Exit(failures.empty() ? 0 : 1);
}

OpenGLVadeviva* open_scaled_window(const char* scale) {
  if (scale)
    setenv("SNIPVAULT_SCALE", scale, 1);
  else
    unsetenv("SNIPVAULT_SCALE");
  setenv("SDL_VIDEODRIVER", "x11", 1);
  OpenGLVadeviva* d = new OpenGLVadeviva();
  graphics_device = d;
  if (!create_window(*d, nullptr, 480, 320, 0, 60, 0)) {
    failures += std::string("no window: ") + window_failure_cause() + "\n";
    end_child();
  }
  place_window(*d);
  return d;
}

std::string window_size_text(OpenGLVadeviva* d) {
  int w = 0, h = 0;
  platform_window_size(d->window, w, h);
  return std::to_string(w) + "x" + std::to_string(h);
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool run_tool(const std::string& cmd) { return run_quiet(cmd); }

std::string tool_output(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  return out;
}

// RGB of window pixel (x, y), top row first, in a bottom-up RGBA read-back.
uint32_t rgb_at(const std::vector<uint8_t>& px, int width, int height, int x, int y) {
  const uint8_t* p = &px[(size_t(height - 1 - y) * size_t(width) + size_t(x)) * 4];
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
}

void drawing_reads_and_presenting() {
  OpenGLVadeviva* d = open_scaled_window(nullptr);
  CHECK_THAT(window_size_text(d) == "960x640", "the window is twice the frame: " + window_size_text(d));
  int w = 0, h = 0, vx = -1, vy = -1, vw = 0, vh = 0;
  screen_size(w, h);
  get_viewport(vx, vy, vw, vh);
  CHECK_THAT(w == 480 && h == 320, "the program sees a 480 x 320 screen");
  CHECK_THAT(vx == 0 && vy == 0 && vw == 480 && vh == 320, "the viewport is the frame");

  set_viewport(0, 0, 0, 0);
  alpha_mode(0);
  clear_screen(0);
  set_pixel(10, 10, 0x00FF00);
  draw_rect(100, 50, 3, 2, 0x0000FF);
  draw_rect(479, 319, 1, 1, 0xFF0000);
  CHECK_THAT(get_pixel(10, 10) == 0x00FF00 && get_pixel(11, 10) == 0, "get_pixel reads frame pixels");
  CHECK_THAT(get_pixel(479, 319) == 0xFF0000, "the frame's last pixel");
  set_viewport(200, 150, 40, 30);  // a viewport counts in frame pixels too
  draw_rect(0, 0, 1, 1, 0x00FFFF);
  set_viewport(0, 0, 0, 0);
  CHECK_THAT(get_pixel(200, 150) == 0x00FFFF && get_pixel(199, 150) == 0 && get_pixel(200, 149) == 0,
             "a viewport's origin is its frame pixel");
  draw_rect(200, 150, 1, 1, 0);

  // a grab takes frame pixels, not window pixels
  grab_sprite(1, 8, 8, 4, 4);
  SpriteSlot* s = sprite_slot(1);
  std::vector<uint8_t> tex(size_t(s->texture_width) * size_t(s->texture_height) * 4);
  glBindTexture(GL_TEXTURE_2D, s->texture);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, tex.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  // image row 2 (from the top) of a 4-high grab is texture row 1 from the bottom
  const uint8_t* g = &tex[(size_t(1) * size_t(s->texture_width) + 2) * 4];
  CHECK_THAT(g[0] == 0 && g[1] == 255 && g[2] == 0, "grab_sprite copies the frame's pixel (10, 10)");
  const uint8_t* k = &tex[(size_t(1) * size_t(s->texture_width) + 3) * 4];
  CHECK_THAT(k[1] == 0, "and its black neighbour");

  // a surface draws into its sprite; leaving it returns to the frame
  create_screen(0, 2, 32, 32);
  use_screen(0);
  draw_rect(0, 0, 32, 32, 0xFFFFFF);
  use_screen(-1);
  CHECK_THAT(get_pixel(0, 0) == 0, "the surface's drawing stays in its sprite");
  set_pixel(12, 10, 0xFFFF00);
  CHECK_THAT(get_pixel(12, 10) == 0xFFFF00, "after leaving a surface drawing lands in the frame");

  // the frame as it is about to be presented
  std::vector<uint8_t> frame(size_t(480) * 320 * 4);
  glReadBuffer(window_read_buffer());
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(0, 0, 480, 320, GL_RGBA, GL_UNSIGNED_BYTE, frame.data());

  // the window's back buffer after the enlarged present, also when the
  // program left another texture unit active
  auto active_texture = reinterpret_cast<void (*)(GLenum)>(d->ext.glActiveTextureARB);
  if (active_texture) active_texture(GL_TEXTURE1);
  present_scaled_frame();
  GLint unit = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
  if (active_texture) {
    CHECK_THAT(unit == GL_TEXTURE1, "the program's texture unit stays active");
    active_texture(GL_TEXTURE0);
  }
  std::vector<uint8_t> win(size_t(960) * 640 * 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, 960, 640, GL_RGBA, GL_UNSIGNED_BYTE, win.data());
  resume_scaled_frame();
  for (int y = 20; y <= 21; ++y)
    for (int x = 20; x <= 21; ++x)
      CHECK_THAT(rgb_at(win, 960, 640, x, y) == 0x00FF00,
                 "frame pixel (10, 10) covers window pixel " + std::to_string(x) + "," + std::to_string(y));
  CHECK_THAT(rgb_at(win, 960, 640, 19, 20) == 0 && rgb_at(win, 960, 640, 20, 19) == 0 &&
                 rgb_at(win, 960, 640, 22, 21) == 0 && rgb_at(win, 960, 640, 21, 22) == 0,
             "and no window pixel beside that block");
  CHECK_THAT(rgb_at(win, 960, 640, 24, 20) == 0xFFFF00 && rgb_at(win, 960, 640, 25, 21) == 0xFFFF00,
             "frame pixel (12, 10) at window pixels 24..25");
  CHECK_THAT(rgb_at(win, 960, 640, 200, 100) == 0x0000FF && rgb_at(win, 960, 640, 205, 103) == 0x0000FF &&
                 rgb_at(win, 960, 640, 206, 103) == 0 && rgb_at(win, 960, 640, 205, 104) == 0,
             "a 3 x 2 rectangle at (100, 50) covers 6 x 4 window pixels");
  CHECK_THAT(rgb_at(win, 960, 640, 958, 638) == 0xFF0000 && rgb_at(win, 960, 640, 959, 639) == 0xFF0000,
             "the frame's last pixel fills the window's corner");

  // the presented frame is what a screenshot holds: 480 x 320, as drawn
  swap_and_pace(nullptr);
  const char* tmp = std::getenv("TMPDIR");
  std::string shot = std::string(tmp ? tmp : "/tmp") + "/scaled_shot.bmp";
  save_screenshot(TvString(shot.c_str()));
  std::string bytes = read_file(shot);
  DecodedImage img;
  bool decoded = decode_bmp(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), -1, img);
  CHECK_THAT(decoded && img.width == 480 && img.height == 320, "the screenshot is 480 x 320");
  if (decoded && img.width == 480 && img.height == 320) {
    int differing = 0;
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 480; ++x) {
        const uint8_t* a = &img.rgba[(size_t(y) * 480 + size_t(x)) * 4];
        const uint8_t* b = &frame[(size_t(319 - y) * 480 + size_t(x)) * 4];
        if (a[0] != b[0] || a[1] != b[1] || a[2] != b[2]) ++differing;
      }
    CHECK_THAT(differing == 0, "the screenshot equals the frame drawn: " + std::to_string(differing) +
                                   " pixels differ");
  }
  end_child();
}

// Moves the pointer to window pixel (x, y), presses the left button and
// returns what mouse_state reports while it is held.
MouseReading click_at(const std::string& id, int x, int y) {
  run_tool("xdotool mousemove --window " + id + " --sync " + std::to_string(x) + " " + std::to_string(y) +
           " mousedown 1");
  MouseReading r{};
  for (int i = 0; i < 400; ++i) {
    pump_messages(nullptr);
    request_mouse_sample();
    r = mouse_state();
    if (r.left) break;
    SDL_Delay(5);
  }
  run_tool("xdotool mouseup 1");
  for (int i = 0; i < 400 && input_device.buttons[0]; ++i) {
    pump_messages(nullptr);
    SDL_Delay(5);
  }
  return r;
}

void mouse_in_frame_pixels() {
  OpenGLVadeviva* d = open_scaled_window(nullptr);
  auto_pause = false;
  init_input(d->window, nullptr, false);
  // the X window of the program's window, found by its title
  std::string id = tool_output("xdotool search --name '^Tolvane$' | head -n 1");
  while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
  CHECK_THAT(!id.empty(), "the window is found on the display");
  if (id.empty()) end_child();
  run_tool("xdotool windowfocus --sync " + id);
  click_at(id, 700, 500);  // the desktop takes the first click after the focus as a focus click
  for (auto [x, y] : {std::pair{0, 0}, {10, 10}, {100, 50}, {239, 160}, {479, 319}}) {
    MouseReading r = click_at(id, 2 * x + 1, 2 * y + 1);
    CHECK_THAT(r.left == 1 && r.x == x && r.y == y,
               "click at window pixel (" + std::to_string(2 * x + 1) + ", " + std::to_string(2 * y + 1) +
                   ") arrives at (" + std::to_string(r.x) + ", " + std::to_string(r.y) + ") left " +
                   std::to_string(r.left));
  }
  int32_t cw = 0, ch = 0;
  platform_window_client_size(d->window, &cw, &ch);
  CHECK_THAT(cw == 480 && ch == 320, "the input layer's client size is the frame's");

  // set_mouse moves the program's mouse; showing the cursor again puts the
  // desktop's pointer on that frame pixel of the enlarged window
  show_mouse(0);
  set_mouse(30, 40);
  show_mouse(1);
  SDL_Delay(100);
  int wx = 0, wy = 0;
  SDL_GetWindowPosition(static_cast<SDL_Window*>(d->window), &wx, &wy);
  std::string where = tool_output("xdotool getmouselocation --shell");
  int px = -1, py = -1;
  std::sscanf(where.c_str(), "X=%d\nY=%d", &px, &py);
  CHECK_THAT(px - wx == 60 && py - wy == 80,
             "the pointer is put at window pixel (" + std::to_string(px - wx) + ", " +
                 std::to_string(py - wy) + ")");
  shutdown_input();
  end_child();
}

void override_one_and_rubbish() {
  OpenGLVadeviva* d = open_scaled_window("1");
  CHECK_THAT(window_size_text(d) == "480x320", "SNIPVAULT_SCALE=1 keeps 480 x 320: " + window_size_text(d));
  CHECK_THAT(frame_scale(*d) == 1, "and draws into the window directly");
  destroy_window(*d);
  const char* tmp = std::getenv("TMPDIR");
  fs::path log = fs::path(tmp ? tmp : "/tmp") / "ErrorLog.txt";
  fs::remove(log);
  d = open_scaled_window("abc");
  CHECK_THAT(window_size_text(d) == "960x640", "SNIPVAULT_SCALE=abc is ignored: " + window_size_text(d));
  std::string text = read_file(log);
  size_t at = text.find("SNIPVAULT_SCALE=abc ignored");
  CHECK_THAT(at != std::string::npos, "the ignored value is logged: " + text);
  CHECK_THAT(text.find("SNIPVAULT_SCALE", at + 1) == std::string::npos, "once");

  // full screen uses the frame's own size; this server offers no 480 x 320
  // mode, so the window comes back enlarged as before
  CHECK_THAT(!switch_display_mode(*d), "Xvfb has no 480 x 320 display mode");
  CHECK_THAT(window_size_text(d) == "960x640" && frame_scale(*d) == 2,
             "back in a window the frame is enlarged again: " + window_size_text(d));
  clear_screen(0);
  set_pixel(3, 4, 0x00FF00);
  CHECK_THAT(get_pixel(3, 4) == 0x00FF00, "and drawing goes into the frame");
  end_child();
}

class ScaledWindow : public ::testing::Test {
 protected:
  static PrivateDisplay display;
  static fs::path temp;

  // The server is started once by the test process; the child processes
  // re-run this set-up and find it through the environment.
  static void SetUpTestSuite() {
    if (std::getenv("SCALED_WINDOW_DISPLAY")) return;
    if (!have_tool("xdotool") || !display.start("1920x1080x24")) return;
    temp = fs::temp_directory_path() / ("scaled_window_" + std::to_string(getpid()));
    fs::create_directories(temp);
    setenv("SCALED_WINDOW_DISPLAY", display.name.c_str(), 1);
    setenv("SCALED_WINDOW_TEMP", temp.c_str(), 1);
  }
  static void TearDownTestSuite() {
    if (display.server == 0) return;
    display.stop();
    unsetenv("SCALED_WINDOW_DISPLAY");
    unsetenv("SCALED_WINDOW_TEMP");
    std::error_code ec;
    fs::remove_all(temp, ec);
  }
  void SetUp() override {
    const char* name = std::getenv("SCALED_WINDOW_DISPLAY");
    if (!name) GTEST_SKIP() << "no private X server with xdotool";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // the children open their window there; this process keeps its own
    child_env("DISPLAY", name);
    child_env("TMPDIR", std::getenv("SCALED_WINDOW_TEMP"));
  }
  void TearDown() override {
    for (auto& [name, value] : saved_)
      if (value.empty())
        unsetenv(name.c_str());
      else
        setenv(name.c_str(), value.c_str(), 1);
  }
  void child_env(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? old : "");
    setenv(name, value, 1);
  }
  std::vector<std::pair<std::string, std::string>> saved_;
};
PrivateDisplay ScaledWindow::display;
fs::path ScaledWindow::temp;

TEST_F(ScaledWindow, DrawsAFrameOf480x320ShownTwiceAsLarge) {
  EXPECT_EXIT(drawing_reads_and_presenting(), ::testing::ExitedWithCode(0), "");
}

TEST_F(ScaledWindow, MousePositionsArriveInFramePixels) {
  EXPECT_EXIT(mouse_in_frame_pixels(), ::testing::ExitedWithCode(0), "");
}

TEST_F(ScaledWindow, TheOverrideChoosesTheScaleRubbishIsIgnoredAndFullScreenGivesItBack) {
  EXPECT_EXIT(override_one_and_rubbish(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
