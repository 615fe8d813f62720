// The per-user install of the run command and the system-wide install: the
// user's catalogue survives rebuilds and a deleted build folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const std::string kRoot = TEST_SOURCE_ROOT;

struct RunCommand : ::testing::Test {
  ScratchDir dir{"setup"};
  std::string build = dir / "build";
  std::string data_home = dir / "data";
  std::string dest = data_home + "/snipvault";

  // The run command without building and without starting the program.
  int run() {
    std::string cmd = "SNIPVAULT_SKIP_BUILD=1 SNIPVAULT_NO_START=1 SNIPVAULT_BUILD='" + build +
                      "' XDG_DATA_HOME='" + data_home + "' '" + kRoot + "/scripts/run.sh' >/dev/null 2>&1";
    return std::system(cmd.c_str());
  }
  void build_program(const std::string& content) {
    fs::create_directories(build);
    write_file(build + "/snipvault", content);
  }
};

TEST_F(RunCommand, InstallsOnceAndKeepsTheCatalogueAcrossRebuilds) {
  build_program("program 1");
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(read_file(dest + "/snipvault"), "program 1");
  EXPECT_EQ(read_file(dest + "/CODE.INI"), read_file(kRoot + "/data/CODE.INI"));
  std::string entry = read_file(data_home + "/applications/snipvault.desktop");
  EXPECT_NE(entry.find("Exec=\"" + dest + "/snipvault\""), std::string::npos) << entry;
  EXPECT_TRUE(fs::exists(data_home + "/icons/hicolor/scalable/apps/snipvault.svg"));

  // the user saves a snippet; a rebuild and a second start keep it
  write_file(dest + "/CODE.INI", "[Types]\r\nNAME0=mine\r\nCODE0=x\r\n");
  build_program("program 2");
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(read_file(dest + "/snipvault"), "program 2");
  EXPECT_EQ(read_file(dest + "/CODE.INI"), "[Types]\r\nNAME0=mine\r\nCODE0=x\r\n");

  // so does a build folder deleted and built anew
  fs::remove_all(build);
  build_program("program 3");
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(read_file(dest + "/snipvault"), "program 3");
  EXPECT_EQ(read_file(dest + "/CODE.INI"), "[Types]\r\nNAME0=mine\r\nCODE0=x\r\n");
  EXPECT_FALSE(fs::exists(dest + "/.snipvault.new"));
}

TEST_F(RunCommand, SystemWideInstallCarriesProgramSampleAndDesktopEntry) {
  std::string prefix = dir / "prefix";
  std::string cmd = "cmake --install '" + std::string(TEST_BINARY_DIR) + "' --prefix '" + prefix + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(fs::exists(prefix + "/bin/snipvault"));
  EXPECT_EQ(read_file(prefix + "/share/snipvault/CODE.INI"), read_file(kRoot + "/data/CODE.INI"));
  EXPECT_TRUE(fs::exists(prefix + "/share/applications/snipvault.desktop"));
  EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/scalable/apps/snipvault.svg"));
}

TEST(SampleCatalogue, EveryCategoryHasSnippetsAndOneIsLong) {
  std::string ini = read_file(kRoot + "/data/CODE.INI");
  for (const char* section : {"[Extend_Types]", "[Types]", "[Functions]", "[Subroutines]", "[Constants]", "[INLINE]"})
    EXPECT_NE(ini.find(std::string(section) + "\r\nNAME0="), std::string::npos) << section;
  size_t longest = 0;
  for (size_t at = ini.find("CODE"); at != std::string::npos; at = ini.find("\r\nCODE", at + 1)) {
    size_t end = ini.find("\r\n", at + 2);
    size_t lines = 1;
    for (size_t i = at; i < end; ++i) lines += ini[i] == '|';
    longest = std::max(longest, lines);
  }
  EXPECT_GE(longest, 200u);
}

}  // namespace
