// lifecycle.h - the program frame's start-up and shut-down order and the
// one end path. The log it writes lives in runtime/platform/log.h.
#pragma once
#include <cstdint>
#include "runtime/platform/log.h"
#include "runtime/values/tv_string.h"

// Fills the registration points through which lower layers reach the frame:
// the end path (runtime/values/errors.h), the message pump wait_input runs
// (runtime/input/input.h) and the window stepping aside for the desktop's
// file dialog (runtime/io/file_request.h). Entry and init_graphics call it;
// calling it again changes nothing.
void connect_layers();

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

// The single way out of the program: shut_down, then exit with the end
// code (0 unless set_end_code chose another).
[[noreturn]] void end_program();

// Registration point for the desktop's close requests (Alt+F4, the window's
// close button): they end the program unless the guard takes them. A guard
// giving true keeps the program running; it is one whose dialog holds
// entered work and asks first. The toolkit's modal runner fills it; nullptr
// restores plain ending.
using CloseRequestGuard = bool (*)();
void set_close_request_guard(CloseRequestGuard guard);
// A close request: ends the program unless the guard takes it.
void request_close();

// The exit code of the program's end from here on, whichever way it comes
// (Escape, the window's close button, Alt+F4, end_program).
void set_end_code(int32_t code);
