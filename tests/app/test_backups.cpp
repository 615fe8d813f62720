// The run's dated copy of the catalogue: made once before the first change,
// pruned to the newest copies, and a copy that cannot be made logged once
// without stopping anything.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/backups.h"
#include "runtime/platform/log.h"
#include "tests/support/scratch_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> names_in(const std::string& dir) {
  std::vector<std::string> out;
  for (auto& e : fs::directory_iterator(dir)) out.push_back(e.path().filename().string());
  std::sort(out.begin(), out.end());
  return out;
}

TEST(Backups, TheFirstChangeOfARunKeepsTheFileAsItWasOnce) {
  ScratchDir dir("backups");
  std::string ini = dir / "CODE.INI";
  Backups none;
  backup_before_change(none, ini.c_str());  // no catalogue yet: nothing to keep
  EXPECT_FALSE(fs::exists(dir / "backups"));

  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=A\r\n");
  Backups b;
  backup_before_change(b, ini.c_str());
  write_file(ini, "changed");
  backup_before_change(b, ini.c_str());  // later changes of the run: no copy
  std::vector<std::string> made = names_in(dir / "backups");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(std::string(b.made.c_str()), dir / ("backups/" + made[0]));
  EXPECT_EQ(read_file(b.made.c_str()), "[Types]\r\nNAME0=a\r\nCODE0=A\r\n");
  EXPECT_EQ(std::string(backup_file_name(ini.c_str(), {2026, 1, 2, 3, 4, 5}).c_str()), "CODE-2026-01-02_03-04-05.INI");
  // a second run in the same second gets its own name
  Backups again;
  backup_before_change(again, ini.c_str());
  EXPECT_EQ(names_in(dir / "backups").size(), 2u);
}

TEST(Backups, OnlyTheNewestCopiesStayAndOtherFilesAreLeftAlone) {
  ScratchDir dir("backups");
  std::string ini = dir / "CODE.INI";
  write_file(ini, "now");
  fs::create_directories(dir / "backups");
  for (int day = 1; day <= 25; ++day)
    write_file(dir / ("backups/" + std::string(backup_file_name(ini.c_str(), {2020, 5, day, 9, 0, 0}).c_str())), "old");
  for (const char* other : {"notes.txt", "CODE-mine.INI", "CODE-2020-05-01_09-00-00.bak"})
    write_file(dir / ("backups/" + std::string(other)), "keep");
  Backups b;
  b.keep = 20;
  backup_before_change(b, ini.c_str());
  std::vector<std::string> left = names_in(dir / "backups");
  int copies = 0;
  for (const std::string& n : left) copies += n.rfind("CODE-20", 0) == 0 && n.size() == 28 && n.find(".INI") == 24;
  EXPECT_EQ(copies, 20);
  EXPECT_FALSE(fs::exists(dir / "backups/CODE-2020-05-06_09-00-00.INI"));  // the six oldest went
  EXPECT_TRUE(fs::exists(dir / "backups/CODE-2020-05-07_09-00-00.INI"));
  EXPECT_TRUE(fs::exists(b.made.c_str()));
  for (const char* other : {"notes.txt", "CODE-mine.INI", "CODE-2020-05-01_09-00-00.bak"})
    EXPECT_TRUE(fs::exists(dir / ("backups/" + std::string(other)))) << other;
}

TEST(Backups, ACopyThatCannotBeMadeIsLoggedOnce) {
  ScratchDir dir("backups");
  std::string ini = dir / "CODE.INI";
  write_file(ini, "now");
  write_file(dir / "backups", "a file where the folder should be");
  auto mentions = [&] {
    std::string log = read_file(error_log_path());
    size_t n = 0;
    for (size_t at = log.find("No backup of " + ini); at != std::string::npos; at = log.find("No backup of " + ini, at + 1)) ++n;
    return n;
  };
  size_t before = mentions();
  Backups b;
  backup_before_change(b, ini.c_str());
  backup_before_change(b, ini.c_str());
  EXPECT_EQ(mentions(), before + 1);
  EXPECT_TRUE(b.made.empty());
  EXPECT_EQ(read_file(ini), "now");
}

}  // namespace
