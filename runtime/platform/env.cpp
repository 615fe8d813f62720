// env.cpp - POSIX environment calls behind env.h.
#include "runtime/platform/env.h"

#include <stdlib.h>
#include <unistd.h>

extern char** environ;

bool platform_get_env(const char* name, std::string& value) {
  const char* v = getenv(name);
  if (!v) {
    value.clear();
    return false;
  }
  value.assign(v);
  return true;
}

bool platform_set_env(const char* name, const char* value) {
  return setenv(name, value, 1) == 0;
}

bool platform_unset_env(const char* name) { return unsetenv(name) == 0; }

std::vector<std::string> platform_environment() {
  std::vector<std::string> all;
  for (char** e = environ; e && *e; ++e) all.emplace_back(*e);
  return all;
}
