// log.cpp - appending lines to ErrorLog.txt.
#include "runtime/platform/log.h"

#include <cstdio>
#include <cstdlib>

std::string error_log_path() {
  const char* t = std::getenv("TMPDIR");
  std::string path((t && *t) ? t : "/tmp");
  if (path.back() != '/') path += '/';
  return path + "ErrorLog.txt";
}

void log_line(const char* text) {
  FILE* f = std::fopen(error_log_path().c_str(), "ab");
  if (!f) return;
  std::fputs(text ? text : "", f);
  std::fputs("\r\n", f);
  std::fclose(f);
}
