// cli.h - snipvault on the command line: list, show, search, add, copy and
// path over the same catalogue, the same search and the same locked save as
// the desktop program, without a window or a display (copy aside).
//
// Two program files share this: `snipvault` (launcher.cpp) has no desktop
// libraries, so a command starts as fast as a small tool; it hands itself
// over to `snipvault-desktop` beside it for the desktop program and for
// copy, which needs the desktop's clipboard. snipvault-desktop (main.cpp)
// answers commands too, with the clipboard filled in below.
#pragma once
#include <string>

#include "runtime/values/tv_string.h"

// True when the arguments ask for a command: anything but none or "--pick".
bool cli_wants_command(int argc, char** argv);

// Runs the command; gives the exit code: 0 done, 1 not found or ambiguous,
// 2 usage error, 3 the catalogue could not be read or written.
int cli_main(int argc, char** argv);

// Puts Latin-1 text on the desktop's clipboard so that it stays there after
// the program ends; false with the reason when it cannot. Null in a program
// without the desktop's libraries: copy then hands over to the desktop
// program file.
using CliClipboard = bool (*)(const std::string& latin1, std::string& why);
extern CliClipboard cli_clipboard;

// Replaces this process with snipvault-desktop beside the running program,
// with the same arguments; returns (with the reason) only when that failed.
std::string cli_hand_over_to_desktop(int argc, char** argv);

// The starting code of a new snippet of the category (the add dialog's).
TvString cli_code_template(int32_t category);
