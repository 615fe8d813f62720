// input.h - the input device: keyboard by PC scan code, the typed
// character, the mouse (visible absolute cursor or hidden relative device)
// and up to 10 joysticks, all polled by the program once or several times
// per frame.
//
// Keys are numbered by their set-1 make code, extended keys + 128
// (1 Escape, 28 Enter, 30 A, 156 keypad Enter, 200 Up, ...). The desktop's
// key and text events reach this module through the message pump
// (init_input registers the input_on_* functions below as the platform's
// input sink);
// the program reads the polled state with key_state, typed_key and the
// mouse and joystick operations. Nothing here talks to the desktop directly.
#pragma once
#include <cstdint>

#include "runtime/platform/input_sdl.h"
#include "runtime/values/tv_string.h"

enum : int {
  INPUT_MAX_JOYSTICKS = 10,
  INPUT_JOY_NAME_MAX = 521,
  MOUSE_LEVEL_HIDDEN = 5,  // exclusive while in the foreground
  MOUSE_LEVEL_SHOWN = 6,   // shared with the desktop
  INPUT_TYPED_MAX = 1024,  // typed characters kept for the program; the oldest go first
};

struct InputDevice {
  // the program's mouse
  int32_t mouse_x = 100, mouse_y = 100;
  int16_t motion_x = 0, motion_y = 0;
  int16_t wheel = 0;
  bool sample_pending = false;
  bool cursor_visible = true;
  int32_t mouse_level = MOUSE_LEVEL_SHOWN;

  // which parts of the input layer could be started
  bool input_layer = false;
  bool keyboard_device = false;
  bool mouse_device = false;
  void* window = nullptr;  // the platform window whose focus gates the keyboard

  int32_t joy_count = 0;
  TvString joy_names[INPUT_MAX_JOYSTICKS];
  bool joysticks_pending = false;  // looked for at the first joystick query

  uint8_t key_states[256] = {};  // polled view; bit 7 set = held
  uint16_t key_map[256] = {};    // scan code to key index; identity here

  // ---- fed by the desktop's events between polls ---------------------------
  bool focused = false;              // the window has the keyboard focus
  uint8_t keys_down[256] = {};       // 1 while the desktop reports the key down
  uint8_t release_pending[256] = {}; // released: 1 since the last frame start, 2 before it
  uint8_t key_char[256] = {};        // Latin-1 byte typed by the key's last press
  int32_t last_pressed = -1;         // key that the next text event belongs to
  bool text_is_repeat = false;       // the next text event is a held key's repeat
  // Characters typed since the program last asked, oldest first (Shift rule
  // applied), so quick or overlapping presses and every character of the
  // desktop's text (keys without a scan code, input methods) type once, in
  // order.
  uint8_t typed[INPUT_TYPED_MAX] = {};
  int32_t typed_head = 0, typed_count = 0;
  int32_t typed_this_frame = 0;  // queued since the last frame start
  bool typed_asked = false;      // typed_key called since the last frame start
  int32_t cursor_x = 100, cursor_y = 100;  // cursor position in client pixels
  int32_t relative_x = 0, relative_y = 0;  // relative motion since the last sample
  int32_t wheel_sum = 0;                   // wheel steps since the last sample
  bool buttons[3] = {};                    // left, right, middle
  // A click quicker than a frame: its release waits for the next frame start
  // while no read and no frame start has seen the press, so the press is
  // read at least once (1 waiting, 2 waited past a frame start unread).
  bool press_fresh[3] = {};                // pressed, no read or frame start since
  uint8_t release_held[3] = {};
  // Input events taken from the desktop, and their count at the last frame
  // start or wait's end: events pumped after that (by the frame's own pump,
  // before the program's wait) have not been looked at, and end the wait.
  uint32_t input_events = 0, input_events_looked = 0;
  int32_t screen_width = 0, screen_height = 0;  // used when there is no window
};

extern InputDevice input_device;

// ---- start-up and end ------------------------------------------------------
// window is the platform window handle; instance is unused on this platform.
void init_input(void* window, void* instance, bool exclusive_mouse);
void shutdown_input();

// ---- keyboard --------------------------------------------------------------
void refresh_keyboard();
int32_t key_state(int32_t code);
// The next character typed since the last call, in the order typed; "" when
// none is waiting or the window lacks the keyboard focus. Characters wait
// while the program keeps asking each frame; a frame in which nobody asked
// drops those typed before it, so nothing stale turns up later.
TvString typed_key();
// How many typed characters wait for typed_key.
int32_t typed_waiting();
// The character a held key gives for typed_key (before the Shift rule).
uint8_t key_character(int32_t code);
// Forgets every held key (after a debugger break, the window losing focus).
void input_forget_keys();

// ---- mouse -----------------------------------------------------------------
// Buttons read as the desktop last reported them, except that a press is
// read at least once: a release that came before any read or frame start
// saw its press takes effect at the next frame start.
struct MouseReading {
  int32_t x, y;
  int32_t left, right;
};
MouseReading mouse_state();
double mouse_axis(int32_t n);
void set_mouse(int32_t x, int32_t y);
void show_mouse(double flag);
void request_mouse_sample();

// The frame function's step: refresh the keyboard and ask for a new mouse
// sample. A key release takes effect at the second frame start after it, so
// a key tapped faster than a frame, or a quick chord such as Alt+F4 or
// Ctrl+C, is seen held together by the frame's own key checks and by the
// program's reads. Called once per frame by show_frame.
void input_frame_start();

// ---- waiting ---------------------------------------------------------------
// Registration point for the window's message pump the waits run between
// their samples (the frame's pump with the program's message hook, where a
// closed window ends the program). The frame fills it at start-up
// (connect_layers); until then the waits only sample.
using InputMessagePump = void (*)();
void set_input_message_pump(InputMessagePump pump);
void wait_key();
void wait_mouse();
// Returns as soon as a key is held, the mouse moved, a button changed, the
// wheel turned or a joystick moved, and at the latest after 75 ms; asleep
// on the desktop's event source meanwhile. Joysticks count once the
// program has asked about them.
void wait_input();
// Like wait_input, but waits up to `ms`, and also ends on anything else the
// desktop sends (an exposure, a focus change): for a program whose frame
// stays unchanged that long when nothing comes.
void wait_input_for(int32_t ms);

// ---- joysticks -------------------------------------------------------------
// The joysticks are looked for at the first of these calls after init_input.
int32_t joy_count();
TvString joy_name(int32_t index);
double joy_axis(int32_t index, int32_t axis);
int32_t joy_pov(int32_t index, int32_t direction);
int32_t joy_button(int32_t index, int32_t button);
struct JoyStep {
  int32_t x, y;
  int32_t button0, button1;
};
JoyStep joy_state();
void joy_rumble(int32_t index, double ms, double fx, double fy);

// The arithmetic of the joystick reads, on one raw value.
double joy_axis_value(int32_t raw);
int32_t joy_pov_value(int32_t pov, int32_t direction);
int32_t joy_step_value(int32_t raw);

// ---- events from the desktop (called by the message pump) ----------------
void input_on_key(int32_t code, bool down, bool repeat);
void input_on_text(const char* utf8);
void input_on_focus(bool gained);
void input_on_mouse_motion(int32_t x, int32_t y, int32_t dx, int32_t dy);
void input_on_mouse_button(int32_t button, bool down);  // 0 left, 1 right, 2 middle
void input_on_mouse_wheel(int32_t steps);               // positive = away from the user

// UTF-8 text to one Latin-1 byte: the text's last character (a dead key
// followed by a key it does not combine with gives both; the key's own
// character is the last), 0 when Latin-1 cannot hold it or the text is
// empty or malformed.
uint8_t latin1_of_utf8(const char* utf8);
