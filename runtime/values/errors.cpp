// errors.cpp - last-error code, its text, and the fatal end path.
#include "runtime/values/errors.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

RuntimeErrorState runtime_error;
int32_t current_source_index = 0;

namespace {
EndStep registered_shut_down = nullptr;
EndStep registered_end = nullptr;
}  // namespace

void set_end_path(EndStep shut_down, EndStep end_program) {
  registered_shut_down = shut_down;
  registered_end = end_program;
}

void end_path_shut_down() {
  if (registered_shut_down) registered_shut_down();
}

void end_path_exit() {
  if (registered_end) registered_end();
  std::fflush(nullptr);  // only reached without a frame, or if its end returned
  std::exit(0);
}

void set_error(double code) {
  double t = std::trunc(code);
  if (t != t) t = 0;
  if (t > 2147483647.0) t = 2147483647.0;
  if (t < -2147483648.0) t = -2147483648.0;
  runtime_error.error_code = int32_t(t);
  runtime_error.error_line = runtime_error.current_line;
}

void reset_error_state() { runtime_error = RuntimeErrorState{}; }

const char* error_text(int32_t code) {
  switch (code) {
    case ERR_SUCCESS: return "success";
    case ERR_NO_SUCH_FILE: return "no such file";
    case ERR_OUT_OF_MEMORY: return "out of memory";
    case ERR_OUT_OF_BOUNDS: return "out of bounds";
    case ERR_OUT_OF_DATA: return "out of data";
    default: return "unknown error";  // 8 and 21 have no text of their own
  }
}

TvString last_error_text() {
  char buf[1024];
  std::snprintf(buf, sizeof buf, "%.4d %s", runtime_error.error_code, error_text(runtime_error.error_code));
  return TvString(buf);
}

void fail(int32_t code) {
  set_error(code);
  end_path_exit();
}

void end_with_success() {
  runtime_error.error_code = 0;
  runtime_error.error_line = runtime_error.current_line;
  end_path_exit();
}
