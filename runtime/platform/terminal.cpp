// terminal.cpp - standard streams and process hand-over over POSIX.
#include "runtime/platform/terminal.h"

#include <errno.h>
#include <signal.h>
#include <unistd.h>

bool platform_is_terminal(int stream) { return ::isatty(stream) == 1; }

void platform_quiet_broken_pipe() { ::signal(SIGPIPE, SIG_IGN); }

bool platform_write_all(int stream, const char* data, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(stream, data, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += w;
    n -= size_t(w);
  }
  return true;
}

int platform_read_some(int stream, char* buffer, size_t n) {
  for (;;) {
    ssize_t r = ::read(stream, buffer, n);
    if (r < 0 && errno == EINTR) continue;
    return int(r);
  }
}

bool platform_read_all(int stream, std::string& out) {
  char buf[65536];
  for (;;) {
    ssize_t r = ::read(stream, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return true;
    out.append(buf, size_t(r));
  }
}

void platform_replace_process(const std::string& path, const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(path.c_str(), args.data());
}
