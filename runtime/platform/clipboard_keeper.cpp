// clipboard_keeper.cpp - the keeper: a small detached process that goes on
// offering the clipboard text after the program has ended, until another
// program copies.
//
// It is our own program file started again (/proc/self/exe) with a private
// argument, not a bare fork: the program has GL driver and SDL threads
// whose locks a forked copy could inherit held, while a fresh image holds
// nothing of the program but what it is handed. Between fork and exec only
// async-signal-safe calls run. The text arrives through a socket, which
// also carries the keeper's "I own it" back; the keeper takes the clipboard
// only from the program's own window, so a copy made meanwhile by another
// program is never overwritten. A later keeper (or any program's copy)
// takes the clipboard from it and it ends: one keeper per display at most.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/platform/clipboard_x11.h"

extern char** environ;

namespace x11clip {

namespace {

constexpr size_t kTextMax = 64u << 20;
constexpr int kStartMs = 3000;  // the keeper's start, text and take-over

// The keeper's life: the text from fd 0 to its end, the clipboard taken
// from `previous`, then served until lost.
int keeper_main(const char* previous) {
  std::string text;
  char buf[65536];
  for (;;) {
    ssize_t n = read(0, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, size_t(n));
    if (text.size() > kTextMax) return 1;
  }
  std::unique_ptr<Owner> owner = Owner::open();
  bool owns = owner && owner->take_over(text, std::strtoul(previous, nullptr, 10));
  char answer = owns ? 'k' : 'n';
  while (write(0, &answer, 1) < 0 && errno == EINTR) {
  }
  // from here on nothing of the program's is held
  int null = open("/dev/null", O_RDWR);
  if (null >= 0) {
    dup2(null, 0);
    dup2(null, 1);
    if (null > 2) close(null);
  }
  if (owns) owner->serve(-1, -1);
  return 0;
}

// Runs before main in every program that can start a keeper; glibc hands
// constructors the program's arguments.
__attribute__((constructor)) void keeper_entry(int argc, char** argv, char**) {
  if (argc == 3 && std::strcmp(argv[1], kKeeperArgument) == 0) _exit(keeper_main(argv[2]));
}

bool send_all(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= size_t(w);
  }
  return true;
}

}  // namespace

bool start_keeper(const std::string& latin1, unsigned long owner_window) {
  int sv[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0) return false;
  // everything the child needs is made before the fork
  std::string window = std::to_string(owner_window);
  char self[] = "/proc/self/exe";
  // the program's own name, so a process list shows whose keeper it is
  char name[4096] = {};
  ssize_t len = readlink(self, name, sizeof name - 1);
  char* argv[] = {len > 0 ? name : self, const_cast<char*>(kKeeperArgument), window.data(), nullptr};
  pid_t middle = fork();
  if (middle < 0) {
    close(sv[0]);
    close(sv[1]);
    return false;
  }
  if (middle == 0) {
    // a new session, and a grandchild that no one waits for: detached from
    // the terminal and from the program's process group
    setsid();
    if (fork() != 0) _exit(0);
    dup2(sv[1], 0);  // dup2 clears close-on-exec on the copy
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, 1);
      dup2(null, 2);
    }
    close_range(3, ~0u, 0);
    if (chdir("/") != 0) _exit(127);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(self, argv, environ);
    _exit(127);
  }
  close(sv[1]);
  while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
  }
  bool ok = send_all(sv[0], latin1.data(), latin1.size());
  shutdown(sv[0], SHUT_WR);
  char answer = 0;
  if (ok) {
    pollfd p{sv[0], POLLIN, 0};
    ok = poll(&p, 1, kStartMs) > 0 && read(sv[0], &answer, 1) == 1 && answer == 'k';
  }
  close(sv[0]);
  return ok;
}

}  // namespace x11clip
