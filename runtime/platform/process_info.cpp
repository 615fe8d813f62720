// process_info.cpp - process services over /proc, POSIX and the dynamic
// loader.
#include "runtime/platform/process_info.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

std::string platform_program_file() {
  // the link target can be any length; grow until it fits
  std::string buf(256, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return std::string();
    if (size_t(n) < buf.size()) {
      buf.resize(size_t(n));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

void* platform_program_instance() {
  static void* instance = dlopen(nullptr, RTLD_LAZY);
  return instance;
}

std::string platform_command_line(int argc, char** argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i] ? argv[i] : "";
    if (i > 0) line += ' ';
    bool quote = *arg == 0 || std::strpbrk(arg, " \t") != nullptr;
    if (quote) line += '"';
    line += arg;
    if (quote) line += '"';
  }
  return line;
}

int32_t parse_tracer_pid(const char* status_text) {
  if (!status_text) return 0;
  const char* p = status_text;
  // the key must start a line
  while ((p = std::strstr(p, "TracerPid:")) != nullptr) {
    if (p == status_text || p[-1] == '\n') return int32_t(std::strtol(p + 10, nullptr, 10));
    p += 10;
  }
  return 0;
}

bool platform_debugger_attached() {
  FILE* f = std::fopen("/proc/self/status", "rb");
  if (!f) return false;
  char buf[4096];
  size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = 0;
  return parse_tracer_pid(buf) != 0;
}

void platform_debug_write(const char* text) {
  std::fputs(text, stderr);
  std::fflush(stderr);
}

uint64_t platform_monotonic_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

void platform_start_mark(const char* stage) {
  static int state = -1;  // -1 not yet read, 0 off, 1 on
  static double origin_us = 0;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  double now_us = double(ts.tv_sec) * 1e6 + double(ts.tv_nsec) / 1e3;
  if (state < 0) {
    const char* v = std::getenv("SNIPVAULT_START_PROFILE");
    state = v && *v ? 1 : 0;
    if (state) {
      double given = std::strtod(v, nullptr);
      origin_us = given > 1e6 && given <= now_us ? given : now_us;
    }
  }
  if (state == 0) return;
  char line[160];
  int n = std::snprintf(line, sizeof line, "start-mark %s %.3f\n", stage ? stage : "", (now_us - origin_us) / 1e3);
  if (n > 0) (void)!write(2, line, size_t(n) < sizeof line ? size_t(n) : sizeof line - 1);
}

void* platform_load_module(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* platform_module_symbol(void* module, const char* name) {
  return module ? dlsym(module, name) : nullptr;
}
