// The built program on a private X server, driven with xdotool: the end
// keys reach the frame function through the message pump and the input
// device, the program exits with code 0 and its log closes with the
// shut-down line. Skipped without Xvfb, xdotool or the built program.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/input/private_display.h"

namespace {

class ProgramEndKeys : public ::testing::Test {
 protected:
  PrivateDisplay display;
  std::string program = std::string(TEST_BINARY_DIR) + "/snipvault";
  std::string temp;
  pid_t child = 0;

  void SetUp() override {
    if (access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "program not built";
    if (!have_tool("xdotool") || !display.start()) GTEST_SKIP() << "no private X server";
    char dir[] = "/tmp/input_program_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    temp = dir;
  }
  void TearDown() override {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    display.stop();
    if (!temp.empty()) run_quiet("rm -rf '" + temp + "'");
  }

  std::string xdotool(const std::string& args) {
    return "env DISPLAY=" + display.name + " xdotool " + args;
  }

  // Starts the program, waits for its window and gives it the focus.
  void start_program() {
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
    env_text.push_back("TMPDIR=" + temp);
    env_text.push_back("SNIPVAULT_SCALE=1");
    // in a sanitizer build the desktop's own libraries (D-Bus, the GL
    // driver) keep memory to the end; the exit code is what is checked here
    const char* asan = std::getenv("ASAN_OPTIONS");
    env_text.push_back(std::string("ASAN_OPTIONS=") + (asan && *asan ? std::string(asan) + ":" : "") +
                       "detect_leaks=0");
    std::vector<char*> env;
    for (auto& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, env.data()), 0);
    ASSERT_TRUE(run_quiet("timeout 20 " + xdotool("search --sync --name '^Snipvault$'")))
        << "the window never appeared";
    // running its frame loop once start-up has logged its last line
    for (int i = 0; i < 1000 && log_text().find("Init Finalized") == std::string::npos; i++)
      usleep(10000);
    ASSERT_NE(log_text().find("Init Finalized"), std::string::npos) << log_text();
    ASSERT_TRUE(run_quiet(xdotool("search --name '^Snipvault$' windowfocus --sync")));
    usleep(200000);  // the focus event reaches the program's next frame
  }

  // Waits up to `ms` for the program to end; its wait status, or -1.
  int wait_for_end(int ms = 10000) {
    for (int i = 0; i < ms / 10; i++) {
      int status = 0;
      pid_t r = waitpid(child, &status, WNOHANG);
      if (r == child) {
        child = 0;
        return status;
      }
      usleep(10000);
    }
    return -1;
  }

  std::string log_text() {
    std::ifstream in(temp + "/ErrorLog.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  void expect_clean_end() {
    int status = wait_for_end();
    ASSERT_NE(status, -1) << "the program did not end; log:\n" << log_text();
    ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    std::string log = log_text();
    const std::string last = "tvx is shut down\r\n";
    ASSERT_GE(log.size(), last.size()) << log;
    EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
    EXPECT_NE(log.find("Shut down TVX\r\n"), std::string::npos) << log;
  }
};

TEST_F(ProgramEndKeys, EscapeEndsTheProgram) {
  start_program();
  ASSERT_TRUE(run_quiet(xdotool("key Escape")));
  expect_clean_end();
}

TEST_F(ProgramEndKeys, AltF4EndsTheProgram) {
  start_program();
  ASSERT_TRUE(run_quiet(xdotool("key alt+F4")));
  expect_clean_end();
}

TEST_F(ProgramEndKeys, OtherKeysDoNotEndIt) {
  start_program();
  // one after the other, as a person types them
  ASSERT_TRUE(run_quiet(xdotool("key --delay 150 a F4 alt")));
  EXPECT_EQ(wait_for_end(500), -1);
  ASSERT_TRUE(run_quiet(xdotool("key Escape")));
  expect_clean_end();
}

}  // namespace
