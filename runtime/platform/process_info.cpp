// process_info.cpp - process services over /proc, POSIX and the dynamic
// loader.
#include "runtime/platform/process_info.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

TvString platform_program_file() {
  // the link target can be any length; grow until it fits
  size_t size = 256;
  for (;;) {
    char* buf = static_cast<char*>(std::malloc(size));
    if (!buf) return TvString();
    ssize_t n = readlink("/proc/self/exe", buf, size);
    if (n < 0) {
      std::free(buf);
      return TvString();
    }
    if (size_t(n) < size) {
      TvString path(buf, uint32_t(n));
      std::free(buf);
      return path;
    }
    std::free(buf);
    size *= 2;
  }
}

void* platform_program_instance() {
  static void* instance = dlopen(nullptr, RTLD_LAZY);
  return instance;
}

TvString platform_command_line(int argc, char** argv) {
  TvString line;
  for (int i = 0; i < argc; ++i) {
    const char* arg = argv[i] ? argv[i] : "";
    if (i > 0) string_append_char(line, ' ');
    bool quote = *arg == 0 || std::strpbrk(arg, " \t") != nullptr;
    if (quote) string_append_char(line, '"');
    string_append(line, arg);
    if (quote) string_append_char(line, '"');
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

bool platform_set_current_dir(const char* path) { return path && *path && chdir(path) == 0; }

uint64_t platform_monotonic_ms() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
}

void* platform_load_module(const char* name) { return dlopen(name, RTLD_NOW | RTLD_LOCAL); }

void* platform_module_symbol(void* module, const char* name) {
  return module ? dlsym(module, name) : nullptr;
}
