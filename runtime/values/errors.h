// errors.h - the run-time error state, its codes and texts, and the debug
// channel (text that reaches an attached debugger and nowhere else).
#pragma once
#include <cstdint>
#include "runtime/values/tv_string.h"

struct RuntimeErrorState {
  int32_t error_code = 0;
  int32_t error_line = 0;
  int32_t current_line = 0;
};
extern RuntimeErrorState runtime_error;

enum : int32_t {
  ERR_SUCCESS = 0,
  ERR_NO_SUCH_FILE = 3,
  ERR_OUT_OF_MEMORY = 7,
  ERR_UNKNOWN = 8,
  ERR_OUT_OF_BOUNDS = 9,
  ERR_OUT_OF_DATA = 20,
  ERR_ASSERTION = 21,
};

void set_error(double code);
void reset_error_state();
TvString last_error_text();
[[noreturn]] void fail(int32_t code);
[[noreturn]] void end_with_success();
