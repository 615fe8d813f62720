// input_sdl.h - what the input device needs from the desktop: the keyboard
// focus, the cursor, relative mouse mode, joysticks and the scan-code
// numbering. The implementation (input_sdl.cpp) is the only input file that
// sees SDL; it also turns the message pump's events into input_on_* calls.
#pragma once
#include <cstdint>
#include <string>

struct JoyState;

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
