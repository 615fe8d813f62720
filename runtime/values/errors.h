// errors.h - the run-time error state, its codes and texts, and the fatal
// end path. Soft failures set the last-error code and return; failures a
// program cannot survive set it and end the program through the end path.
// The debug channel lives in debug.h.
#pragma once
#include <cstdint>
#include "runtime/values/tv_string.h"

struct RuntimeErrorState {
  int32_t error_code = 0;    // last error code; 0 = success
  int32_t error_line = 0;    // current_line when error_code was last set
  int32_t current_line = 0;  // source line being executed
};
extern RuntimeErrorState runtime_error;
// Index of the source file being executed (logged at the end in debug mode).
extern int32_t current_source_index;

enum : int32_t {
  ERR_SUCCESS = 0,
  ERR_NO_SUCH_FILE = 3,
  ERR_OUT_OF_MEMORY = 7,
  ERR_UNKNOWN = 8,
  ERR_OUT_OF_BOUNDS = 9,
  ERR_OUT_OF_DATA = 20,
  ERR_ASSERTION = 21,
};

// error_code = code truncated toward zero (clamped to 32 bits, NaN gives 0);
// error_line = current_line.
void set_error(double code);
// Error code, error line and current line back to 0.
void reset_error_state();
// The code's own text ("unknown error" for codes without one).
const char* error_text(int32_t code);
// "%.4d %s": code 3 gives "0003 no such file", -1 "-0001 unknown error".
TvString last_error_text();
// set_error(code), then end_path_exit.
[[noreturn]] void fail(int32_t code);
// error_code = 0, error_line = current_line, then end_path_exit.
[[noreturn]] void end_with_success();

// ---- the end path ----------------------------------------------------------------
// Registration point through which every layer below the frame ends the
// program: the frame hands in its shut_down and end_program at start-up
// (connect_layers). Until then shutting down does nothing and ending flushes
// the output and exits with code 0.
using EndStep = void (*)();
void set_end_path(EndStep shut_down, EndStep end_program);
// The registered shut-down: quit hook, graphics closed; safe to call twice.
void end_path_shut_down();
// The registered end_program; never returns.
[[noreturn]] void end_path_exit();
