// input.cpp - the input device: polled keyboard, typed character, mouse
// sampling, the idle waits and joystick reads.
//
// Two layers of state: the event side (keys_down, key_char, cursor and
// relative motion, wheel, buttons) follows the desktop's events as the
// message pump delivers them; the polled side (key_states, the program's
// mouse position, the frame's motion and wheel) changes only when the
// program refreshes or samples, so several reads in one frame agree.
#include "runtime/input/input.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "runtime/input/scan_codes.h"
#include "runtime/platform/input_sdl.h"
#include "runtime/platform/log.h"
#include "runtime/platform/pump.h"
#include "runtime/values/ascii_case.h"

InputDevice input_device;

namespace {

InputMessagePump message_pump = nullptr;
constexpr int kWaitInputMs = 75;  // wait_input's longest wait

InputDevice& dev() { return input_device; }

// Held right now on the desktop: a release waiting for its frame start
// no longer counts, so "A" then a quick "b" does not type "B".
bool shift_down_now() {
  const InputDevice& d = dev();
  auto held = [&](int32_t code) { return d.keys_down[code] && !d.release_pending[code]; };
  return held(SCAN_LEFT_SHIFT) || held(SCAN_RIGHT_SHIFT);
}

// Queues one typed character, with the Shift rule.
void queue_char(uint8_t c) {
  InputDevice& d = dev();
  if (!c) return;
  if (shift_down_now()) c = ascii_upper(c);
  if (d.typed_count == INPUT_TYPED_MAX) {  // nobody reads: drop the oldest
    d.typed_head = (d.typed_head + 1) % INPUT_TYPED_MAX;
    d.typed_count--;
  }
  d.typed[(d.typed_head + d.typed_count) % INPUT_TYPED_MAX] = c;
  d.typed_count++;
  d.typed_this_frame++;
}

// Queues the character a press of `code` types by itself (Backspace, Enter).
void queue_typed(int32_t code) { queue_char(key_character(code)); }

// Decodes one UTF-8 character at p; the code point (0x110000 for a broken
// or overlong sequence) and where the next one starts.
uint32_t next_code_point(const unsigned char*& p) {
  uint32_t cp;
  int extra;
  if (*p < 0x80) {
    cp = *p;
    extra = 0;
  } else if ((*p >> 5) == 6) {
    cp = *p & 0x1F;
    extra = 1;
  } else if ((*p >> 4) == 14) {
    cp = *p & 0x0F;
    extra = 2;
  } else if ((*p >> 3) == 30) {
    cp = *p & 0x07;
    extra = 3;
  } else {
    p++;  // stray continuation or invalid lead byte
    return 0x110000;
  }
  p++;
  for (int i = 0; i < extra; i++) {
    if ((*p >> 6) != 2) return 0x110000;  // truncated sequence
    cp = (cp << 6) | (*p & 0x3F);
    p++;
  }
  // overlong forms are not characters
  if ((extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000))
    return 0x110000;
  return cp;
}

// A quick click's held release, let go once its press was read: at a frame
// start (also when a whole frame went by unread), or when a program waits
// without frames. It counts as an event not looked at, so the wait before
// the next frame ends at once and that frame sees the click end.
void let_go_held_releases(bool frame_start) {
  InputDevice& d = dev();
  for (int b = 0; b < 3; b++) {
    uint8_t& held = d.release_held[b];
    if (held && (frame_start ? !d.press_fresh[b] || held == 2 : held == 1 && !d.press_fresh[b])) {
      d.buttons[b] = false;
      held = 0;
      d.input_events++;
    } else if (held && frame_start) {
      held = 2;
    }
    if (frame_start) d.press_fresh[b] = false;
  }
}

// At a frame start: a whole frame without a reader drops what was typed
// before that frame; what came during it waits one frame more.
void expire_typed() {
  InputDevice& d = dev();
  if (!d.typed_asked) {
    int32_t stale = d.typed_count - std::min(d.typed_count, d.typed_this_frame);
    d.typed_head = (d.typed_head + stale) % INPUT_TYPED_MAX;
    d.typed_count -= stale;
  }
  d.typed_asked = false;
  d.typed_this_frame = 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// start-up and end

void init_input(void* window, void* /*instance*/, bool exclusive_mouse) {
  InputDevice& d = dev();
  PlatformInputSink sink;
  sink.key = input_on_key;
  sink.text = input_on_text;
  sink.focus = input_on_focus;
  sink.mouse_motion = input_on_mouse_motion;
  sink.mouse_button = input_on_mouse_button;
  sink.mouse_wheel = input_on_mouse_wheel;
  platform_set_input_sink(sink);
  d.input_layer = platform_input_start(window);
  if (!d.input_layer) log_line("No DX_Input");

  d.window = window;
  platform_cursor_client_position(window, &d.mouse_x, &d.mouse_y);
  d.cursor_x = d.mouse_x;
  d.cursor_y = d.mouse_y;
  d.focused = platform_input_has_focus(window);

  // The keyboard comes with the input layer; like a foreground device it
  // cannot be taken while the window is in the background, which is logged
  // and healed by the focus events later.
  d.keyboard_device = d.input_layer;
  for (int i = 0; i < 256; i++) d.key_map[i] = uint16_t(i);
  if (d.keyboard_device && !d.focused) log_line("No DX_KB");

  if (exclusive_mouse && d.input_layer) {
    d.mouse_device = true;
    d.mouse_level = MOUSE_LEVEL_HIDDEN;
    d.cursor_visible = false;
    platform_show_cursor(false);
    if (!platform_set_relative_mouse(true)) log_line("No DX_Mouse");
  } else {
    d.mouse_device = false;
    d.mouse_level = MOUSE_LEVEL_SHOWN;
    d.cursor_visible = true;
    platform_set_relative_mouse(false);
    platform_warp_cursor(window, d.mouse_x, d.mouse_y);
    platform_show_cursor(true);
  }

  // joysticks are looked for at the first joystick query: starting the
  // desktop's joystick support costs start-up time a program without them
  // should not pay
  d.joy_count = 0;
  d.joysticks_pending = d.input_layer;
}

namespace {
void open_joysticks_if_pending() {
  InputDevice& d = dev();
  if (!d.joysticks_pending) return;
  d.joysticks_pending = false;
  d.joy_count = d.input_layer ? platform_joystick_open_all(INPUT_MAX_JOYSTICKS) : 0;
  for (int i = 0; i < INPUT_MAX_JOYSTICKS; i++) {
    if (i >= d.joy_count) {
      string_free(d.joy_names[i]);
      continue;
    }
    // the desktop gives one name; it stands for both instance and product
    std::string utf8 = platform_joystick_name(i);
    TvString name;
    for (size_t k = 0; k < utf8.size();) {
      // decode one character, keep it when Latin-1 holds it
      unsigned char c = utf8[k];
      size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
      uint8_t b = latin1_of_utf8(utf8.substr(k, len).c_str());
      if (b) string_append_char(name, char(b));
      k += len;
    }
    TvString full(name);
    string_append(full, ", ");
    string_append(full, name);
    if (full.length > INPUT_JOY_NAME_MAX) string_truncate(full, INPUT_JOY_NAME_MAX);
    string_swap(d.joy_names[i], full);
  }
}
}  // namespace

void shutdown_input() {
  InputDevice& d = dev();
  d.mouse_level = MOUSE_LEVEL_SHOWN;
  platform_set_relative_mouse(false);
  if (!d.cursor_visible) platform_warp_cursor(d.window, d.mouse_x, d.mouse_y);
  platform_show_cursor(true);
  d.cursor_visible = true;
  platform_joystick_close_all();
  d.joy_count = 0;
  d.joysticks_pending = false;
  for (auto& n : d.joy_names) string_free(n);
  if (d.input_layer) platform_input_stop();
  d.input_layer = d.keyboard_device = d.mouse_device = false;
  d.window = nullptr;
}

// ---------------------------------------------------------------------------
// events from the desktop

void input_on_focus(bool gained) {
  InputDevice& d = dev();
  d.focused = gained;
  // An unfocused window hears no key releases, so whatever is held now
  // would stay held for good; forget it instead.
  if (!gained) input_forget_keys();
}

void input_on_key(int32_t code, bool down, bool repeat) {
  InputDevice& d = dev();
  d.input_events++;
  // Taken even before the focus event: the desktop only sends a window the
  // keys it has the focus for, and announces the focus a little later.
  if (down) d.text_is_repeat = repeat;  // the text that follows belongs to this press
  if (code <= 0 || code > 255) {
    if (down && !repeat) d.last_pressed = -1;  // its text belongs to no key we know
    return;
  }
  if (down) {
    if (repeat && d.keys_down[code]) return;
    d.text_is_repeat = false;  // a repeat of a key forgotten on focus loss types anew
    d.keys_down[code] = 1;
    d.release_pending[code] = 0;
    d.key_char[code] = 0;  // only this press's own text counts
    d.last_pressed = code;
    // these keys type without a text event
    if (code == SCAN_BACKSPACE || code == SCAN_ENTER || code == SCAN_KEYPAD_ENTER) queue_typed(code);
  } else {
    if (!d.keys_down[code]) return;
    d.release_pending[code] = 1;  // takes effect in input_frame_start
  }
}

// Every character of the desktop's text types, whether or not a key of ours
// sent it (xdotool, compose, input methods). Control characters never do:
// Backspace and Enter type from their key events, so text cannot double them.
void input_on_text(const char* utf8) {
  InputDevice& d = dev();
  if (!utf8) return;
  d.input_events++;
  if (d.last_pressed >= 0) d.key_char[d.last_pressed] = latin1_of_utf8(utf8);
  if (d.text_is_repeat) return;  // a held key's repeated text
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p) {
    uint32_t cp = next_code_point(p);
    if (cp < 32 || cp == 127) continue;
    queue_char(cp <= 0xFF ? uint8_t(cp) : uint8_t('?'));
  }
}

void input_on_mouse_motion(int32_t x, int32_t y, int32_t dx, int32_t dy) {
  InputDevice& d = dev();
  if (x != d.cursor_x || y != d.cursor_y || dx || dy) d.input_events++;  // a warp to where it is changes nothing
  d.cursor_x = x;
  d.cursor_y = y;
  d.relative_x += dx;
  d.relative_y += dy;
}

void input_on_mouse_button(int32_t button, bool down) {
  InputDevice& d = dev();
  d.input_events++;
  if (button < 0 || button >= 3) return;
  if (down) {
    d.buttons[button] = true;
    d.press_fresh[button] = true;
    d.release_held[button] = 0;
  } else if (d.press_fresh[button]) {
    d.release_held[button] = 1;  // let go at the next frame start, once the press was read
  } else {
    d.buttons[button] = false;
  }
}

void input_on_mouse_wheel(int32_t steps) {
  dev().input_events++;
  dev().wheel_sum += steps;
}

uint8_t latin1_of_utf8(const char* utf8) {
  if (!utf8) return 0;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  uint32_t last = 0;
  bool any = false;
  while (*p) {
    last = next_code_point(p);
    any = true;
  }
  if (!any || last > 0xFF) return 0;
  return uint8_t(last);
}

// ---------------------------------------------------------------------------
// keyboard

void refresh_keyboard() {
  InputDevice& d = dev();
  // While the window is in the background the last polled states stay.
  if (!d.focused) return;
  for (int i = 0; i < 256; i++) d.key_states[i] = d.keys_down[i] ? 0x80 : 0;
}

int32_t key_state(int32_t code) {
  refresh_keyboard();
  uint32_t i = uint32_t(code) & 255u;
  return (dev().key_states[dev().key_map[i] & 255] & 0x80) ? 1 : 0;
}

void input_forget_keys() {
  InputDevice& d = dev();
  std::memset(d.keys_down, 0, sizeof d.keys_down);
  std::memset(d.release_pending, 0, sizeof d.release_pending);
  std::memset(d.key_states, 0, sizeof d.key_states);
  d.last_pressed = -1;  // characters already typed stay queued
}

uint8_t key_character(int32_t code) {
  switch (code) {
    case SCAN_BACKSPACE: return 8;
    case SCAN_ENTER: case SCAN_KEYPAD_ENTER: return 10;
    case SCAN_LEFT_CTRL: case SCAN_LEFT_SHIFT: case SCAN_RIGHT_SHIFT: case SCAN_LEFT_ALT:
    case SCAN_CAPS_LOCK: case SCAN_NUM_LOCK: case SCAN_APPLICATION: return 0;
    default: break;
  }
  if (code < 0 || code > 255) return 0;
  uint8_t c = dev().key_char[code];
  if (c >= 1 && c <= 31 && c != 8 && c != 10) return 0;  // Tab, Escape, Ctrl+letter
  return c;
}

TvString typed_key() {
  InputDevice& d = dev();
  refresh_keyboard();
  d.typed_asked = true;
  // kept while the window is in the background, read once the focus is back
  if (!d.focused || d.typed_count == 0) return TvString();
  char c = char(d.typed[d.typed_head]);
  d.typed_head = (d.typed_head + 1) % INPUT_TYPED_MAX;
  d.typed_count--;
  return TvString(&c, 1);
}

int32_t typed_waiting() { return dev().typed_count; }

// ---------------------------------------------------------------------------
// mouse

namespace {

int32_t clamp16(int32_t v) { return v < -32768 ? -32768 : v > 32767 ? 32767 : v; }

// The internal read shared by every mouse operation: takes a new frame
// sample when one is pending. Always succeeds here: the desktop's mouse
// cannot be lost the way an exclusive device can.
bool sample_mouse() {
  InputDevice& d = dev();
  if (!d.sample_pending) return true;
  d.sample_pending = false;
  d.wheel = int16_t(d.wheel_sum > 0 ? 1 : d.wheel_sum < 0 ? -1 : 0);
  if (d.cursor_visible) {
    d.motion_x = int16_t(clamp16(d.cursor_x - d.mouse_x));
    d.motion_y = int16_t(clamp16(d.cursor_y - d.mouse_y));
    d.mouse_x = d.cursor_x;
    d.mouse_y = d.cursor_y;
  } else {
    d.motion_x = int16_t(clamp16(d.relative_x));
    d.motion_y = int16_t(clamp16(d.relative_y));
    d.mouse_x += d.motion_x;
    d.mouse_y += d.motion_y;
  }
  d.relative_x = d.relative_y = 0;
  d.wheel_sum = 0;
  return true;
}

void screen_size(int32_t* w, int32_t* h) {
  InputDevice& d = dev();
  if (!d.window || !platform_window_client_size(d.window, w, h)) {
    *w = d.screen_width;
    *h = d.screen_height;
  }
}

}  // namespace

void request_mouse_sample() { dev().sample_pending = true; }

MouseReading mouse_state() {
  InputDevice& d = dev();
  sample_mouse();
  d.press_fresh[0] = d.press_fresh[1] = false;
  int32_t w, h;
  screen_size(&w, &h);
  if (d.mouse_x > w - 1) d.mouse_x = w - 1;
  if (d.mouse_y > h - 1) d.mouse_y = h - 1;
  if (d.mouse_x < 0) d.mouse_x = 0;
  if (d.mouse_y < 0) d.mouse_y = 0;
  return {d.mouse_x, d.mouse_y, d.buttons[0] ? 1 : 0, d.buttons[1] ? 1 : 0};
}

double mouse_axis(int32_t n) {
  InputDevice& d = dev();
  if (!sample_mouse()) return 0;
  if (n >= 3 && n <= 5) d.press_fresh[n - 3] = false;
  switch (n) {
    case 0: return d.motion_x;
    case 1: return d.motion_y;
    case 2: return d.wheel;
    case 3: return d.buttons[0] ? 1 : 0;
    case 4: return d.buttons[1] ? 1 : 0;
    case 5: return d.buttons[2] ? 1 : 0;
    default: return 0;
  }
}

void set_mouse(int32_t x, int32_t y) {
  dev().mouse_x = x;
  dev().mouse_y = y;
}

void show_mouse(double flag) {
  InputDevice& d = dev();
  bool show = flag != 0;
  if (d.mouse_device) d.mouse_level = show ? MOUSE_LEVEL_SHOWN : MOUSE_LEVEL_HIDDEN;
  if (show == d.cursor_visible) return;  // the toolkit asks every frame
  if (show) {
    platform_set_relative_mouse(false);
    platform_warp_cursor(d.window, d.mouse_x, d.mouse_y);
    d.cursor_x = d.mouse_x;
    d.cursor_y = d.mouse_y;
    platform_show_cursor(true);
  } else {
    platform_show_cursor(false);
    platform_set_relative_mouse(true);
  }
  d.relative_x = d.relative_y = 0;
  d.cursor_visible = show;
}

void input_frame_start() {
  InputDevice& d = dev();
  for (int i = 0; i < 256; i++) {
    if (d.release_pending[i] == 2) {
      d.release_pending[i] = 0;
      d.keys_down[i] = 0;
    } else if (d.release_pending[i] == 1) {
      d.release_pending[i] = 2;
    }
  }
  refresh_keyboard();
  request_mouse_sample();
  expire_typed();
  d.input_events_looked = d.input_events;
  let_go_held_releases(true);
}

// ---------------------------------------------------------------------------
// joysticks

double joy_axis_value(int32_t raw) {
  double v = double(raw) / 32767.0;
  return v < -1 ? -1 : v > 1 ? 1 : v;
}

int32_t joy_pov_value(int32_t pov, int32_t direction) {
  if (direction == 0) {
    if (pov == 4500 || pov == 9000 || pov == 13500) return 1;
    if (pov == 22500 || pov == 27000 || pov == 31500) return -1;
  } else if (direction == 1) {
    if (pov == 0 || pov == 4500 || pov == 31500) return -1;
    if (pov == 13500 || pov == 18000 || pov == 22500) return 1;
  }
  return 0;
}

int32_t joy_step_value(int32_t raw) { return int32_t(std::trunc(double(raw) / 30000.0)); }

namespace {
JoyState read_joystick(int32_t index) {
  open_joysticks_if_pending();
  JoyState s{};
  for (auto& p : s.pov) p = -1;
  if (index < 0 || index >= dev().joy_count || !platform_joystick_read(index, &s)) {
    s = JoyState{};  // a failed read is all zero
  }
  return s;
}
}  // namespace

int32_t joy_count() {
  open_joysticks_if_pending();
  return dev().joy_count;
}

TvString joy_name(int32_t index) {
  open_joysticks_if_pending();
  if (index < 0 || index >= dev().joy_count) return TvString();
  return dev().joy_names[index];
}

double joy_axis(int32_t index, int32_t axis) {
  JoyState s = read_joystick(index);
  switch (axis) {
    case 0: return joy_axis_value(s.x);
    case 1: return joy_axis_value(s.y);
    case 2: return joy_axis_value(s.z);
    case 3: return joy_axis_value(s.rx);
    case 4: return joy_axis_value(s.ry);
    case 5: return joy_axis_value(s.rz);
    default: return 0;
  }
}

int32_t joy_pov(int32_t index, int32_t direction) {
  JoyState s = read_joystick(index);
  return joy_pov_value(s.pov[0], direction);
}

int32_t joy_button(int32_t index, int32_t button) {
  if (button < 0 || button > 31) return 0;
  return read_joystick(index).buttons[button];
}

JoyStep joy_state() {
  JoyState s = read_joystick(0);
  return {joy_step_value(s.x), joy_step_value(s.y), s.buttons[0], s.buttons[1]};
}

void joy_rumble(int32_t index, double ms, double fx, double fy) {
  open_joysticks_if_pending();
  if (index < 0 || index >= dev().joy_count || !platform_joystick_has_rumble(index)) return;
  fx = fx < -1 ? -1 : fx > 1 ? 1 : fx;
  fy = fy < -1 ? -1 : fy > 1 ? 1 : fy;
  // a constant force of this magnitude (0..10000) on both motors
  double magnitude = std::trunc((fx * fx + fy * fy) * 10000 * 0.5);
  uint16_t strength = uint16_t(magnitude * 65535.0 / 10000.0);
  uint32_t duration = ms > 0 ? uint32_t(std::fmin(ms, 4294967295.0)) : 0;
  platform_joystick_rumble(index, strength, duration);
}

// ---------------------------------------------------------------------------
// waiting

namespace {

bool any_input_since(const MouseReading& entry) {
  InputDevice& d = dev();
  for (int i = 0; i < 256; i++)
    if (d.key_states[i] & 0x80) return true;
  sample_mouse();
  // A turned wheel is input too: the next pass's sample would otherwise
  // take it away before the program reads it.
  if (d.wheel) return true;
  if (d.mouse_x != entry.x || d.mouse_y != entry.y) return true;
  if ((d.buttons[0] ? 1 : 0) != entry.left || (d.buttons[1] ? 1 : 0) != entry.right) return true;
  for (int j = 0; j < d.joy_count; j++) {
    JoyState s = read_joystick(j);
    for (uint8_t b : s.buttons)
      if (b) return true;
    if (std::fabs(joy_axis_value(s.x)) > 0.1 || std::fabs(joy_axis_value(s.y)) > 0.1 ||
        std::fabs(joy_axis_value(s.z)) > 0.1)
      return true;
    if (s.pov[0] != -1 && (s.pov[0] & 0xFFFF) != 0xFFFF) return true;
  }
  return false;
}

}  // namespace

void set_input_message_pump(InputMessagePump pump) { message_pump = pump; }

namespace {

// wait_input's loop; `any_event` also ends the wait on whatever the desktop
// sends (an exposure or a focus change the next frame must show).
void wait_for_input(int32_t ms, bool any_event) {
  InputDevice& d = dev();
  // Input pumped since the frame began (a press during the frame's own
  // pump) is in the state the wait starts from, so it would not count as a
  // change: it must end the wait now, or a click held shorter than the wait
  // is released before any frame saw it pressed.
  let_go_held_releases(false);
  bool unlooked = d.input_events != d.input_events_looked;
  struct Looked {
    InputDevice& d;
    ~Looked() { d.input_events_looked = d.input_events; }
  } looked{d};
  sample_mouse();
  if (unlooked || d.wheel) return;  // the wheel: turned since the frame began, kept for the program
  MouseReading entry{d.mouse_x, d.mouse_y, d.buttons[0] ? 1 : 0, d.buttons[1] ? 1 : 0};
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ms);
  bool woke = false;
  for (;;) {
    if (message_pump) message_pump();  // a closed window ends the program here
    refresh_keyboard();
    request_mouse_sample();  // what the pump brought counts for the next frame's reads
    if (any_input_since(entry) || woke) return;
    auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return;
    if (message_pump) {
      // asleep until the desktop sends something (a focus change or an
      // exposure wakes us too, and is handled by the next pass); a wait
      // that ran out with nothing sent needs no further pass (the next
      // frame pumps first thing): one pump fewer per rest
      bool event = platform_wait_event(int(left));
      if (!event && deadline - Clock::now() < std::chrono::milliseconds(1)) return;
      woke = event && any_event;  // returns after the next pass has pumped it
    } else {
      // nobody takes the events off the queue: a wait on it would not block
      std::this_thread::sleep_for(std::chrono::milliseconds(left < 5 ? left : 5));
    }
  }
}

}  // namespace

void wait_input() { wait_for_input(kWaitInputMs, false); }

void wait_input_for(int32_t ms) { wait_for_input(ms > 0 ? ms : 0, true); }

void wait_key() {
  while (!typed_key().empty()) wait_input();
  while (typed_key().empty()) wait_input();
  while (!typed_key().empty()) wait_input();
}

namespace {
bool any_button_held() {
  request_mouse_sample();
  sample_mouse();
  InputDevice& d = dev();
  for (bool& fresh : d.press_fresh) fresh = false;  // read now
  return d.buttons[0] || d.buttons[1] || d.buttons[2];
}
}  // namespace

void wait_mouse() {
  while (any_button_held()) wait_input();
  while (!any_button_held()) wait_input();
  while (any_button_held()) wait_input();
}
