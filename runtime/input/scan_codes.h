// scan_codes.h - names for the keys the runtime and the toolkit test by
// number. Keys are set-1 make codes, extended keys + 128, as key_state,
// key_character and the input sink number them.
#pragma once
#include <cstdint>

enum ScanCode : int32_t {
  SCAN_ESCAPE = 1,
  SCAN_1 = 2,  // 2 .. 6 follow: SCAN_1 + 1 .. SCAN_1 + 5
  SCAN_BACKSPACE = 14,
  SCAN_TAB = 15,
  SCAN_Y = 21,
  SCAN_ENTER = 28,
  SCAN_LEFT_CTRL = 29,
  SCAN_F = 33,
  SCAN_LEFT_SHIFT = 42,
  SCAN_Z = 44,
  SCAN_C = 46,
  SCAN_V = 47,
  SCAN_N = 49,
  SCAN_RIGHT_SHIFT = 54,
  SCAN_LEFT_ALT = 56,
  SCAN_CAPS_LOCK = 58,
  SCAN_F1 = 59,
  SCAN_F2 = 60,
  SCAN_F4 = 62,
  SCAN_NUM_LOCK = 69,
  SCAN_KEYPAD_ENTER = 156,
  SCAN_RIGHT_CTRL = 157,
  SCAN_RIGHT_ALT = 184,
  SCAN_HOME = 199,
  SCAN_UP = 200,
  SCAN_PAGE_UP = 201,
  SCAN_LEFT = 203,
  SCAN_RIGHT = 205,
  SCAN_END = 207,
  SCAN_DOWN = 208,
  SCAN_PAGE_DOWN = 209,
  SCAN_INSERT = 210,
  SCAN_DELETE = 211,
  SCAN_APPLICATION = 221,
};
