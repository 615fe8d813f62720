// lifecycle.cpp - start-up and shut-down order, end_program and the log.
#include "runtime/frame/lifecycle.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
std::string temp_dir() {
  const char* t = std::getenv("TMPDIR");
  std::string dir = (t && *t) ? t : "/tmp";
  if (dir.back() != '/') dir += '/';
  return dir;
}
}  // namespace

void log_line(const char* text) {
  std::string path = temp_dir() + "ErrorLog.txt";
  FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) return;
  std::fputs(text ? text : "", f);
  std::fputs("\r\n", f);
  std::fclose(f);
}

void shut_down() {
  // filled by the frame: quit hook, then the closing order
}

void end_program() {
  shut_down();
  std::fflush(nullptr);
  std::exit(0);
}
