// frame_loop.h - the frame function show_frame, the message pump with the
// program's TVX_WIN32_MSG hook, presentation with pacing to the frame rate
// on an absolute schedule, the pause while the window is inactive, and the
// runtime's millisecond clocks.
#pragma once
#include <cstdint>

#include "runtime/frame/function_table.h"

// ---- clocks ----------------------------------------------------------------------
struct ClockState {
  bool uses_counter = false;
  double counter_frequency = 0;  // counts per second
  double clock_origin = 0;       // ms at the first clock call; 0 = not taken yet
  double start_time = 0;         // timer_ms at the end of start-up
  double current_frame_time = 0;
  double previous_frame_time = 0;
};
extern ClockState frame_clock;

void timer_start();
double timer_ms();    // ms since the first clock call, on the monotonic clock
double run_time();    // ms since start-up ended
double frame_time();  // ms between the last two frames, 1 when not positive
void sleep_ms(double ms);  // truncated to whole ms

// The clock and sleeps behind timer_ms and every wait of this module. Tests
// put in a clock they control; null arguments bring back the real ones.
// The counter counts `frequency` per second; `nap` is the short pause of the
// last milliseconds before a deadline (none by default under a test clock).
void set_clock_source(int64_t (*read_counter)(), int64_t frequency, void (*sleep)(int ms),
                      void (*nap)() = nullptr);

// ---- switches and flags --------------------------------------------------------
extern bool escape_ends_program;
extern bool auto_pause;
extern bool paused;
extern bool activation_requested;

void set_frame_rate(int32_t fps);
void escape_switch(double on);
void auto_pause_switch(int32_t on);
// With a debugger attached: "BP" and the number in hex on the debug channel,
// the pause lifted, the keyboard refreshed and the window brought forward
// at the next frame. Without one it does nothing.
void breakpoint_notice(int32_t value);

// ---- the frame -------------------------------------------------------------------
void show_frame();
// Dispatches every waiting window message; the hook, when given, runs once
// before each message is handled. Returns 1.
int pump_messages(ProgramFunction hook);
// Present, clear, then wait for the frame's deadline. Returns 1.
int swap_and_pace(ProgramFunction hook);
// Start-up's first frame begins: cleared, 2D state and viewport reset.
// Nothing is presented before the program's first show_frame.
void start_first_frame();
