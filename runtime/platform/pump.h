// pump.h - the message pump: desktop events, one at a time, handed to the
// input sink (runtime/platform/input_sdl.h) and then, as window messages, to
// the window procedure.
//
// Window messages keep the desktop's classic numbering so the window
// procedure reads like one: activation with its low word (0 inactive, 1 or
// 2 active), close, erase-background, and system commands compared after
// masking the low four bits.
#pragma once
#include <cstdint>

enum : unsigned {
  WINDOW_MSG_ACTIVATE = 0x0006,
  WINDOW_MSG_CLOSE = 0x0010,
  WINDOW_MSG_ERASE_BACKGROUND = 0x0014,
  WINDOW_MSG_SYSCOMMAND = 0x0112,
  WINDOW_MSG_OTHER = 0x0400,  // anything the window procedure passes on
};
enum : uintptr_t {
  SYSCOMMAND_CLOSE = 0xF060,
  SYSCOMMAND_SCREENSAVE = 0xF140,
  SYSCOMMAND_MONITORPOWER = 0xF170,
};

using WindowProcedure = intptr_t (*)(void* window, unsigned message, uintptr_t w, intptr_t l);

// Handles every waiting event. With a hook, the hook runs once before each
// event is taken from the queue. Returns the number of events handled.
int platform_pump_events(void* window, void (*hook)(), WindowProcedure procedure);

// Whether any desktop event is waiting (without taking it).
bool platform_event_waiting();

// Blocks until a desktop event is waiting (left in the queue) or timeout_ms
// have passed; true when one is waiting. One wait on the desktop connection,
// no wake-ups meanwhile; while joysticks are attached (their state is
// polled) it returns after at most 5 ms. Without a video side it sleeps.
bool platform_wait_event(int timeout_ms);
