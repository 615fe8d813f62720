// os_env.cpp - POSIX environment calls behind os_env.h.
#include "runtime/platform/os_env.h"

#include <stdlib.h>
#include <unistd.h>

extern char** environ;

bool os_get_env(const char* name, std::string& value) {
  const char* v = getenv(name);
  if (!v) {
    value.clear();
    return false;
  }
  value.assign(v);
  return true;
}

bool os_set_env(const char* name, const char* value) {
  return setenv(name, value, 1) == 0;
}

bool os_unset_env(const char* name) { return unsetenv(name) == 0; }

std::vector<std::string> os_environment() {
  std::vector<std::string> all;
  for (char** e = environ; e && *e; ++e) all.emplace_back(*e);
  return all;
}
