// The real program on an X display (Xvfb in CI), ended the three ways a
// user ends it: Escape, Alt+F4 and the title bar's close button. Each run
// must exit with code 0 and close its log with the shut-down lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

bool ends_with(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(EndToEnd, EscapeAltF4AndTheCloseButtonEndTheRunCleanly) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  if (std::system("command -v xdotool >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xdotool";
  const fs::path here = fs::path(__FILE__).parent_path();
  const fs::path program = fs::path(TEST_BINARY_DIR) / "snipvault";
  ASSERT_TRUE(fs::exists(program));
  for (const char* action : {"escape", "altf4", "close"}) {
    SCOPED_TRACE(action);
    fs::path dir = fs::temp_directory_path() / (std::string("snipvault_e2e_") + action);
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::string cmd = "sh '" + (here / "drive_window.sh").string() + "' '" + program.string() +
                      "' '" + dir.string() + "' " + action;
    EXPECT_EQ(std::system(cmd.c_str()), 0);
    EXPECT_EQ(read_file(dir / "code"), "0\n");
    std::string log = read_file(dir / "ErrorLog.txt");
    EXPECT_NE(log.find("Init GFX\r\n"), std::string::npos) << log;
    EXPECT_TRUE(ends_with(log, "Shut down TVX\r\ntvx is shut down\r\n")) << log;
    fs::remove_all(dir);
  }
}

}  // namespace
