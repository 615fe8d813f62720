// child_process.cpp - posix_spawn behind child_process.h. Children start with
// default signal handling and an empty signal mask whatever the runtime set
// for itself.
#include "runtime/platform/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace {

std::vector<pid_t> unwaited;

void reap_finished() {
  for (size_t i = 0; i < unwaited.size();) {
    pid_t r = waitpid(unwaited[i], nullptr, WNOHANG);
    if (r == unwaited[i] || (r < 0 && errno == ECHILD)) {
      unwaited[i] = unwaited.back();
      unwaited.pop_back();
    } else {
      ++i;
    }
  }
}

bool is_executable_file(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

int wait_exit_code(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Starts the program; `out_fd` >= 0 becomes its standard output.
bool spawn(const std::vector<std::string>& argv, int out_fd, pid_t& pid) {
  if (argv.empty() || argv[0].empty()) return false;
  std::string path;
  if (!platform_find_program(argv[0], path)) return false;
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out_fd >= 0) posix_spawn_file_actions_adddup2(&actions, out_fd, STDOUT_FILENO);

  int rc = posix_spawn(&pid, path.c_str(), &actions, &attr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  return rc == 0;
}

}  // namespace

bool platform_find_program(const std::string& name, std::string& path) {
  if (name.empty()) return false;
  if (name.find('/') != std::string::npos) {
    path = name;
    return is_executable_file(path);
  }
  const char* env = std::getenv("PATH");
  std::string dirs = env ? env : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    size_t end = dirs.find(':', start);
    std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
    path = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (is_executable_file(path)) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  path.clear();
  return false;
}

bool platform_run(const std::vector<std::string>& argv, bool wait, int* exit_code) {
  reap_finished();
  pid_t pid;
  if (!spawn(argv, -1, pid)) return false;
  if (wait) {
    int code = wait_exit_code(pid);
    if (exit_code) *exit_code = code;
  } else {
    unwaited.push_back(pid);
  }
  return true;
}

bool platform_run_capture(const std::vector<std::string>& argv, std::string& output, int& exit_code) {
  reap_finished();
  output.clear();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  pid_t pid;
  bool started = spawn(argv, fds[1], pid);
  close(fds[1]);
  if (!started) {
    close(fds[0]);
    return false;
  }
  char buf[4096];
  for (;;) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n > 0) {
      output.append(buf, size_t(n));
    } else if (n == 0 || errno != EINTR) {
      break;
    }
  }
  close(fds[0]);
  exit_code = wait_exit_code(pid);
  return true;
}
