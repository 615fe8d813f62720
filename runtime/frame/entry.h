// entry.h - the process entry of a Tolvane program and its start-up.
//
// The application defines its main program as a plain function and hands it,
// with its function table, to program_entry from the process's main():
//
//   int main(int argc, char** argv) { return program_entry(argc, argv, app_main, app_functions); }
#pragma once
#include <cstdint>
#include "runtime/frame/function_table.h"
#include "runtime/values/tv_string.h"

using MainProgram = void (*)();

// Default show mode when the start-up information names none.
constexpr int32_t kDefaultShowMode = 10;

// The command tail: the command line without the program name (leading
// blanks and tabs, then a double-quoted name up to its closing quote or
// everything up to the next blank or tab, then blanks and tabs).
const char* command_tail_of(const char* line);

// Process entry: rebuilds the command line, takes the program's instance and
// show mode, installs the function table and runs program_main. Never returns.
[[noreturn]] int program_entry(int argc, char** argv, MainProgram main_program,
                               const FunctionTableEntry* functions = nullptr);

// Start-up order, the main program, then end_program. command_tail is unused.
[[noreturn]] void program_main(void* instance, const char* command_tail, int32_t show_mode,
                               MainProgram main_program);

// Entry of a build as a loadable library: settings, graphics and error state
// with show mode 1; the host runs the program. Returns 1.
int program_library_entry(void* instance);
