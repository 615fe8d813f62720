// lifecycle.h - the program frame's start-up and shut-down order, the one
// end path, and the runtime log ErrorLog.txt in the temporary directory.
#pragma once
#include <cstdint>
#include "runtime/values/tv_string.h"

// Appends one CR LF terminated line to ErrorLog.txt; failures are silent.
void log_line(const char* text);
inline void log_line(const TvString& text) { log_line(text.c_str()); }
// ErrorLog.txt in $TMPDIR, else in /tmp.
TvString error_log_path();

// The directory of the program file (cut at its last "/").
TvString program_folder();
// Makes the program's own folder the current directory.
void change_to_program_folder();

// True once the graphics device has been created; shut_down closes graphics
// and logs its closing lines only then. The window start-up sets it.
extern bool graphics_started;

// Graphics start-up in its fixed order; stops early when the window or the
// OpenGL context cannot be created.
void init_graphics(void* instance, int32_t show_mode, const TvString& title);

// The closing order: quit hook (once per run), then, if graphics started,
// everything closed in order between "Shut down TVX" and "tvx is shut down".
void shut_down();

// The single way out of the program: shut_down, then exit with code 0.
[[noreturn]] void end_program();
