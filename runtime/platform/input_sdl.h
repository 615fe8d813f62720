// input_sdl.h - what the input device needs from the desktop: the keyboard
// focus, the cursor, relative mouse mode, joysticks and the scan-code
// numbering. The implementation (input_sdl.cpp) is the only input file that
// sees SDL; it also turns the message pump's events into calls of the
// registered input sink.
#pragma once
#include <cstdint>
#include <string>

// One joystick reading in the classic 80-byte layout: six axes in
// -32768..32767, two sliders, four points of view in hundredths of degrees
// (-1 when centred) and 32 button bytes (bit 7 set = held).
struct JoyState {
  int32_t x, y, z, rx, ry, rz;
  int32_t slider[2];
  int32_t pov[4];
  uint8_t buttons[32];
};

// Registration point for the desktop's input events: the input device hands
// in its handlers at start-up (init_input) and every event the message pump
// takes reaches them, keys already as set-1 scan codes. Events arriving
// while a handler is unset are dropped.
struct PlatformInputSink {
  void (*key)(int32_t code, bool down, bool repeat) = nullptr;
  void (*text)(const char* utf8) = nullptr;
  void (*focus)(bool gained) = nullptr;
  void (*mouse_motion)(int32_t x, int32_t y, int32_t dx, int32_t dy) = nullptr;
  void (*mouse_button)(int32_t button, bool down) = nullptr;  // 0 left, 1 right, 2 middle
  void (*mouse_wheel)(int32_t steps) = nullptr;               // positive = away from the user
};
void platform_set_input_sink(const PlatformInputSink& sink);

// Hands one desktop event (an SDL_Event) to the sink; the message pump calls
// it for every event before the window procedure sees it.
void platform_input_event(const void* sdl_event);

// Starts the desktop's input layer (events and joysticks); false when it
// cannot be started.
bool platform_input_start(void* window);
void platform_input_stop();

bool platform_input_has_focus(void* window);
// Client size of the window in the units of mouse positions; false without one.
bool platform_window_client_size(void* window, int32_t* w, int32_t* h);
// The cursor position relative to the window's client area.
void platform_cursor_client_position(void* window, int32_t* x, int32_t* y);
void platform_warp_cursor(void* window, int32_t x, int32_t y);
// Hidden relative mouse (true) or the visible arrow cursor (false); false
// when the desktop refuses relative mode.
bool platform_set_relative_mouse(bool relative);
void platform_show_cursor(bool visible);

// An enlarged window's pixel position in frame pixels: divided by the
// scale, rounding down, and kept inside 0 .. frame_size - 1. Scale 1 leaves
// the position as it is.
int32_t frame_position(int32_t window_pixels, int32_t scale, int32_t frame_size);
// Relative motion in window pixels to frame pixels; what is left over is
// kept in `rest` for the next motion, so slow moves are not lost.
int32_t frame_motion(int32_t window_pixels, int32_t scale, int32_t& rest);

// Joysticks: opens up to `max` attached ones, returns how many.
int32_t platform_joystick_open_all(int32_t max);
std::string platform_joystick_name(int32_t index);  // UTF-8
bool platform_joystick_read(int32_t index, JoyState* state);
bool platform_joystick_has_rumble(int32_t index);
void platform_joystick_rumble(int32_t index, uint16_t strength, uint32_t ms);
void platform_joystick_close_all();

// The set-1 scan code (extended keys + 128) of the desktop's key number,
// 0 for keys without one.
int32_t scan_code_of_platform_key(int32_t platform_key);
