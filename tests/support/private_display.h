// private_display.h - a private Xvfb for one test process, and the shell
// tools (xdotool, setxkbmap) the desktop tests drive it with.
//
// The server runs with -noreset: an X server that resets when its last
// client leaves would drop a layout set by setxkbmap the moment setxkbmap
// disconnects.
#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

extern char** environ;

inline bool have_tool(const char* tool) {
  std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

inline bool run_quiet(const std::string& cmd) {
  return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
}

struct PrivateDisplay {
  pid_t server = 0;
  std::string name;  // ":N", empty when none could be started

  // Starts a server on a free display number with a screen of `screen`
  // (width x height x depth); false when there is none.
  bool start(const char* screen = "800x600x24") {
    if (!have_tool("Xvfb")) return false;
    // parallel test processes try different numbers first
    for (int k = 0, n = 140 + getpid() % 40; k < 40; k++, n = 140 + (n - 139) % 40) {
      std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
      if (access(lock.c_str(), F_OK) == 0) continue;
      std::string d = ":" + std::to_string(n);
      const char* argv[] = {"Xvfb", d.c_str(), "-screen", "0", screen,
                            "-nolisten", "tcp", "-noreset", nullptr};
      if (posix_spawnp(&server, "Xvfb", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return false;
      std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
      for (int i = 0; i < 100 && access(sock.c_str(), F_OK) != 0; i++) usleep(50000);
      // a server that lost the race for this number has exited by now
      if (access(sock.c_str(), F_OK) == 0 && waitpid(server, nullptr, WNOHANG) == 0) {
        name = d;
        return true;
      }
      stop();
    }
    return false;
  }

  void stop() {
    if (server > 0) {
      kill(server, SIGTERM);
      waitpid(server, nullptr, 0);
    }
    server = 0;
    name.clear();
  }
};
