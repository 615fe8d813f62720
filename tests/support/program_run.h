// program_run.h - the built program run end to end on a private X server:
// started with its log in a scratch folder, its window found and focused,
// driven with xdotool (keys) or asked to close as a window manager's close
// button does, then its end awaited.
#pragma once
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/private_display.h"
#include "tests/support/scratch_dir.h"

struct ProgramRun {
  PrivateDisplay display;
  ScratchDir folder{"program_run"};
  std::string tmpdir = folder.str();  // the program's TMPDIR: its log lands here
  std::string program = std::string(TEST_BINARY_DIR) + "/snipvault";
  std::vector<std::string> args;  // after the program's name, such as "--pick"
  pid_t child = 0;

  ~ProgramRun() {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    display.stop();
  }

  // Why the run cannot happen here ("" when it can): no program, no Xvfb or xdotool.
  std::string missing() {
    if (access(program.c_str(), X_OK) != 0) return "program not built";
    if (!have_tool("xdotool") || !have_tool("python3")) return "no xdotool or python3";
    if (!display.start()) return "no private X server";
    return "";
  }

  std::string on_display(const std::string& command) const {
    return "env DISPLAY=" + display.name + " " + command;
  }
  bool xdotool(const std::string& args) const { return run_quiet(on_display("xdotool " + args)); }

  std::string log_text() const { return read_file(tmpdir + "/ErrorLog.txt"); }

  // The X id of the program's window, in decimal; "" when there is none.
  std::string window_id() const {
    std::string out;
    if (FILE* p = popen(on_display("xdotool search --name '^Snipvault$' | head -n 1").c_str(), "r")) {
      char buf[64] = {};
      if (fgets(buf, sizeof buf, p)) out = std::to_string(std::atol(buf));
      pclose(p);
    }
    return out;
  }

  // Starts the program, waits for its window and its frame loop, and gives
  // the window the focus.
  void start() {
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) {
      std::string v = *e;
      if (v.rfind("DISPLAY=", 0) == 0 || v.rfind("TMPDIR=", 0) == 0 ||
          v.rfind("SDL_VIDEODRIVER=", 0) == 0 || v.rfind("ASAN_OPTIONS=", 0) == 0 ||
          v.rfind("SNIPVAULT_SCALE=", 0) == 0)
        continue;
      env_text.push_back(v);
    }
    env_text.push_back("DISPLAY=" + display.name);
    env_text.push_back("TMPDIR=" + tmpdir);
    env_text.push_back("SNIPVAULT_SCALE=1");  // the frame's own size on any display
    // in a sanitizer build the desktop's own libraries (D-Bus, the GL
    // driver) keep memory to the end; the exit code is what is checked here
    const char* asan = std::getenv("ASAN_OPTIONS");
    env_text.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") +
                       "detect_leaks=0");
    std::vector<char*> env;
    for (auto& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    std::vector<char*> argv{program.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), env.data()), 0);
    ASSERT_TRUE(run_quiet("timeout 20 " + on_display("xdotool search --sync --name '^Snipvault$'")))
        << "the window never appeared";
    // running its frame loop once start-up has logged its last line
    for (int i = 0; i < 1000 && log_text().find("Init Finalized") == std::string::npos; i++) usleep(10000);
    ASSERT_NE(log_text().find("Init Finalized"), std::string::npos) << log_text();
    ASSERT_TRUE(xdotool("search --name '^Snipvault$' windowfocus --sync"));
    usleep(200000);  // the focus event reaches the program's next frame
  }

  // The window manager's close: WM_DELETE_WINDOW sent to the window.
  bool close_window() const {
    std::string script = std::string(TEST_SOURCE_DIR) + "/support/close_window.py";
    return run_quiet(on_display("sh -c 'python3 " + script + " $(xdotool search --name \"^Snipvault$\" | head -n 1)'"));
  }

  // Waits up to `ms` for the program to end; its wait status, or -1. The
  // bound is generous: closing a software-rendered context on a loaded
  // machine can take seconds.
  int wait_for_end(int ms = 30000) {
    for (int i = 0; i < ms / 10; i++) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        child = 0;
        return status;
      }
      usleep(10000);
    }
    return -1;
  }

  // Exit code 0 and a log closed by the shut-down lines.
  void expect_clean_end() {
    int status = wait_for_end();
    ASSERT_NE(status, -1) << "the program did not end; log:\n" << log_text();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string log = log_text();
    EXPECT_NE(log.find("Init GFX\r\n"), std::string::npos) << log;
    const std::string last = "Shut down TVX\r\ntvx is shut down\r\n";
    ASSERT_GE(log.size(), last.size()) << log;
    EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
  }
};
