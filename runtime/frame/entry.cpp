// entry.cpp - process entry and the start-up order of program_main.
#include "runtime/frame/entry.h"

#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/io/platform_info.h"
#include "runtime/platform/process_info.h"
#include "runtime/values/errors.h"

namespace {
TvString process_command_line;  // as rebuilt at entry; program_main copies it

inline bool is_blank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

const char* command_tail_of(const char* line) {
  if (!line) return "";
  const char* p = line;
  while (is_blank(*p)) ++p;
  if (*p == '"') {
    ++p;
    while (*p && *p != '"') ++p;
    if (*p == '"') ++p;
  } else {
    while (*p && !is_blank(*p)) ++p;
  }
  while (is_blank(*p)) ++p;
  return p;
}

int program_entry(int argc, char** argv, MainProgram main_program, const FunctionTableEntry* functions) {
  connect_layers();
  std::string line = platform_command_line(argc, argv);
  process_command_line = TvString(line.data(), uint32_t(line.size()));
  set_function_table(functions);
  // the desktop here passes no show-window request: the default show mode
  program_main(platform_program_instance(), command_tail_of(process_command_line.c_str()), kDefaultShowMode,
               main_program);
}

void program_main(void* instance, const char* command_tail, int32_t show_mode, MainProgram main_program) {
  (void)command_tail;
  command_line = process_command_line;          // 1.
  apply_project_settings();                     // 2.
  init_graphics(instance, show_mode, app_name);  // 3.
  reset_error_state();                          // 4.
  if (main_program) main_program();             // 5.
  end_program();                                // 6.
}

int program_library_entry(void* instance) {
  connect_layers();
  apply_project_settings();
  init_graphics(instance, 1, app_name);
  reset_error_state();
  return 1;
}
