// lifecycle.h - the program frame: entry, start-up and shut-down order, the
// one end path, and the runtime log ErrorLog.txt in the temporary directory.
#pragma once
#include "runtime/values/tv_string.h"

// Appends one CR LF terminated line to ErrorLog.txt; failures are silent.
void log_line(const char* text);
inline void log_line(const TvString& text) { log_line(text.c_str()); }

// The single way out of the program: shut_down, then exit with code 0.
[[noreturn]] void end_program();
void shut_down();
