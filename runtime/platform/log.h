// log.h - the runtime log ErrorLog.txt in the temporary directory. It sits
// at the bottom of the ladder so every layer can write to it.
#pragma once
#include <string>

// Appends one CR LF terminated line to ErrorLog.txt; failures are silent.
void log_line(const char* text);
inline void log_line(const std::string& text) { log_line(text.c_str()); }
// ErrorLog.txt in $TMPDIR, else in /tmp.
std::string error_log_path();
