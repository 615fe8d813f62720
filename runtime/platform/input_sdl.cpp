// input_sdl.cpp - the input device's desktop side over SDL2: the message
// pump's events turned into key, text, focus and mouse calls of the input
// sink, the cursor and relative mouse mode, joysticks, and SDL's key
// numbering mapped to set-1 scan codes.
#include "runtime/platform/input_sdl.h"

#include <SDL2/SDL.h>

#include "runtime/platform/window_sdl.h"

namespace {

constexpr int kMaxJoysticks = 16;  // more than the input device asks for
PlatformInputSink sink;

bool started = false;
bool video_ours = false;       // this layer started the event side itself
bool joysticks_ours = false;
uint32_t window_id = 0;        // 0 = take events of any window
SDL_Joystick* joysticks[kMaxJoysticks] = {};
int32_t joystick_total = 0;

SDL_Window* as_window(void* w) { return static_cast<SDL_Window*>(w); }

int32_t motion_rest_x = 0, motion_rest_y = 0;  // sub-pixel motion of an enlarged window

int32_t floor_div(int32_t a, int32_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

bool ours(uint32_t id) { return window_id == 0 || id == 0 || id == window_id; }

// SDL's key numbers (USB usage codes) to set-1 make codes, + 128 for the
// keys that send the E0 prefix.
struct KeyPair {
  int16_t sdl;
  uint8_t scan;
};
constexpr KeyPair key_pairs[] = {
    {SDL_SCANCODE_ESCAPE, 1},        {SDL_SCANCODE_1, 2},
    {SDL_SCANCODE_2, 3},             {SDL_SCANCODE_3, 4},
    {SDL_SCANCODE_4, 5},             {SDL_SCANCODE_5, 6},
    {SDL_SCANCODE_6, 7},             {SDL_SCANCODE_7, 8},
    {SDL_SCANCODE_8, 9},             {SDL_SCANCODE_9, 10},
    {SDL_SCANCODE_0, 11},            {SDL_SCANCODE_MINUS, 12},
    {SDL_SCANCODE_EQUALS, 13},       {SDL_SCANCODE_BACKSPACE, 14},
    {SDL_SCANCODE_TAB, 15},          {SDL_SCANCODE_Q, 16},
    {SDL_SCANCODE_W, 17},            {SDL_SCANCODE_E, 18},
    {SDL_SCANCODE_R, 19},            {SDL_SCANCODE_T, 20},
    {SDL_SCANCODE_Y, 21},            {SDL_SCANCODE_U, 22},
    {SDL_SCANCODE_I, 23},            {SDL_SCANCODE_O, 24},
    {SDL_SCANCODE_P, 25},            {SDL_SCANCODE_LEFTBRACKET, 26},
    {SDL_SCANCODE_RIGHTBRACKET, 27}, {SDL_SCANCODE_RETURN, 28},
    {SDL_SCANCODE_LCTRL, 29},        {SDL_SCANCODE_A, 30},
    {SDL_SCANCODE_S, 31},            {SDL_SCANCODE_D, 32},
    {SDL_SCANCODE_F, 33},            {SDL_SCANCODE_G, 34},
    {SDL_SCANCODE_H, 35},            {SDL_SCANCODE_J, 36},
    {SDL_SCANCODE_K, 37},            {SDL_SCANCODE_L, 38},
    {SDL_SCANCODE_SEMICOLON, 39},    {SDL_SCANCODE_APOSTROPHE, 40},
    {SDL_SCANCODE_GRAVE, 41},        {SDL_SCANCODE_LSHIFT, 42},
    {SDL_SCANCODE_BACKSLASH, 43},    {SDL_SCANCODE_NONUSHASH, 43},
    {SDL_SCANCODE_Z, 44},            {SDL_SCANCODE_X, 45},
    {SDL_SCANCODE_C, 46},            {SDL_SCANCODE_V, 47},
    {SDL_SCANCODE_B, 48},            {SDL_SCANCODE_N, 49},
    {SDL_SCANCODE_M, 50},            {SDL_SCANCODE_COMMA, 51},
    {SDL_SCANCODE_PERIOD, 52},       {SDL_SCANCODE_SLASH, 53},
    {SDL_SCANCODE_RSHIFT, 54},       {SDL_SCANCODE_KP_MULTIPLY, 55},
    {SDL_SCANCODE_LALT, 56},         {SDL_SCANCODE_SPACE, 57},
    {SDL_SCANCODE_CAPSLOCK, 58},     {SDL_SCANCODE_F1, 59},
    {SDL_SCANCODE_F2, 60},           {SDL_SCANCODE_F3, 61},
    {SDL_SCANCODE_F4, 62},           {SDL_SCANCODE_F5, 63},
    {SDL_SCANCODE_F6, 64},           {SDL_SCANCODE_F7, 65},
    {SDL_SCANCODE_F8, 66},           {SDL_SCANCODE_F9, 67},
    {SDL_SCANCODE_F10, 68},          {SDL_SCANCODE_NUMLOCKCLEAR, 69},
    {SDL_SCANCODE_SCROLLLOCK, 70},   {SDL_SCANCODE_KP_7, 71},
    {SDL_SCANCODE_KP_8, 72},         {SDL_SCANCODE_KP_9, 73},
    {SDL_SCANCODE_KP_MINUS, 74},     {SDL_SCANCODE_KP_4, 75},
    {SDL_SCANCODE_KP_5, 76},         {SDL_SCANCODE_KP_6, 77},
    {SDL_SCANCODE_KP_PLUS, 78},      {SDL_SCANCODE_KP_1, 79},
    {SDL_SCANCODE_KP_2, 80},         {SDL_SCANCODE_KP_3, 81},
    {SDL_SCANCODE_KP_0, 82},         {SDL_SCANCODE_KP_PERIOD, 83},
    {SDL_SCANCODE_NONUSBACKSLASH, 86}, {SDL_SCANCODE_F11, 87},
    {SDL_SCANCODE_F12, 88},          {SDL_SCANCODE_F13, 100},
    {SDL_SCANCODE_F14, 101},         {SDL_SCANCODE_F15, 102},
    {SDL_SCANCODE_LANG3, 112},       {SDL_SCANCODE_INTERNATIONAL2, 112},
    {SDL_SCANCODE_INTERNATIONAL1, 115}, {SDL_SCANCODE_INTERNATIONAL4, 121},
    {SDL_SCANCODE_INTERNATIONAL5, 123}, {SDL_SCANCODE_INTERNATIONAL3, 125},
    {SDL_SCANCODE_KP_EQUALS, 141},   {SDL_SCANCODE_AUDIOPREV, 144},
    {SDL_SCANCODE_AUDIONEXT, 153},   {SDL_SCANCODE_KP_ENTER, 156},
    {SDL_SCANCODE_RCTRL, 157},       {SDL_SCANCODE_MUTE, 160},
    {SDL_SCANCODE_AUDIOMUTE, 160},   {SDL_SCANCODE_CALCULATOR, 161},
    {SDL_SCANCODE_AUDIOPLAY, 162},   {SDL_SCANCODE_AUDIOSTOP, 164},
    {SDL_SCANCODE_VOLUMEDOWN, 174},  {SDL_SCANCODE_VOLUMEUP, 176},
    {SDL_SCANCODE_AC_HOME, 178},     {SDL_SCANCODE_KP_COMMA, 179},
    {SDL_SCANCODE_KP_DIVIDE, 181},   {SDL_SCANCODE_PRINTSCREEN, 183},
    {SDL_SCANCODE_SYSREQ, 183},      {SDL_SCANCODE_RALT, 184},
    {SDL_SCANCODE_PAUSE, 197},       {SDL_SCANCODE_HOME, 199},
    {SDL_SCANCODE_UP, 200},          {SDL_SCANCODE_PAGEUP, 201},
    {SDL_SCANCODE_LEFT, 203},        {SDL_SCANCODE_RIGHT, 205},
    {SDL_SCANCODE_END, 207},         {SDL_SCANCODE_DOWN, 208},
    {SDL_SCANCODE_PAGEDOWN, 209},    {SDL_SCANCODE_INSERT, 210},
    {SDL_SCANCODE_DELETE, 211},      {SDL_SCANCODE_LGUI, 219},
    {SDL_SCANCODE_RGUI, 220},        {SDL_SCANCODE_APPLICATION, 221},
    {SDL_SCANCODE_MENU, 221},        {SDL_SCANCODE_POWER, 222},
    {SDL_SCANCODE_SLEEP, 223},       {SDL_SCANCODE_AC_SEARCH, 229},
    {SDL_SCANCODE_AC_BOOKMARKS, 230}, {SDL_SCANCODE_AC_REFRESH, 231},
    {SDL_SCANCODE_AC_STOP, 232},     {SDL_SCANCODE_AC_FORWARD, 233},
    {SDL_SCANCODE_AC_BACK, 234},     {SDL_SCANCODE_COMPUTER, 235},
    {SDL_SCANCODE_MAIL, 236},        {SDL_SCANCODE_MEDIASELECT, 237},
};

struct KeyTable {
  uint8_t scan[SDL_NUM_SCANCODES] = {};
  constexpr KeyTable() {
    for (const KeyPair& p : key_pairs) scan[p.sdl] = p.scan;
  }
};
constexpr KeyTable key_table;

int32_t hat_to_pov(Uint8 hat) {
  switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return -1;
  }
}

}  // namespace

int32_t scan_code_of_platform_key(int32_t platform_key) {
  if (platform_key < 0 || platform_key >= SDL_NUM_SCANCODES) return 0;
  return key_table.scan[platform_key];
}

void platform_set_input_sink(const PlatformInputSink& s) { sink = s; }

void platform_input_event(const void* sdl_event) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(sdl_event);
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (!ours(e.key.windowID)) return;
      if (sink.key)
        sink.key(scan_code_of_platform_key(e.key.keysym.scancode), e.type == SDL_KEYDOWN,
                   e.key.repeat != 0);
      return;
    case SDL_TEXTINPUT:
      if (!ours(e.text.windowID)) return;
      if (sink.text) sink.text(e.text.text);
      return;
    case SDL_WINDOWEVENT:
      if (!ours(e.window.windowID)) return;
      if (!sink.focus) return;
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) sink.focus(true);
      if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) sink.focus(false);
      return;
    case SDL_MOUSEMOTION: {
      if (!ours(e.motion.windowID) || e.motion.which == SDL_TOUCH_MOUSEID) return;
      if (!sink.mouse_motion) return;
      SDL_Window* w = SDL_GetWindowFromID(e.motion.windowID);
      int32_t scale = platform_window_scale(w);
      if (scale <= 1) {
        sink.mouse_motion(e.motion.x, e.motion.y, e.motion.xrel, e.motion.yrel);
        return;
      }
      int ww = 0, wh = 0;
      SDL_GetWindowSize(w, &ww, &wh);
      sink.mouse_motion(frame_position(e.motion.x, scale, ww / scale),
                        frame_position(e.motion.y, scale, wh / scale),
                        frame_motion(e.motion.xrel, scale, motion_rest_x),
                        frame_motion(e.motion.yrel, scale, motion_rest_y));
      return;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (!ours(e.button.windowID) || e.button.which == SDL_TOUCH_MOUSEID) return;
      int b = e.button.button == SDL_BUTTON_LEFT     ? 0
              : e.button.button == SDL_BUTTON_RIGHT  ? 1
              : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                     : -1;
      if (sink.mouse_button) sink.mouse_button(b, e.type == SDL_MOUSEBUTTONDOWN);
      return;
    }
    case SDL_MOUSEWHEEL: {
      if (!ours(e.wheel.windowID) || e.wheel.which == SDL_TOUCH_MOUSEID) return;
      int32_t y = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
      if (y && sink.mouse_wheel) sink.mouse_wheel(y);
      return;
    }
    default:
      return;
  }
}

bool platform_input_start(void* window) {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) {
    if (SDL_InitSubSystem(SDL_INIT_EVENTS) != 0) return false;
    video_ours = true;
  }
  // joysticks start with the first platform_joystick_open_all
  window_id = window ? SDL_GetWindowID(as_window(window)) : 0;
  // typed characters come from the desktop's text input
  SDL_StartTextInput();
  started = true;
  return true;
}

void platform_input_stop() {
  if (!started) return;
  platform_joystick_close_all();
  if (joysticks_ours) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  if (video_ours) SDL_QuitSubSystem(SDL_INIT_EVENTS);
  joysticks_ours = video_ours = false;
  window_id = 0;
  started = false;
}

bool platform_input_has_focus(void* window) {
  if (!window) return SDL_WasInit(SDL_INIT_EVENTS) != 0;
  return SDL_GetKeyboardFocus() == as_window(window);
}

bool platform_window_client_size(void* window, int32_t* w, int32_t* h) {
  if (!window) return false;
  int ww = 0, hh = 0;
  SDL_GetWindowSize(as_window(window), &ww, &hh);
  if (ww <= 0 || hh <= 0) return false;
  int32_t scale = platform_window_scale(window);
  *w = ww / scale;
  *h = hh / scale;
  return true;
}

int32_t frame_position(int32_t window_pixels, int32_t scale, int32_t frame_size) {
  if (scale <= 1) return window_pixels;
  int32_t p = floor_div(window_pixels, scale);
  return p < 0 ? 0 : p >= frame_size ? (frame_size > 0 ? frame_size - 1 : 0) : p;
}

int32_t frame_motion(int32_t window_pixels, int32_t scale, int32_t& rest) {
  if (scale <= 1) return window_pixels;
  int32_t total = window_pixels + rest;
  int32_t frame = floor_div(total, scale);
  rest = total - frame * scale;
  return frame;
}

void platform_cursor_client_position(void* window, int32_t* x, int32_t* y) {
  if (!window || !SDL_WasInit(SDL_INIT_VIDEO)) return;
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  SDL_GetWindowPosition(as_window(window), &wx, &wy);
  int32_t scale = platform_window_scale(window);
  if (scale <= 1) {
    *x = gx - wx;
    *y = gy - wy;
    return;
  }
  int ww = 0, wh = 0;
  SDL_GetWindowSize(as_window(window), &ww, &wh);
  *x = frame_position(gx - wx, scale, ww / scale);
  *y = frame_position(gy - wy, scale, wh / scale);
}

void platform_warp_cursor(void* window, int32_t x, int32_t y) {
  if (!window || !SDL_WasInit(SDL_INIT_VIDEO)) return;
  int32_t scale = platform_window_scale(window);
  SDL_WarpMouseInWindow(as_window(window), x * scale, y * scale);
}

bool platform_set_relative_mouse(bool relative) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  return SDL_SetRelativeMouseMode(relative ? SDL_TRUE : SDL_FALSE) == 0;
}

void platform_show_cursor(bool visible) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (visible) {
    static SDL_Cursor* arrow = nullptr;
    if (!arrow) arrow = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
    if (arrow) SDL_SetCursor(arrow);
  }
  SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

// ---- joysticks ---------------------------------------------------------------

int32_t platform_joystick_open_all(int32_t max) {
  platform_joystick_close_all();
  // started here rather than with the input: it takes milliseconds a
  // program that never asks for joysticks should not spend at start-up
  if (!SDL_WasInit(SDL_INIT_JOYSTICK)) {
    if (!started || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
    joysticks_ours = true;
  }
  int n = SDL_NumJoysticks();
  for (int i = 0; i < n && joystick_total < max && joystick_total < kMaxJoysticks; i++) {
    SDL_Joystick* j = SDL_JoystickOpen(i);
    if (j) joysticks[joystick_total++] = j;
  }
  return joystick_total;
}

std::string platform_joystick_name(int32_t index) {
  if (index < 0 || index >= joystick_total) return std::string();
  const char* n = SDL_JoystickName(joysticks[index]);
  return n ? n : "";
}

bool platform_joystick_read(int32_t index, JoyState* s) {
  if (index < 0 || index >= joystick_total || !joysticks[index]) return false;
  SDL_Joystick* j = joysticks[index];
  if (!SDL_JoystickGetAttached(j)) return false;
  SDL_JoystickUpdate();
  *s = JoyState{};
  int32_t* axes[8] = {&s->x, &s->y, &s->z, &s->rx, &s->ry, &s->rz, &s->slider[0], &s->slider[1]};
  int na = SDL_JoystickNumAxes(j);
  for (int a = 0; a < 8 && a < na; a++) *axes[a] = SDL_JoystickGetAxis(j, a);
  int nh = SDL_JoystickNumHats(j);
  for (int h = 0; h < 4; h++) s->pov[h] = h < nh ? hat_to_pov(SDL_JoystickGetHat(j, h)) : -1;
  int nb = SDL_JoystickNumButtons(j);
  for (int b = 0; b < 32 && b < nb; b++) s->buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
  return true;
}

bool platform_joystick_has_rumble(int32_t index) {
  if (index < 0 || index >= joystick_total || !joysticks[index]) return false;
  return SDL_JoystickHasRumble(joysticks[index]) == SDL_TRUE;
}

void platform_joystick_rumble(int32_t index, uint16_t strength, uint32_t ms) {
  if (index < 0 || index >= joystick_total || !joysticks[index]) return;
  SDL_JoystickRumble(joysticks[index], 0, 0, 0);  // stop what runs, as a reset
  SDL_JoystickRumble(joysticks[index], strength, strength, ms);
}

void platform_joystick_close_all() {
  for (int i = 0; i < joystick_total; i++) {
    if (joysticks[i]) SDL_JoystickClose(joysticks[i]);
    joysticks[i] = nullptr;
  }
  joystick_total = 0;
}
