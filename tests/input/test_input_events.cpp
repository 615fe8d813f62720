// Input device fed through SDL's event queue: events are pushed with
// SDL_PushEvent, taken off the queue as the message pump does and handed to
// platform_input_event; the program-side reads are then checked. SDL runs
// with its dummy video driver, so no display is needed.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "runtime/input/input.h"
#include "runtime/platform/input_sdl.h"

namespace {

class InputEvents : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
  }
  static void TearDownTestSuite() { SDL_Quit(); }

  void SetUp() override {
    // 320 wide, 480 high: a portrait screen
    window = SDL_CreateWindow("input", 0, 0, 320, 480, SDL_WINDOW_HIDDEN);
    ASSERT_NE(window, nullptr) << SDL_GetError();
    input_device = InputDevice{};
    init_input(window, nullptr, false);
    pump();
    focus(true);
    typed_key();  // clear the typed-key memory left by earlier tests
  }
  void TearDown() override {
    pump();
    shutdown_input();
    SDL_DestroyWindow(window);
  }

  // Takes every waiting event and hands it to the input layer, as the
  // window's message pump does.
  void pump() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) platform_input_event(&e);
  }
  void push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

  void key(SDL_Scancode sc, bool down, const char* text = nullptr, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(window);
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = sc;
    push(e);
    if (text) {
      SDL_Event t{};
      t.type = SDL_TEXTINPUT;
      t.text.windowID = SDL_GetWindowID(window);
      SDL_strlcpy(t.text.text, text, sizeof t.text.text);
      push(t);
    }
    pump();
  }
  void focus(bool gained) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.windowID = SDL_GetWindowID(window);
    e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    push(e);
    pump();
  }
  void motion(int x, int y, int dx, int dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.windowID = SDL_GetWindowID(window);
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    push(e);
    pump();
  }
  void wheel(int y, bool flipped = false) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.windowID = SDL_GetWindowID(window);
    e.wheel.y = y;
    e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
    push(e);
    pump();
  }
  void button(int b, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    e.button.windowID = SDL_GetWindowID(window);
    e.button.button = Uint8(b);
    e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    push(e);
    pump();
  }
  // Frame starts until every released key reads as released: a press that
  // no frame start saw stays held for one more.
  void settle() {
    input_frame_start();
    input_frame_start();
  }
  std::string typed() {
    TvString t = typed_key();
    return std::string(t.data, t.length);
  }

  SDL_Window* window = nullptr;
};

TEST_F(InputEvents, DesktopKeysArriveAsSetOneScanCodes) {
  struct Case {
    SDL_Scancode sdl;
    int code;
  };
  const Case cases[] = {
      {SDL_SCANCODE_ESCAPE, 1},    {SDL_SCANCODE_1, 2},       {SDL_SCANCODE_0, 11},
      {SDL_SCANCODE_BACKSPACE, 14}, {SDL_SCANCODE_TAB, 15},   {SDL_SCANCODE_RETURN, 28},
      {SDL_SCANCODE_LCTRL, 29},    {SDL_SCANCODE_A, 30},      {SDL_SCANCODE_S, 31},
      {SDL_SCANCODE_Y, 21},        {SDL_SCANCODE_Z, 44},      {SDL_SCANCODE_LSHIFT, 42},
      {SDL_SCANCODE_RSHIFT, 54},   {SDL_SCANCODE_LALT, 56},   {SDL_SCANCODE_SPACE, 57},
      {SDL_SCANCODE_CAPSLOCK, 58}, {SDL_SCANCODE_F1, 59},     {SDL_SCANCODE_F4, 62},
      {SDL_SCANCODE_F10, 68},      {SDL_SCANCODE_F11, 87},    {SDL_SCANCODE_F12, 88},
      {SDL_SCANCODE_KP_ENTER, 156}, {SDL_SCANCODE_RCTRL, 157}, {SDL_SCANCODE_RALT, 184},
      {SDL_SCANCODE_HOME, 199},    {SDL_SCANCODE_UP, 200},    {SDL_SCANCODE_PAGEUP, 201},
      {SDL_SCANCODE_LEFT, 203},    {SDL_SCANCODE_RIGHT, 205}, {SDL_SCANCODE_END, 207},
      {SDL_SCANCODE_DOWN, 208},    {SDL_SCANCODE_PAGEDOWN, 209}, {SDL_SCANCODE_INSERT, 210},
      {SDL_SCANCODE_DELETE, 211},  {SDL_SCANCODE_LGUI, 219},  {SDL_SCANCODE_RGUI, 220},
      {SDL_SCANCODE_APPLICATION, 221}, {SDL_SCANCODE_KP_DIVIDE, 181},
      {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_C, 46}, {SDL_SCANCODE_V, 47},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    key(c.sdl, true);
    EXPECT_EQ(key_state(c.code), 1);
    key(c.sdl, false);
    settle();
    EXPECT_EQ(key_state(c.code), 0);
  }
  // every key has a code of its own, apart from the few that share a key cap
  int seen[256] = {};
  for (int sc = 0; sc < SDL_NUM_SCANCODES; sc++) seen[scan_code_of_platform_key(sc)]++;
  for (int code = 1; code < 256; code++) {
    if (code == 43 || code == 112 || code == 160 || code == 183 || code == 221) continue;
    EXPECT_LE(seen[code], 1) << "code " << code;
  }
  EXPECT_EQ(scan_code_of_platform_key(SDL_SCANCODE_UNKNOWN), 0);
  EXPECT_EQ(scan_code_of_platform_key(-1), 0);
  EXPECT_EQ(scan_code_of_platform_key(SDL_NUM_SCANCODES), 0);
}

TEST_F(InputEvents, KeyStateWrapsCodesAt256) {
  key(SDL_SCANCODE_Z, true);
  EXPECT_EQ(key_state(300), 1);  // 300 mod 256 = 44, the Z key
  EXPECT_EQ(key_state(44), 1);
  EXPECT_EQ(key_state(45), 0);
}

TEST_F(InputEvents, HeldKeyTypesOnceUntilReleased) {
  key(SDL_SCANCODE_A, true, "a");
  EXPECT_EQ(typed(), "a");
  for (int frame = 0; frame < 5; frame++) {
    settle();
    EXPECT_EQ(typed(), "") << "frame " << frame;
  }
  // the desktop's auto-repeat does not type again
  key(SDL_SCANCODE_A, true, "a", true);
  EXPECT_EQ(typed(), "");
  key(SDL_SCANCODE_A, false);
  settle();
  EXPECT_EQ(typed(), "");
  key(SDL_SCANCODE_A, true, "a");
  EXPECT_EQ(typed(), "a");
}

TEST_F(InputEvents, ShiftGivesCapitalsButAddingItLaterTypesNothing) {
  key(SDL_SCANCODE_LSHIFT, true);
  key(SDL_SCANCODE_A, true, "A");
  EXPECT_EQ(typed(), "A");
  key(SDL_SCANCODE_A, false);
  key(SDL_SCANCODE_LSHIFT, false);
  settle();
  EXPECT_EQ(typed(), "");

  key(SDL_SCANCODE_A, true, "a");
  EXPECT_EQ(typed(), "a");
  key(SDL_SCANCODE_RSHIFT, true);
  EXPECT_EQ(typed(), "");  // still the same press of "a"
}

TEST_F(InputEvents, CapsLockCapitalsComeFromTheDesktopsText) {
  key(SDL_SCANCODE_CAPSLOCK, true);
  key(SDL_SCANCODE_CAPSLOCK, false);
  key(SDL_SCANCODE_B, true, "B");
  EXPECT_EQ(typed(), "B");
}

TEST_F(InputEvents, OverlappingAndQuickPressesTypeEveryCharacterInOrder) {
  // "s" still held while "a" goes down: both type, in the order pressed
  key(SDL_SCANCODE_S, true, "s");
  key(SDL_SCANCODE_A, true, "a");
  key(SDL_SCANCODE_S, false);
  key(SDL_SCANCODE_A, false);
  // a word typed within one frame, the same letter twice among it
  const char* word = "hello";
  for (const char* p = word; *p; p++) {
    SDL_Scancode sc = SDL_Scancode(SDL_SCANCODE_A + (*p - 'a'));
    char text[2] = {*p, 0};
    key(sc, true, text);
    key(sc, false);
  }
  std::string got;
  for (std::string t = typed(); !t.empty(); t = typed()) got += t;
  EXPECT_EQ(got, "sahello");
  settle();
  EXPECT_EQ(typed(), "");

  // Shift let go just before the next key does not make it a capital,
  // even though its release takes effect only at a later frame start
  key(SDL_SCANCODE_LSHIFT, true);
  key(SDL_SCANCODE_A, true, "a");
  key(SDL_SCANCODE_A, false);
  key(SDL_SCANCODE_LSHIFT, false);
  key(SDL_SCANCODE_B, true, "b");
  EXPECT_EQ(typed(), "A");
  EXPECT_EQ(typed(), "b");
}

TEST_F(InputEvents, CharactersWaitForAReaderButNotForNobody) {
  // read one a frame: the backlog waits
  key(SDL_SCANCODE_A, true, "a");
  key(SDL_SCANCODE_B, true, "b");
  key(SDL_SCANCODE_C, true, "c");
  for (const char* want : {"a", "b", "c"}) {
    input_frame_start();
    EXPECT_EQ(typed(), want);
  }
  // a frame in which nobody asked: what was typed before it is gone
  key(SDL_SCANCODE_D, true, "d");
  input_frame_start();  // typed during the frame just ended: may still be read
  key(SDL_SCANCODE_E, true, "e");
  input_frame_start();
  EXPECT_EQ(typed(), "e");
  EXPECT_EQ(typed(), "");
}

TEST_F(InputEvents, UnreadCharactersKeepTheNewestWhenTheQueueIsFull) {
  for (int i = 0; i < INPUT_TYPED_MAX + 3; i++) {
    SDL_Scancode sc = i % 2 ? SDL_SCANCODE_B : SDL_SCANCODE_A;
    key(sc, true, i % 2 ? "b" : "a");
    key(sc, false);
  }
  EXPECT_EQ(input_device.typed_count, INPUT_TYPED_MAX);
  EXPECT_EQ(typed(), "b");  // the three oldest ("a", "b", "a") made room
}

TEST_F(InputEvents, EnterBackspaceTabEscapeAndControl) {
  key(SDL_SCANCODE_RETURN, true);
  EXPECT_EQ(typed(), "\n");
  key(SDL_SCANCODE_RETURN, false);
  settle();
  typed();
  key(SDL_SCANCODE_KP_ENTER, true);
  EXPECT_EQ(typed(), "\n");
  key(SDL_SCANCODE_KP_ENTER, false);
  settle();
  typed();
  key(SDL_SCANCODE_BACKSPACE, true);
  EXPECT_EQ(typed(), "\b");
  key(SDL_SCANCODE_BACKSPACE, false);
  settle();
  EXPECT_EQ(typed(), "");

  key(SDL_SCANCODE_TAB, true, "\t");
  EXPECT_EQ(typed(), "");
  key(SDL_SCANCODE_TAB, false);
  key(SDL_SCANCODE_ESCAPE, true, "\x1b");
  EXPECT_EQ(typed(), "");
  key(SDL_SCANCODE_ESCAPE, false);
  // a control character from the desktop (Ctrl+C) never types
  key(SDL_SCANCODE_LCTRL, true);
  key(SDL_SCANCODE_C, true, "\x03");
  EXPECT_EQ(typed(), "");
  EXPECT_EQ(key_state(29), 1);
  EXPECT_EQ(key_state(46), 1);
}

TEST_F(InputEvents, TextBecomesLatin1) {
  key(SDL_SCANCODE_SEMICOLON, true, "\xc3\xb6");  // o with diaeresis on a German keyboard
  EXPECT_EQ(typed(), "\xf6");
  key(SDL_SCANCODE_SEMICOLON, false);
  settle();
  typed();
  key(SDL_SCANCODE_MINUS, true, "\xc3\x9f");  // sharp s
  EXPECT_EQ(typed(), "\xdf");
  key(SDL_SCANCODE_MINUS, false);
  settle();
  typed();
  // the euro sign has no Latin-1 byte: it types "?"
  key(SDL_SCANCODE_E, true, "\xe2\x82\xac");
  EXPECT_EQ(typed(), "?");
  EXPECT_EQ(key_state(18), 1);
  key(SDL_SCANCODE_E, false);
  settle();
  typed();
  // AltGr+Q gives "@" on a German keyboard; right Alt itself types nothing
  key(SDL_SCANCODE_RALT, true);
  key(SDL_SCANCODE_Q, true, "@");
  EXPECT_EQ(typed(), "@");
}

TEST_F(InputEvents, DeadKeyComposesWithTheNextPress) {
  key(SDL_SCANCODE_GRAVE, true);  // dead circumflex: no text yet
  EXPECT_EQ(typed(), "");
  key(SDL_SCANCODE_GRAVE, false);
  settle();
  key(SDL_SCANCODE_E, true, "\xc3\xaa");
  EXPECT_EQ(typed(), "\xea");
}

TEST_F(InputEvents, KeysWithoutTextTypeNothing) {
  key(SDL_SCANCODE_LEFT, true);
  EXPECT_EQ(typed(), "");
  EXPECT_EQ(key_state(203), 1);
  // a fresh press without text does not reuse the key's earlier character
  key(SDL_SCANCODE_LEFT, false);
  key(SDL_SCANCODE_X, true, "x");
  EXPECT_EQ(typed(), "x");
  key(SDL_SCANCODE_X, false);
  settle();
  typed();
  key(SDL_SCANCODE_X, true);
  EXPECT_EQ(typed(), "");
}

TEST_F(InputEvents, DesktopTextTypesEveryCharacterOnce) {
  // a key without a scan code of ours (xdotool's spare key) still types,
  // and its text does not land on the last known key
  key(SDL_SCANCODE_W, true, "w");
  key(SDL_SCANCODE_F24, true, "\xc2\xa7");
  EXPECT_EQ(typed(), "w");
  EXPECT_EQ(typed(), "\xa7");
  EXPECT_EQ(key_character(17), 'w');
  // an input method's commit: several characters in one text, outside
  // Latin-1 as "?", broken bytes as one "?" each, control characters dropped
  SDL_Event t{};
  t.type = SDL_TEXTINPUT;
  t.text.windowID = SDL_GetWindowID(window);
  SDL_strlcpy(t.text.text, "Gr\xc3\xb6\xc3\x9f" "e \xe2\x82\xac\x80\r\x7f!", sizeof t.text.text);
  push(t);
  pump();
  std::string got;
  for (std::string c = typed(); !c.empty(); c = typed()) got += c;
  EXPECT_EQ(got, "Gr\xf6\xdf" "e ?" "?!");
  // a held key's repeated text types nothing, even from a key we do not know
  key(SDL_SCANCODE_F24, true, "\xc2\xa7", true);
  EXPECT_EQ(typed(), "");
}

TEST_F(InputEvents, ReleasesTakeEffectAtTheSecondFrameStart) {
  // a tap within one frame: the program's reads and the next frame's own
  // key checks (Escape, Alt+F4) both see it
  key(SDL_SCANCODE_K, true, "k");
  key(SDL_SCANCODE_K, false);
  EXPECT_EQ(key_state(37), 1);
  EXPECT_EQ(typed(), "k");
  input_frame_start();
  EXPECT_EQ(key_state(37), 1);
  EXPECT_EQ(typed(), "");
  input_frame_start();
  EXPECT_EQ(key_state(37), 0);

  // a quick chord whose first key was pressed a frame earlier: both keys
  // still read as held together after they were let go
  key(SDL_SCANCODE_LALT, true);
  input_frame_start();
  key(SDL_SCANCODE_F4, true);
  key(SDL_SCANCODE_F4, false);
  key(SDL_SCANCODE_LALT, false);
  input_frame_start();
  EXPECT_EQ(key_state(56), 1);
  EXPECT_EQ(key_state(62), 1);
  input_frame_start();
  EXPECT_EQ(key_state(56) + key_state(62), 0);

  // pressed again before the release took effect: one long press
  key(SDL_SCANCODE_J, true, "j");
  key(SDL_SCANCODE_J, false);
  key(SDL_SCANCODE_J, true, "j");
  settle();
  EXPECT_EQ(key_state(36), 1);
}

TEST_F(InputEvents, FocusLossForgetsKeysAndReadsWaitForTheFocus) {
  key(SDL_SCANCODE_A, true, "a");
  EXPECT_EQ(key_state(30), 1);
  focus(false);
  EXPECT_EQ(key_state(30), 0);
  key(SDL_SCANCODE_A, false);
  // the desktop announces the focus after the first keys: they are read
  // once the focus is there
  key(SDL_SCANCODE_B, true, "b");
  EXPECT_EQ(key_state(48), 0);
  EXPECT_EQ(typed(), "");
  focus(true);
  EXPECT_EQ(key_state(48), 1);
  EXPECT_EQ(key_state(30), 0);
  EXPECT_EQ(typed(), "a");  // typed before the focus went: not lost
  EXPECT_EQ(typed(), "b");
  input_forget_keys();  // what a debugger break does
  EXPECT_EQ(key_state(48), 0);
}

TEST_F(InputEvents, EventsOfOtherWindowsAreIgnored) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.windowID = SDL_GetWindowID(window) + 100;
  e.key.keysym.scancode = SDL_SCANCODE_A;
  push(e);
  pump();
  EXPECT_EQ(key_state(30), 0);
}

TEST_F(InputEvents, VisibleCursorPositionMotionAndClamping) {
  motion(50, 60, 0, 0);
  input_frame_start();
  MouseReading m = mouse_state();
  EXPECT_EQ(m.x, 50);
  EXPECT_EQ(m.y, 60);
  motion(55, 58, 5, -2);
  input_frame_start();
  EXPECT_EQ(mouse_axis(0), 5);
  motion(90, 90, 35, 32);  // later motion in the same frame is not seen yet
  EXPECT_EQ(mouse_axis(0), 5);
  EXPECT_EQ(mouse_axis(1), -2);
  EXPECT_EQ(mouse_state().x, 55);

  set_mouse(-5, 900);
  m = mouse_state();
  EXPECT_EQ(m.x, 0);
  EXPECT_EQ(m.y, 479);
  EXPECT_EQ(input_device.mouse_x, 0);  // written back
  EXPECT_EQ(input_device.mouse_y, 479);
  // mouse_axis does not clamp
  set_mouse(-5, 900);
  mouse_axis(0);
  EXPECT_EQ(input_device.mouse_x, -5);
}

TEST_F(InputEvents, WheelIsASignPerFrame) {
  wheel(3);
  wheel(2);
  input_frame_start();
  EXPECT_EQ(mouse_axis(2), 1);
  EXPECT_EQ(mouse_axis(2), 1);
  input_frame_start();
  EXPECT_EQ(mouse_axis(2), 0);
  wheel(-1);
  input_frame_start();
  EXPECT_EQ(mouse_axis(2), -1);
  wheel(1, true);  // natural scrolling reports the opposite direction
  input_frame_start();
  EXPECT_EQ(mouse_axis(2), -1);
  wheel(2);
  wheel(-2);
  input_frame_start();
  EXPECT_EQ(mouse_axis(2), 0);
}

TEST_F(InputEvents, ButtonsAreCurrentOnEveryRead) {
  button(SDL_BUTTON_LEFT, true);
  EXPECT_EQ(mouse_state().left, 1);
  EXPECT_EQ(mouse_axis(3), 1);
  button(SDL_BUTTON_RIGHT, true);
  button(SDL_BUTTON_MIDDLE, true);
  EXPECT_EQ(mouse_state().right, 1);
  EXPECT_EQ(mouse_axis(5), 1);
  button(SDL_BUTTON_LEFT, false);
  EXPECT_EQ(mouse_axis(3), 0);  // no new frame needed
  EXPECT_EQ(mouse_axis(4), 1);
  EXPECT_EQ(mouse_axis(6), 0);
  EXPECT_EQ(mouse_axis(-1), 0);
}

TEST_F(InputEvents, AClickQuickerThanAFrameIsReadPressedOnce) {
  // press and release pumped together, before any read: the frame reads
  // the press, the next frame the release
  button(SDL_BUTTON_LEFT, true);
  button(SDL_BUTTON_LEFT, false);
  EXPECT_EQ(mouse_state().left, 1);
  EXPECT_EQ(mouse_state().left, 1);
  input_frame_start();
  EXPECT_EQ(mouse_state().left, 0);

  // a frame start that came before any read keeps it one frame more
  button(SDL_BUTTON_RIGHT, true);
  button(SDL_BUTTON_RIGHT, false);
  input_frame_start();
  EXPECT_EQ(mouse_axis(4), 1);
  input_frame_start();
  EXPECT_EQ(mouse_axis(4), 0);

  // a program waiting without frames (wait_mouse) is woken by the release
  button(SDL_BUTTON_LEFT, true);
  button(SDL_BUTTON_LEFT, false);
  EXPECT_EQ(mouse_axis(3), 1);
  auto t0 = std::chrono::steady_clock::now();
  wait_input();
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(20));
  EXPECT_EQ(mouse_axis(3), 0);
}

TEST_F(InputEvents, HiddenMouseIntegratesRelativeMotion) {
  set_mouse(100, 100);
  show_mouse(0);
  EXPECT_FALSE(input_device.cursor_visible);
  motion(10, 10, 7, -3);  // the absolute part means nothing while hidden
  motion(10, 10, 1, -1);
  input_frame_start();
  EXPECT_EQ(mouse_axis(0), 8);
  EXPECT_EQ(mouse_axis(1), -4);
  MouseReading m = mouse_state();
  EXPECT_EQ(m.x, 108);
  EXPECT_EQ(m.y, 96);
  input_frame_start();
  EXPECT_EQ(mouse_axis(0), 0);

  // shown again: absolute from the cursor, which starts at the program's position
  show_mouse(1);
  EXPECT_TRUE(input_device.cursor_visible);
  input_frame_start();
  EXPECT_EQ(mouse_axis(0), 0);
  EXPECT_EQ(mouse_state().x, 108);
}

TEST_F(InputEvents, WaitInputIdlesAtMostFifteenShortSleeps) {
  auto ms = [](auto f) {
    auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  };
  double idle = ms([] { wait_input(); });
  EXPECT_GE(idle, 70);
  EXPECT_LT(idle, 1000);
  key(SDL_SCANCODE_SPACE, true, " ");
  EXPECT_LT(ms([] { wait_input(); }), 20);  // a held key is input at once
  key(SDL_SCANCODE_SPACE, false);
  settle();
  // a wheel turn is input as well, and the program still reads it afterwards
  wheel(1);
  input_frame_start();
  EXPECT_LT(ms([] { wait_input(); }), 20);
  EXPECT_EQ(mouse_axis(2), 1);
}

TEST(InputText, Latin1OfUtf8) {
  EXPECT_EQ(latin1_of_utf8("a"), 'a');
  EXPECT_EQ(latin1_of_utf8("\xc3\xa9"), 0xe9);
  EXPECT_EQ(latin1_of_utf8("\xc2\xa0"), 0xa0);
  EXPECT_EQ(latin1_of_utf8("\xc3\xbf"), 0xff);
  EXPECT_EQ(latin1_of_utf8("\xc4\x80"), 0);    // first code point past Latin-1
  EXPECT_EQ(latin1_of_utf8("\xf0\x9f\x98\x80"), 0);
  EXPECT_EQ(latin1_of_utf8("^x"), 'x');        // dead key that did not combine
  EXPECT_EQ(latin1_of_utf8(""), 0);
  EXPECT_EQ(latin1_of_utf8(nullptr), 0);
  EXPECT_EQ(latin1_of_utf8("\xc3"), 0);        // cut short
  EXPECT_EQ(latin1_of_utf8("\xc1\x81"), 0);    // overlong "A"
  EXPECT_EQ(latin1_of_utf8("\xe9"), 0);        // Latin-1 byte that is not UTF-8
}

TEST(InputJoystick, ValueArithmetic) {
  EXPECT_EQ(joy_axis_value(-32768), -1.0);
  EXPECT_EQ(joy_axis_value(32767), 1.0);
  EXPECT_DOUBLE_EQ(joy_axis_value(16384), 16384.0 / 32767.0);
  EXPECT_EQ(joy_step_value(29999), 0);
  EXPECT_EQ(joy_step_value(30000), 1);
  EXPECT_EQ(joy_step_value(-30000), -1);
  EXPECT_EQ(joy_step_value(-29999), 0);
  const int povs[] = {-1, 0, 4500, 9000, 13500, 18000, 22500, 27000, 31500};
  const int xs[] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
  const int ys[] = {0, -1, -1, 0, 1, 1, 1, 0, -1};
  for (int i = 0; i < 9; i++) {
    EXPECT_EQ(joy_pov_value(povs[i], 0), xs[i]) << povs[i];
    EXPECT_EQ(joy_pov_value(povs[i], 1), ys[i]) << povs[i];
    EXPECT_EQ(joy_pov_value(povs[i], 2), 0);
  }
}

TEST(InputJoystick, MissingJoysticksReadAsZero) {
  InputDevice saved = input_device;
  input_device.joy_count = 0;
  EXPECT_EQ(joy_count(), 0);
  EXPECT_TRUE(joy_name(0).empty());
  EXPECT_TRUE(joy_name(-1).empty());
  EXPECT_EQ(joy_axis(0, 0), 0);
  EXPECT_EQ(joy_pov(3, 0), 0);
  EXPECT_EQ(joy_button(0, 40), 0);
  JoyStep s = joy_state();
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(s.button0, 0);
  joy_rumble(0, 100, 1, 1);  // nothing happens
  input_device = saved;
}

}  // namespace
