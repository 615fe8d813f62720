// The window and the frame loop: the window procedure's pause and close
// handling, the hook run once per message, the pacing schedule and the
// pause loop against a clock the test controls, the driver checks, and the
// end of a run that cannot get a window.
#include <GL/gl.h>
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/function_table.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/input/input.h"

namespace fs = std::filesystem;


namespace {

// ---- a clock the test controls ------------------------------------------------
int64_t fake_us = 0;         // the counter, in microseconds
int64_t read_step_us = 100;  // each reading moves time on (a busy wait spins)
std::vector<int> sleeps;
void (*on_sleep)() = nullptr;

int64_t fake_counter() {
  int64_t now = fake_us;
  fake_us += read_step_us;
  return now;
}
void fake_sleep(int ms) {
  sleeps.push_back(ms);
  fake_us += int64_t(ms) * 1000;
  if (on_sleep) on_sleep();
}
double fake_ms() { return double(fake_us) / 1000.0; }

void use_fake_clock(double start_ms) {
  fake_us = int64_t(start_ms * 1000);
  sleeps.clear();
  on_sleep = nullptr;
  set_clock_source(fake_counter, 1000000, fake_sleep);
  frame_clock = ClockState{};
  timer_start();
  frame_clock.clock_origin = 1;  // so timer_ms() reads the fake ms minus 1
  fake_us += 1000;
}

OpenGLVadeviva* window_device = nullptr;
// Taken before any test points TMPDIR at a folder of its own, and handed to
// the re-started processes of death tests, which inherit the changed TMPDIR.
fs::path first_temp_dir() {
  if (const char* b = std::getenv("WINDOW_TEST_TEMP_BASE")) return b;
  fs::path base = fs::temp_directory_path();
  setenv("WINDOW_TEST_TEMP_BASE", base.c_str(), 1);
  return base;
}
const fs::path temp_base = first_temp_dir();

void open_window() {
  if (!window_device) {
    if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SNIPVAULT_SCALE", "1", 1);  // a 480 x 320 window whatever the display
    window_device = new OpenGLVadeviva();
    graphics_device = window_device;
    ASSERT_TRUE(create_window(*window_device, nullptr, 480, 320, 0, 60, 0))
        << window_failure_cause();
    string_assign(window_title, "Snipvault");
    set_window_title("Snipvault");
  }
  graphics_device = window_device;
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class FrameLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = temp_base /
           ("window_frame_" + std::string(::testing::UnitTest::GetInstance()
                                              ->current_test_info()
                                              ->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    setenv("TMPDIR", dir_.c_str(), 1);
    paused = false;
    auto_pause = true;
    activation_requested = false;
    project_settings.debug_mode = 0;
    set_function_table(nullptr);
  }
  void TearDown() override {
    set_clock_source(nullptr, 0, nullptr);
    frame_clock = ClockState{};
    timer_start();
    set_function_table(nullptr);
    std::error_code ec;
    fs::current_path(temp_base, ec);
    fs::remove_all(dir_, ec);
    setenv("TMPDIR", temp_base.c_str(), 1);  // for later suites in this process
  }
  fs::path dir_;
};

// Pacing alone needs no window: a device without one only keeps the schedule.
class Pacing : public FrameLoop {
 protected:
  void SetUp() override {
    FrameLoop::SetUp();
    saved_ = graphics_device;
    graphics_device = &device_;
    device_.frame_ms = 1000.0 / 60.0;
  }
  void TearDown() override {
    graphics_device = saved_;
    FrameLoop::TearDown();
  }
  OpenGLVadeviva device_;
  OpenGLVadeviva* saved_ = nullptr;
};

// ---- pacing ---------------------------------------------------------------------------

TEST_F(Pacing, LateFramesKeepTheAbsoluteScheduleSkipASlotOrRestart) {
  const double frame = 1000.0 / 60.0, n = 1000.0;
  struct Case {
    double presented_at, next;
  } cases[] = {{n + 10, n + frame}, {n + 20, n + 2 * frame}, {n + 40, n + 40 + frame}};
  for (const Case& c : cases) {
    use_fake_clock(c.presented_at);
    device_.next_frame_time = n;
    swap_and_pace(nullptr);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_NEAR(device_.next_frame_time, c.next, 0.2) << "presented at " << c.presented_at;
  }
}

TEST_F(Pacing, AnEarlyFrameSleepsUntilThreeMsBeforeTheDeadlineThenSpins) {
  use_fake_clock(105);  // drawing took 5 ms of a frame that started at 100
  device_.next_frame_time = 100 + 1000.0 / 60.0;
  swap_and_pace(nullptr);
  ASSERT_EQ(sleeps.size(), 1u);
  EXPECT_EQ(sleeps[0], 8);  // 11.67 remaining - 3, truncated
  // it leaves the busy wait once at most 1 ms remains
  EXPECT_GE(fake_ms() - 1, 100 + 1000.0 / 60.0 - 1 - 0.2);
  EXPECT_LE(fake_ms() - 1, 100 + 1000.0 / 60.0 + 0.2);
  EXPECT_NEAR(device_.next_frame_time, 100 + 2000.0 / 60.0, 1e-9);

  sleeps.clear();
  use_fake_clock(100 + 1000.0 / 60.0 - 6);  // 6 ms left: no sleep, only the spin
  device_.next_frame_time = 100 + 1000.0 / 60.0;
  swap_and_pace(nullptr);
  EXPECT_TRUE(sleeps.empty());
}

TEST_F(Pacing, SixHundredFramesOfUnevenWorkAverageOneFrameDuration) {
  use_fake_clock(0);
  srand(7);
  std::vector<double> presented;
  for (int i = 0; i < 601; ++i) {
    fake_us += (rand() % 12000);  // 0-12 ms of drawing
    swap_and_pace(nullptr);
    presented.push_back(fake_ms());
  }
  double mean = (presented.back() - presented[1]) / 599.0;
  EXPECT_NEAR(mean, 1000.0 / 60.0, 1000.0 / 60.0 * 0.01);
}

TEST_F(Pacing, ZeroOrNegativeRatesGiveTwoMsFramesAndTheClocksReadTheFakeCounter) {
  set_frame_rate(0);
  EXPECT_DOUBLE_EQ(device_.frame_ms, 2.0);
  set_frame_rate(-5);
  EXPECT_DOUBLE_EQ(device_.frame_ms, 2.0);
  set_frame_rate(60);
  EXPECT_DOUBLE_EQ(device_.frame_ms, 1000.0 / 60.0);

  set_clock_source(fake_counter, 1000000, fake_sleep);
  frame_clock = ClockState{};
  timer_start();
  read_step_us = 0;
  fake_us = 5000000;
  EXPECT_EQ(timer_ms(), 0);  // the first reading is the origin
  fake_us += 2500;
  EXPECT_DOUBLE_EQ(timer_ms(), 2.5);
  frame_clock.start_time = 1;
  EXPECT_DOUBLE_EQ(run_time(), 1.5);
  frame_clock.current_frame_time = frame_clock.previous_frame_time = 4;
  EXPECT_EQ(frame_time(), 1);  // never 0
  read_step_us = 100;
  sleep_ms(7.9);
  EXPECT_EQ(sleeps.back(), 7);
}

// ---- the window procedure --------------------------------------------------------------

TEST_F(FrameLoop, LosingTheFocusPausesAndRetitlesUnlessInDebugModeOrAutoPauseOff) {
  open_window();
  SDL_Window* w = static_cast<SDL_Window*>(window_device->window);
  window_procedure(w, WINDOW_MSG_ACTIVATE, 0x00010000, 0);  // low word 0: inactive
  EXPECT_TRUE(paused);
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Snipvault <pause>");
  window_procedure(w, WINDOW_MSG_ACTIVATE, 7, 0);  // another low word: nothing
  EXPECT_TRUE(paused);
  window_procedure(w, WINDOW_MSG_ACTIVATE, 2, 0);  // active by click
  EXPECT_FALSE(paused);
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Snipvault");

  project_settings.debug_mode = 1;
  window_procedure(w, WINDOW_MSG_ACTIVATE, 0, 0);
  EXPECT_FALSE(paused);
  EXPECT_STREQ(SDL_GetWindowTitle(w), "Snipvault");
  project_settings.debug_mode = 0;
  auto_pause_switch(0);
  window_procedure(w, WINDOW_MSG_ACTIVATE, 0, 0);
  EXPECT_FALSE(paused);

  EXPECT_EQ(window_procedure(w, WINDOW_MSG_ERASE_BACKGROUND, 0, 0), 1);
  EXPECT_EQ(window_procedure(w, WINDOW_MSG_SYSCOMMAND, SYSCOMMAND_SCREENSAVE | 3, 0), 0);
  EXPECT_EQ(window_procedure(w, WINDOW_MSG_SYSCOMMAND, SYSCOMMAND_MONITORPOWER, 2), 0);
}

TEST_F(FrameLoop, TheTitleReachesTheDesktopAsUtf8) {
  open_window();
  set_window_title("Caf\xe9");  // Latin-1 e acute
  EXPECT_STREQ(SDL_GetWindowTitle(static_cast<SDL_Window*>(window_device->window)),
               "Caf\xc3\xa9");
  set_window_title("Snipvault");
}

TEST_F(FrameLoop, ClosingTheWindowEndsTheProgram) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        open_window();
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.event = SDL_WINDOWEVENT_CLOSE;
        e.window.windowID = SDL_GetWindowID(static_cast<SDL_Window*>(window_device->window));
        SDL_PushEvent(&e);
        pump_messages(nullptr);
        std::exit(3);  // not reached
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(window_procedure(nullptr, WINDOW_MSG_SYSCOMMAND, SYSCOMMAND_CLOSE | 1, 0),
              ::testing::ExitedWithCode(0), "");
}

// ---- the message hook --------------------------------------------------------------------

int hook_calls = 0;
int hook_saw_waiting = 0;
void count_hook() {
  ++hook_calls;
  SDL_Event e;
  if (SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) ++hook_saw_waiting;
}
const FunctionTableEntry hook_table[] = {{count_hook, "TVX_WIN32_MSG"}, {nullptr, nullptr}};

void push_user_events(int n) {
  for (int i = 0; i < n; ++i) {
    SDL_Event e{};
    e.type = SDL_USEREVENT;
    SDL_PushEvent(&e);
  }
}

TEST_F(FrameLoop, TheMessageHookRunsOnceBeforeEachMessage) {
  open_window();
  auto_pause_switch(0);  // focus changes on the shared display must not pause this test
  pump_messages(nullptr);  // whatever the desktop sent so far
  paused = false;
  hook_calls = hook_saw_waiting = 0;
  push_user_events(3);
  pump_messages(nullptr);
  EXPECT_EQ(hook_calls, 0);

  set_function_table(hook_table);
  push_user_events(3);
  pump_messages(lookup_message_hook());
  EXPECT_EQ(hook_calls, 3);
  EXPECT_EQ(hook_saw_waiting, 3);  // each time its message was still queued
  EXPECT_EQ(message_hook_state, 1);

  // show_frame finds the hook by name and runs it for messages arriving in
  // the pacing wait too
  use_fake_clock(0);
  window_device->next_frame_time = 50;
  hook_calls = hook_saw_waiting = 0;
  on_sleep = [] { push_user_events(2); };
  show_frame();
  EXPECT_GE(hook_calls, 2);
  EXPECT_EQ(hook_calls, hook_saw_waiting);
}

// ---- the pause loop ----------------------------------------------------------------------

TEST_F(FrameLoop, APausedFrameSleepsInHundredMsStepsUntilTheWindowIsActiveAgain) {
  open_window();
  use_fake_clock(0);
  window_device->next_frame_time = 0;
  // the test plays the desktop's part: real focus changes (other windows on
  // a shared display) stay out of it
  SDL_EventState(SDL_WINDOWEVENT, SDL_IGNORE);
  pump_messages(nullptr);
  window_procedure(window_device->window, WINDOW_MSG_ACTIVATE, 0, 0);
  ASSERT_TRUE(paused);
  glClearColor(0, 0, 0, 1);
  on_sleep = [] {
    if (sleeps.size() == 3) window_procedure(window_device->window, WINDOW_MSG_ACTIVATE, 1, 0);
  };
  alpha_mode(-0.5);
  set_viewport(10, 10, 20, 20);
  show_frame();
  SDL_EventState(SDL_WINDOWEVENT, SDL_ENABLE);
  EXPECT_FALSE(paused);
  ASSERT_GE(sleeps.size(), 3u);
  EXPECT_EQ(sleeps[0], 100);
  EXPECT_EQ(sleeps[1], 100);
  EXPECT_EQ(sleeps[2], 100);
  EXPECT_NEAR(frame_clock.current_frame_time, 0, 1);  // taken before the pause
  // the new frame starts in alpha mode 0 on the whole screen
  EXPECT_FLOAT_EQ(window_device->alpha_factor, 1.0f);
  int x, y, w, h;
  get_viewport(x, y, w, h);
  EXPECT_EQ(w, 480);
  EXPECT_EQ(h, 320);
}

TEST_F(FrameLoop, AFrameIsPresentedAndTheNextOneStartsCleared) {
  open_window();
  auto_pause_switch(0);
  use_fake_clock(0);
  window_device->next_frame_time = 0;
  clear_screen(0x0000FF);
  draw_rect(0, 0, 10, 10, 0x00FF00);
  show_frame();
  EXPECT_EQ(get_pixel(5, 5), 0x0000FF);  // cleared with the clear colour
  EXPECT_GT(frame_clock.current_frame_time, 0 - 1);
}

TEST_F(FrameLoop, AskingForMultisamplingStillGivesAWorkingWindow) {
  open_window();
  OpenGLVadeviva ms;
  ASSERT_TRUE(create_window(ms, nullptr, 64, 48, 0, 30, 1)) << window_failure_cause();
  EXPECT_EQ(ms.multisample, 1);
  EXPECT_EQ(ms.width, 64);
  EXPECT_NEAR(ms.frame_ms, 1000.0 / 30.0, 1e-9);
  GLint samples = -1;
  glGetIntegerv(GL_SAMPLES, &samples);
  EXPECT_GE(samples, 0);  // a multisampled format when the driver has one
  GLint depth = 0, stencil = 0, alpha = 0;
  glGetIntegerv(GL_DEPTH_BITS, &depth);
  glGetIntegerv(GL_STENCIL_BITS, &stencil);
  glGetIntegerv(GL_ALPHA_BITS, &alpha);
  EXPECT_GE(depth, 24);
  EXPECT_GE(stencil, 8);
  EXPECT_GE(alpha, 8);
  destroy_window(ms);
  EXPECT_EQ(ms.window, nullptr);
  // the first window's context is current again for the tests after this one
  void* c = ms.context;
  ms.context = nullptr;
  SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window_device->window), window_device->context);
  SDL_GL_DeleteContext(c);
}

// In a death test's child: a window of its own at scale 1, made and placed
// as start-up does, not yet shown.
void start_own_window() {
  if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SNIPVAULT_SCALE", "1", 1);
  apply_project_settings();
  start_graphics_device();
  place_window(*graphics_device);
}

// Start-up keeps the window unmapped and presents nothing until the
// program's first show_frame: the desktop's first sight of the window is
// that frame, not a blank one, and the window takes its name only then, so
// a script waiting for it by name finds it on screen. Its own process, for
// a device of its own.
TEST_F(FrameLoop, TheWindowFirstAppearsWithTheProgramsFirstFrame) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        start_own_window();
        start_first_frame();
        SDL_Window* w = static_cast<SDL_Window*>(graphics_device->window);
        auto shown = [w] { return (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) != 0; };
        set_window_title("Snipvault");
        if (shown() || presented_frames() != 0) std::_Exit(2);
        if (std::string(SDL_GetWindowTitle(w)) == "Snipvault") std::_Exit(5);
        auto_pause_switch(0);
        clear_screen(0x0000FF);
        draw_rect(0, 0, 10, 10, 0x00FF00);
        show_frame();
        if (!shown()) std::_Exit(3);
        if (presented_frames() != 1) std::_Exit(4);
        if (std::string(SDL_GetWindowTitle(w)) != "Snipvault") std::_Exit(5);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

// A program that waits for input before drawing anything still gets its
// window, or no key could ever reach it.
TEST_F(FrameLoop, WaitingForInputBeforeTheFirstFrameShowsTheWindow) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        connect_layers();
        start_own_window();
        SDL_Window* w = static_cast<SDL_Window*>(graphics_device->window);
        wait_input();  // returns after 75 ms at the latest
        std::_Exit((SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

// ---- driver checks -------------------------------------------------------------------------

TEST(WindowRules, ExtensionsCountOnlyAsWholeWords) {
  const char* list = "GL_ARB_multitexture GL_EXT_abgr WGL_ARB_multisample";
  EXPECT_TRUE(extension_listed(list, "GL_ARB_multitexture"));
  EXPECT_TRUE(extension_listed(list, "GL_EXT_abgr"));
  EXPECT_TRUE(extension_listed(list, "WGL_ARB_multisample"));
  EXPECT_FALSE(extension_listed(list, "GL_ARB_multi"));
  EXPECT_FALSE(extension_listed(list, "ARB_multisample"));  // inside a word
  EXPECT_FALSE(extension_listed(list, "GL_ARB_multisample"));
  EXPECT_FALSE(extension_listed("", "GL_EXT_abgr"));
  EXPECT_FALSE(extension_listed(nullptr, "GL_EXT_abgr"));
  EXPECT_TRUE(extension_listed("GL_x GL_xy", "GL_xy"));  // a later whole occurrence
}

TEST(WindowRules, SoftwareRasterisersAreRecognised) {
  EXPECT_TRUE(is_software_renderer("llvmpipe (LLVM 15.0.6, 256 bits)"));
  EXPECT_TRUE(is_software_renderer("softpipe"));
  EXPECT_TRUE(is_software_renderer("Software Rasterizer"));
  EXPECT_TRUE(is_software_renderer("Mesa Windows GDI Driver"));
  EXPECT_FALSE(is_software_renderer("Mesa Intel(R) UHD Graphics 620 (KBL GT2)"));
  EXPECT_FALSE(is_software_renderer("AMD Radeon RX 6600 (navi23, LLVM 15.0.6)"));
  EXPECT_FALSE(is_software_renderer(nullptr));
}

TEST(WindowRules, TheWindowIsCentredOnItsOwnDisplay) {
  int x, y;
  centred_position(0, 0, 1280, 1024, 480, 320, x, y);
  EXPECT_EQ(x, 400);
  EXPECT_EQ(y, 352);
  centred_position(1920, 0, 1920, 1040, 480, 320, x, y);  // the second display
  EXPECT_EQ(x, 1920 + 720);
  EXPECT_EQ(y, 360);
  centred_position(-1280, 27, 1280, 997, 480, 320, x, y);  // left of the first, under a panel
  EXPECT_EQ(x, -1280 + 400);
  EXPECT_EQ(y, 27 + 338);
  centred_position(0, 0, 301, 200, 480, 320, x, y);  // larger than the area: toward zero
  EXPECT_EQ(x, -89);
  EXPECT_EQ(y, -60);
}

std::vector<std::string> boxes;
void record_box(const char* caption, const char* text) {
  boxes.push_back(std::string(caption) + "|" + text);
}

TEST_F(FrameLoop, ASoftwareRendererIsLoggedOnceAndItsTextShownWhenPresent) {
  fs::current_path(dir_);
  auto* saved = show_driver_warning;
  show_driver_warning = record_box;
  boxes.clear();
  software_warned = false;

  check_software_renderer("Mesa Intel(R) UHD Graphics 620");
  EXPECT_FALSE(software_warned);
  { std::ofstream(dir_ / "opengldriver.txt") << ""; }
  check_software_renderer("llvmpipe (LLVM 15.0.6, 256 bits)");  // empty file: no box
  EXPECT_TRUE(boxes.empty());
  software_warned = false;
  { std::ofstream(dir_ / "opengldriver.txt") << std::string(3000, 'x'); }
  check_software_renderer("llvmpipe (LLVM 15.0.6, 256 bits)");
  check_software_renderer("softpipe");  // once per run
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "No OpenGL Hardware Drivers|" + std::string(2047, 'x'));
  EXPECT_EQ(read_file(dir_ / "ErrorLog.txt"),
            "*** OpenGL Software Emulation - update driver!\r\n"
            "*** OpenGL Software Emulation - update driver!\r\n");
  show_driver_warning = saved;
}

// ---- no window: a clear message, not a blind run ---------------------------------------------

TEST_F(FrameLoop, WithoutADisplayOrDriverTheProgramSaysWhyAndExitsWithAnError) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
        apply_project_settings();
        start_graphics_device();
      },
      ::testing::ExitedWithCode(1), "Snipvault cannot start: no display can be opened: ");
  EXPECT_NE(read_file(dir_ / "ErrorLog.txt").find("Snipvault cannot start: no display"),
            std::string::npos);

  EXPECT_EXIT(
      {
        setenv("SDL_VIDEO_GL_DRIVER", "/no/such/libGL.so.1", 1);
        setenv("SDL_OPENGL_LIBRARY", "/no/such/libGL.so.1", 1);
        setenv("SDL_VIDEO_EGL_DRIVER", "/no/such/libEGL.so.1", 1);
        if (!std::getenv("DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        apply_project_settings();
        start_graphics_device();
      },
      ::testing::ExitedWithCode(1), "Snipvault cannot start: cannot create the window: ");
}

// A frame drawn exactly like the one on screen is neither drawn nor
// presented; any difference, a texture it uses changing, or the window
// asking to be redrawn brings the drawing back.
TEST_F(FrameLoop, AnUnchangedFrameIsNotDrawnAgain) {
  open_window();
  auto_pause_switch(0);
  make_default_font(0);
  set_font(0);
  grab_sprite(30, 0, 0, 16, 16);
  auto frame = [](int dot_x) {
    clear_screen(0x102030);
    draw_rect(10, 10, 100, 20, 0x00FF00);
    print_text("Hello", 12, 40);
    draw_sprite(30, 200, 200);
    set_pixel(dot_x, 100, 0xFFFFFF);
  };
  auto drawn = [&](const std::function<void()>& between) {
    frame(50);
    between();
    uint64_t before = presented_frames();
    show_frame();
    return presented_frames() > before;
  };
  auto nothing = [] {};
  EXPECT_TRUE(drawn(nothing));
  EXPECT_TRUE(drawn(nothing));  // the previous frame was drawn after the grab
  EXPECT_FALSE(drawn(nothing));
  EXPECT_FALSE(drawn(nothing));
  // what is on screen is still that frame
  ASSERT_FALSE(window_device->presented_pixels.empty());
  const uint8_t* top_left = &window_device->presented_pixels[(size_t(319 - 15) * 480 + 15) * 4];
  EXPECT_EQ(top_left[1], 255);  // green, in BGRA

  frame(51);  // one pixel elsewhere
  uint64_t before = presented_frames();
  show_frame();
  EXPECT_GT(presented_frames(), before);
  EXPECT_TRUE(drawn(nothing));
  EXPECT_FALSE(drawn(nothing));
  EXPECT_TRUE(drawn([] { invalidate_presented_frame(); }));  // exposed, resized, re-scaled
  EXPECT_FALSE(drawn(nothing));
  EXPECT_TRUE(drawn([] { grab_sprite(30, 0, 0, 16, 16); }));  // a texture it uses changed
  EXPECT_TRUE(drawn(nothing));  // that frame showed the sprite as it was before the grab
  EXPECT_FALSE(drawn(nothing));
  // a frame read from in the middle still compares as a whole
  EXPECT_FALSE(drawn([] { EXPECT_EQ(get_pixel(20, 15), 0x00FF00); }));
}

}  // namespace
