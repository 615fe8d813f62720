// frame_loop.cpp - show_frame, the message pump, presentation and pacing,
// the pause loop and the clocks.
//
// Pacing keeps an absolute schedule: each deadline is the previous one plus
// one frame, so a late frame does not push every later frame back. On the
// real clock the wait is one wait on the desktop's event source until about
// a millisecond before the deadline; an event ends it early, is pumped, and
// the wait goes on. A clock under test moves only through the sleep and nap
// it was given: it sleeps while more than 7 ms remain (waking 3 ms early)
// and naps through the rest. A frame whose recorded drawing equals the one
// on screen is neither drawn nor swapped.
#include "runtime/frame/frame_loop.h"

#include <GL/gl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include "runtime/frame/lifecycle.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/gfx2d/draw_batch.h"
#include "runtime/gfx2d/scaled_frame.h"
#include "runtime/input/input.h"
#include "runtime/input/scan_codes.h"
#include "runtime/platform/large_blocks.h"
#include "runtime/platform/process_info.h"
#include "runtime/platform/pump.h"
#include "runtime/platform/window_sdl.h"
#include "runtime/values/debug.h"

ClockState frame_clock;
bool escape_ends_program = true;
bool auto_pause = false;  // start-up switches it on
bool paused = false;
bool activation_requested = false;

namespace {

constexpr int64_t kCounterFrequency = 1000000;  // the monotonic clock in microseconds

int64_t monotonic_counter() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void real_sleep(int ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void real_nap() { std::this_thread::sleep_for(std::chrono::microseconds(500)); }
void no_nap() {}

int64_t (*read_counter)() = monotonic_counter;
int64_t counter_frequency_source = kCounterFrequency;
void (*sleep_source)(int) = real_sleep;
void (*nap_source)() = real_nap;
bool wait_on_events = true;  // the real clock: waits end early on desktop events

// Waits up to ms; on the real clock an event ends the wait early.
void wait_for_events(double ms) {
  if (wait_on_events)
    platform_wait_event(int(std::ceil(ms)));
  else
    sleep_ms(ms);
}

// Alt+F4 asks to close once per press: a request a dialog took must not
// come again every frame the chord stays held.
bool close_chord_down = false;

void close_chord(bool down) {
  bool pressed = down && !close_chord_down;
  close_chord_down = down;
  if (pressed) request_close();
}

// The first unchanged frame after drawn ones: the program has come to rest,
// and what the drawing freed (the driver's shader compiles above all) goes
// back to the system, at most every few seconds.
bool at_rest = false;
double last_return_ms = -1e9;
void came_to_rest() {
  if (at_rest) return;
  at_rest = true;
  double now = double(platform_monotonic_ms());  // not the frame clock a test may drive
  if (now - last_return_ms < 5000) return;
  last_return_ms = now;
  platform_return_free_memory();
}

}  // namespace

void set_clock_source(int64_t (*counter)(), int64_t frequency, void (*sleep)(int),
                      void (*nap)()) {
  read_counter = counter ? counter : monotonic_counter;
  counter_frequency_source = counter ? frequency : kCounterFrequency;
  sleep_source = sleep ? sleep : real_sleep;
  // a clock under test moves only when read: no real naps then
  nap_source = nap ? nap : (counter ? no_nap : real_nap);
  wait_on_events = !counter && !sleep;
}

// ---- clocks ----------------------------------------------------------------------

void timer_start() {
  frame_clock.uses_counter = counter_frequency_source > 0;
  frame_clock.counter_frequency = double(counter_frequency_source);
}

double timer_ms() {
  double ms;
  if (frame_clock.uses_counter) {
    int64_t c = read_counter();
    ms = double(c * 1000) / frame_clock.counter_frequency;
  } else {
    using namespace std::chrono;
    ms = double(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  if (frame_clock.clock_origin == 0) frame_clock.clock_origin = ms;
  return ms - frame_clock.clock_origin;
}

double run_time() { return timer_ms() - frame_clock.start_time; }

double frame_time() {
  double t = frame_clock.current_frame_time - frame_clock.previous_frame_time;
  return t > 0 ? t : 1;
}

void sleep_ms(double ms) {
  if (ms > 0) sleep_source(int(ms));
}

// ---- switches ----------------------------------------------------------------------

void set_frame_rate(int32_t fps) {
  if (graphics_device) graphics_device->frame_ms = fps > 0 ? 1000.0 / fps : 2.0;
}

void escape_switch(double on) { escape_ends_program = on != 0; }

void auto_pause_switch(int32_t on) { auto_pause = on != 0; }

void breakpoint_notice(int32_t value) {
  if (!platform_debugger_attached()) return;
  debug_break(value);  // "BP" + value in hex
  paused = false;
  refresh_keyboard();
  activation_requested = true;
}

// ---- the frame -----------------------------------------------------------------------

int pump_messages(ProgramFunction hook) {
  platform_pump_events(graphics_device ? graphics_device->window : nullptr, hook,
                       window_procedure);
  return 1;
}

namespace {
bool pumped_before_swap = false;  // show_frame pumped just before its swap_and_pace
}  // namespace

int swap_and_pace(ProgramFunction hook) {
  OpenGLVadeviva* d = graphics_device;
  if (!d) return 1;
  bool pump = true;
  leave_screen();  // 1. the window's back buffer becomes current
  if (d->window && d->context_present) {  // 2.
    if (frame_unchanged()) {
      // the window already shows exactly this frame: nothing to draw, and
      // no time went by since show_frame's pump to pump for again
      frame_dropped();
      came_to_rest();
      pump = !pumped_before_swap;
    } else {
      at_rest = false;
      bool first = presented_frames() == 0;
      submit_drawing();
      if (first) platform_start_mark("first-frame-drawn");
      // the next frame may be drawn only where it changes
      frame_about_to_present(frame_scale(*d) <= 1);
      keep_presented_frame();  // what save_screenshot writes
      present_scaled_frame();
      show_window_for_first_frame();  // the desktop's first sight of it is this frame
      platform_gl_swap(d->window);
      if (first) platform_start_mark("first-frame-presented");
      resume_scaled_frame();
      frame_presented();
    }
    record_clear(d->clear_rgba[0], d->clear_rgba[1], d->clear_rgba[2], d->clear_rgba[3], true);
  }
  double now;
  for (;;) {  // 3.
    if (pump) pump_messages(hook);
    pump = true;
    now = timer_ms();
    double remaining = d->next_frame_time - now;
    if (remaining <= 1) break;
    if (wait_on_events)
      wait_for_events(remaining - 1);
    else if (remaining > 7)
      sleep_ms(remaining - 3);
    else
      nap_source();  // the short wait before the deadline
  }
  if (d->frame_ms <= 0) return 1;  // 4.
  double next = d->next_frame_time + d->frame_ms;  // 5.
  if (now <= next)
    d->next_frame_time = next;
  else if (now <= next + d->frame_ms)
    d->next_frame_time = next + d->frame_ms;  // one slot skipped
  else
    d->next_frame_time = now + d->frame_ms;  // a long stall: start again from now
  return 1;
}

void show_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (activation_requested) {  // 1.
    std::puts("activate");
    if (d) {
      platform_window_show(d->window);
      platform_window_raise(d->window);
    }
    std::puts("ok");
    std::fflush(stdout);
    activation_requested = false;
  }
  if (presented_frames() == 0) platform_start_mark("first-frame-recorded");
  frame_clock.previous_frame_time = frame_clock.current_frame_time;  // 2.
  frame_clock.current_frame_time = timer_ms();
  while (paused && !activation_requested) {  // 3. nothing is drawn meanwhile
    pump_messages(lookup_message_hook());
    wait_for_events(100);  // the focus coming back wakes it
  }
  input_frame_start();  // 4. keyboard refreshed, mouse sample pending
  if (escape_ends_program && key_state(SCAN_ESCAPE)) end_program();  // 5.
  close_chord(key_state(SCAN_LEFT_ALT) && key_state(SCAN_F4));       // 6.
  pump_messages(lookup_message_hook());                               // 7.
  pumped_before_swap = true;
  swap_and_pace(lookup_message_hook());                               // 8.
  pumped_before_swap = false;
  reset_frame_render_state();                                         // 9.
  draw_background();
  set_viewport(0, 0, 0, 0);
}

void start_first_frame() {
  OpenGLVadeviva* d = graphics_device;
  if (!d || !d->context_present) return;
  const float* c = d->clear_rgba;
  // nothing is presented yet: the window shows up with the program's first
  // show_frame, so a blank frame before it would only cost a swap
  record_clear(c[0], c[1], c[2], c[3], true);
  reset_frame_render_state();
  set_viewport(0, 0, 0, 0);
}
