// terminal.h - what a command-line program needs of its process: whether a
// standard stream is a terminal, whole writes that report a closed pipe
// instead of killing the process, reading standard input to its end, and
// handing the process over to another program file.
#pragma once
#include <string>
#include <vector>

constexpr int kStandardInput = 0;
constexpr int kStandardOutput = 1;
constexpr int kStandardError = 2;

bool platform_is_terminal(int stream);
// From now on a write to a closed pipe fails (platform_write_all gives
// false) rather than ending the process with a signal.
void platform_quiet_broken_pipe();
// Writes all n bytes; false when the stream is closed or failed.
bool platform_write_all(int stream, const char* data, size_t n);
// Reads up to n bytes: the count, 0 at the end, -1 on an error.
int platform_read_some(int stream, char* buffer, size_t n);
// Reads the stream to its end into `out`; false on a read error.
bool platform_read_all(int stream, std::string& out);
// Replaces the running process with `path`, given these arguments (argv[0]
// first); returns only when that failed.
void platform_replace_process(const std::string& path, const std::vector<std::string>& argv);
