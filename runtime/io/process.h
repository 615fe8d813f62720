// process.h - starting other programs and handing documents to the desktop.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "runtime/values/tv_string.h"

// Splits one command line into the program name and its arguments the way
// the desktop's command lines are written: blanks and tabs separate, double
// quotes group (and "" inside quotes is one quote), backslashes count only
// before a double quote (2n of them give n and the quote groups, 2n+1 give n
// and a literal quote). The program name itself ends at its closing quote or
// at the first blank or tab, backslashes and all.
std::vector<std::string> split_command_line(const char* line);

// Starts the program named first in the command line, directly, without a
// shell. With `wait` set it blocks until the program ends and stores the
// exit code in `exit_code`; otherwise `exit_code` is not touched. 1 if the
// program started, else 0. `show` has no meaning for programs here.
int32_t run_process(const TvString& command_line, int32_t wait, int32_t show, double& exit_code);

// Shuts the runtime down, hands the name to the desktop's opener and ends
// the program.
[[noreturn]] void shell_execute(const TvString& name);
