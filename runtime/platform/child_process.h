// child_process.h - starting other programs directly (no shell in between):
// with or without waiting, and with their standard output captured.
#pragma once
#include <string>
#include <vector>

// The program `name` as it would be started: a name holding "/" is taken as
// it stands, a bare name is looked up in PATH. False if nothing executable.
bool platform_find_program(const std::string& name, std::string& path);

// Starts argv[0] (looked up like platform_find_program) with these arguments.
// With `wait` it blocks until the program ends and stores its exit code
// (128 + signal number when a signal ended it). False if it cannot start.
// Programs not waited for are reaped later, so they never linger as zombies.
bool platform_run(const std::vector<std::string>& argv, bool wait, int* exit_code);

// Starts the program, collects everything it writes to standard output and
// waits for it. False if it cannot start.
bool platform_run_capture(const std::vector<std::string>& argv, std::string& output, int& exit_code);
