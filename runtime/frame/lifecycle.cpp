// lifecycle.cpp - start-up and shut-down order, end_program and the log.
//
// Each numbered line below is one step of the fixed order. This runtime has
// no video playback, sockets or sound, so their steps have nothing to open
// or close.
#include "runtime/frame/lifecycle.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <initializer_list>

#include "runtime/frame/frame_loop.h"
#include "runtime/frame/function_table.h"
#include "runtime/frame/settings.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/fonts.h"
#include "runtime/input/input.h"
#include "runtime/io/archive.h"
#include "runtime/io/file_request.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/io_exit.h"
#include "runtime/platform/clipboard.h"
#include "runtime/platform/dirs.h"
#include "runtime/platform/process_info.h"
#include "runtime/values/debug.h"
#include "runtime/values/errors.h"
#include "runtime/values/tv_math.h"

bool graphics_started = false;

void connect_layers() {
  set_end_path(shut_down, end_program);
  set_input_message_pump([] {
    // a program that waits for input before its first frame needs its
    // window on screen to get any
    show_window_for_first_frame();
    pump_messages(lookup_message_hook());
  });
  set_dialog_window_step_aside(window_step_aside);
}

namespace {
TvString program_file() {
  std::string file = platform_program_file();
  TvString path(file.data(), uint32_t(file.size()));
  path_to_slashes(path);
  return path;
}
}  // namespace

TvString program_folder() {
  TvString path = program_file();
  int64_t cut = -1;
  for (uint32_t i = 0; i < path.length; ++i)
    if (path.data[i] == '/') cut = i;
  if (cut < 0) return TvString();
  if (cut == 0) return TvString("/");  // the program lies in the root
  string_truncate(path, cut);
  return path;
}

void change_to_program_folder() {
  TvString folder = program_folder();
  platform_set_current_dir(folder.c_str());
}

void init_graphics(void* instance, int32_t show_mode, const TvString& title) {
  connect_layers();
  std::remove(error_log_path().c_str());  // 1. a fresh log for every run
  auto_pause = true;                      // 2. the window procedure pauses while inactive
  timer_start();                          // 3.
  start_graphics_device();                // 4. device, window and context; no window ends the run
  platform_start_mark("device-ready");
  graphics_started = true;
  string_assign(window_title, title);  // 5. the title
  set_window_title(title.c_str());
  if (project_settings.fullscreen)  // 6.
    switch_display_mode(*graphics_device);
  else
    place_window(*graphics_device);
  platform_start_mark("window-placed");
  init_input(graphics_device->window, instance, project_settings.exclusive_mouse != 0);  // 7.
  platform_start_mark("input-started");
  debug_break_input_reset = input_forget_keys;  //    a break point makes the input forget held keys
  log_line("Init GFX");  // 8.
  {  // 9. both packed-file resolvers look in the archive packed into the program file
    TvString program = program_file();
    set_archive(program, program);
  }
  change_to_program_folder();  // 10.
  start_first_frame();         // 11. presented by the first show_frame
  load_start_up_font();        //     default font (smalfont.png, else .bmp)
  platform_start_mark("font-loaded");
  random_seed(int32_t(platform_monotonic_ms()));  // 12. random seed
  set_arrow_cursor();
  double now = timer_ms();
  frame_clock.start_time = frame_clock.previous_frame_time = frame_clock.current_frame_time = now;
  if (show_mode == 0)
    hide_window();
  else
    show_mouse(project_settings.exclusive_mouse ? 0 : 1);
  log_line("Init Finalized");  // 13.
  platform_start_mark("runtime-started");
}

void shut_down() {
  if (!quit_hook_done) {  // 1. the quit hook, before anything closes, once per run
    quit_hook_done = true;
    call_by_name("TVX_ON_QUIT");
  }
  if (graphics_started) {           // 2.
    log_line("Shut down TVX");      // 3.
    change_to_program_folder();     // 4.
    platform_clipboard_pause_serving();  // no clipboard answer while the video ends
    shutdown_input();               // 5. input devices and mouse cursor;
    free_graphics_device();         //    the device with its textures, context and window
    graphics_started = false;  //  the device is gone: a later shut_down must not free it again
    log_line("tvx is shut down");  // 6.
  }
  // copied text outlives the program: the window is gone first, so the
  // (at most one second) hand-over to a clipboard manager goes unseen
  platform_clipboard_keep_after_exit();
}

namespace {
CloseRequestGuard close_request_guard = nullptr;
}  // namespace

void set_close_request_guard(CloseRequestGuard guard) { close_request_guard = guard; }

void request_close() {
  if (close_request_guard && close_request_guard()) return;
  end_program();
}

namespace {
int32_t end_code = 0;
}  // namespace

void set_end_code(int32_t code) { end_code = code; }

void end_program() {
  if (project_settings.debug_mode) {
    char number[16];
    log_line("-End On Line");
    for (int32_t value : {runtime_error.error_code, runtime_error.error_line, runtime_error.current_line,
                          current_source_index}) {
      std::snprintf(number, sizeof number, "%d", value);
      log_line(number);
    }
  }
  platform_start_mark("end");
  shut_down();
  io_run_exit_hooks();  // final clean-up: changed line file and INI table written back
  // the desktop repaints uncovered windows by itself; nothing to ask for here
  std::fflush(nullptr);
  platform_start_mark("ended");
  std::exit(end_code);
}
