// process_info.h - what the frame needs to know about its own process:
// the program file, the command line as the desktop shows it, debugger
// presence and the debugger text channel, a monotonic millisecond clock and
// loading of shared modules.
//
// Everything here stands in for the desktop's process services; the rest of
// the runtime reaches the operating system only through runtime/platform/.
#pragma once
#include <cstdint>
#include <string>

// Full path of the running program file ("/"-separated).
std::string platform_program_file();

// An opaque handle standing for the program file's instance.
void* platform_program_instance();

// Rebuilds one command line from the process's arguments the way the
// desktop shows it: arguments holding blanks or tabs (or empty ones) are
// put between double quotes, the rest stand as they are, one blank between.
std::string platform_command_line(int argc, char** argv);

// True while a debugger (tracer) is attached to the process right now.
bool platform_debugger_attached();
// The TracerPid value of a /proc/<pid>/status text; 0 when absent.
int32_t parse_tracer_pid(const char* status_text);
// Hands one text to the debugger's channel (standard error here).
void platform_debug_write(const char* text);

// Milliseconds from a monotonic clock (unrelated to wall-clock time).
uint64_t platform_monotonic_ms();

// Start-up profile: with SNIPVAULT_START_PROFILE set, each mark writes
// "start-mark <stage> <ms>" to standard error, the milliseconds counted from
// the variable's value when that is a CLOCK_MONOTONIC time in microseconds
// (the starter took it before spawning), else from the first mark. Unset,
// a mark costs one test of a flag.
void platform_start_mark(const char* stage);

// Shared modules: load by name (null on failure) and look up a symbol.
void* platform_load_module(const char* name);
void* platform_module_symbol(void* module, const char* name);
