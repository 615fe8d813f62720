// Whole-file replacement: the old file survives every failure untouched,
// permissions and links are kept, no temporary file is left behind.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/support/scratch_dir.h"
#include "runtime/io/safe_write.h"


namespace fs = std::filesystem;

TEST(SafeWrite, ReplacesContentAndLeavesNoTemporaryFile) {
  ScratchDir dir("sw");
  std::string path = dir / "CODE.INI";
  write_file(path, "old content that is longer than the new\r\n");
  ASSERT_TRUE(safe_write_file(path.c_str(), "new\r\n", 5));
  EXPECT_EQ(read_file(path), "new\r\n");
  EXPECT_EQ(count_entries(dir.path), 1u);

  // a file that did not exist yet is created
  std::string fresh = dir / "fresh.txt";
  ASSERT_TRUE(safe_write_file(fresh.c_str(), "x", 1));
  EXPECT_EQ(read_file(fresh), "x");
}

TEST(SafeWrite, StreamingAppendsAcrossTheBufferSize) {
  ScratchDir dir("sw");
  std::string path = dir / "big.txt";
  std::string expect;
  SafeWrite w;
  ASSERT_TRUE(safe_write_begin(w, path.c_str()));
  for (int i = 0; i < 20000; ++i) {
    std::string line = "KEY" + std::to_string(i) + "=value\r\n";
    expect += line;
    safe_write_append(w, line.c_str());
  }
  ASSERT_TRUE(safe_write_commit(w));
  EXPECT_EQ(read_file(path), expect);
}

TEST(SafeWrite, EveryFailingStepKeepsTheOldFileExactly) {
  ScratchDir dir("sw");
  std::string path = dir / "keep.ini";
  const std::string old = "[S]\r\nNAME0=precious\r\n";
  for (SafeWriteStep step : {SafeWriteStep::create, SafeWriteStep::write, SafeWriteStep::sync,
                             SafeWriteStep::rename}) {
    write_file(path, old);
    safe_write_fail_at(step);
    EXPECT_FALSE(safe_write_file(path.c_str(), "broken", 6)) << int(step);
    EXPECT_EQ(read_file(path), old) << int(step);
    EXPECT_EQ(count_entries(dir.path), 1u) << "temporary file left, step " << int(step);
  }
  // the fault fires once; the next write goes through
  EXPECT_TRUE(safe_write_file(path.c_str(), "ok", 2));
  EXPECT_EQ(read_file(path), "ok");
}

TEST(SafeWrite, ReadOnlyFolderLeavesTheOldFile) {
  ScratchDir dir("sw");
  std::string path = dir / "keep.ini";
  write_file(path, "old");
  fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
  if (std::ofstream(dir / "probe").is_open()) {
    fs::permissions(dir.path, fs::perms::owner_all);
    GTEST_SKIP() << "this user writes into read-only folders";
  }
  EXPECT_FALSE(safe_write_file(path.c_str(), "new", 3));
  fs::permissions(dir.path, fs::perms::owner_all);
  EXPECT_EQ(read_file(path), "old");
}

TEST(SafeWrite, MissingFolderFailsCleanly) {
  ScratchDir dir("sw");
  std::string path = dir / "no/such/folder/file.ini";
  EXPECT_FALSE(safe_write_file(path.c_str(), "x", 1));
  EXPECT_FALSE(safe_write_file("", "x", 1));
}

TEST(SafeWrite, KeepsPermissionsAndSymbolicLinks) {
  ScratchDir dir("sw");
  std::string path = dir / "mode.ini";
  write_file(path, "old");
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(path, mode);
  ASSERT_TRUE(safe_write_file(path.c_str(), "new", 3));
  EXPECT_EQ(fs::status(path).permissions(), mode);

  std::string link = dir / "link.ini";
  fs::create_symlink(path, link);
  ASSERT_TRUE(safe_write_file(link.c_str(), "via link", 8));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read_file(path), "via link");

  std::string dangling = dir / "dangling.ini";
  fs::create_symlink(dir / "gone.ini", dangling);
  SafeWrite w;
  EXPECT_FALSE(safe_write_begin(w, dangling.c_str()));
  EXPECT_NE(w.error.find("symbolic link"), std::string::npos) << w.error;
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_FALSE(fs::exists(dir / "gone.ini"));
}

TEST(SafeWrite, RefusesToReplaceAFolder) {
  ScratchDir dir("sw");
  std::string sub = dir / "sub";
  fs::create_directories(sub + "/inner");
  EXPECT_FALSE(safe_write_file(sub.c_str(), "x", 1));
  EXPECT_TRUE(fs::is_directory(sub + "/inner"));
  EXPECT_EQ(count_entries(dir.path), 1u);
}

TEST(SafeWrite, FailureNamesItsReason) {
  ScratchDir dir("sw");
  SafeWrite w;
  std::string missing = dir / "no/folder/x.ini";
  EXPECT_FALSE(safe_write_begin(w, missing.c_str()));
  EXPECT_EQ(w.error, "No such file or directory");
  std::string path = dir / "x.ini";
  safe_write_fail_at(SafeWriteStep::write);
  ASSERT_TRUE(safe_write_begin(w, path.c_str()));
  safe_write_append(w, "x");
  EXPECT_FALSE(safe_write_commit(w));
  EXPECT_FALSE(w.error.empty());
}

// A process killed between creating its temporary file and the rename
// leaves the file; the next write-back of that file deletes it, but never
// the temporary file of a write-back still running, nor other files.
TEST(SafeWrite, DeadWriteBacksTemporaryFilesAreSwept) {
  ScratchDir dir("sw");
  std::string path = dir / "CODE.INI";
  write_file(path, "old");
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    SafeWrite w;
    safe_write_begin(w, path.c_str());
    safe_write_append(w, std::string(100000, 'x').c_str());
    _exit(0);  // dies before the rename, as a killed process would
  }
  int status = 0;
  waitpid(child, &status, 0);
  write_file(dir / ".CODE.INI.snipvault-save-00000000dead0001", "dead");
  // names a user may well give files: never taken for ours
  write_file(dir / "CODE.INI.tmp20240101", "keep");
  write_file(dir / "CODE.INI.tmp0000abcd", "keep");
  write_file(dir / ".CODE.INI.snipvault-save-mine", "keep");
  write_file(dir / ".OTHER.INI.snipvault-save-00000000dead0001", "keep");
  ASSERT_EQ(count_entries(dir.path), 7u);

  SafeWrite running;
  ASSERT_TRUE(safe_write_begin(running, path.c_str()));
  EXPECT_EQ(count_entries(dir.path), 6u);  // the two dead ones gone, its own added
  ASSERT_TRUE(safe_write_file(path.c_str(), "new", 3));
  EXPECT_TRUE(fs::exists(running.temp_path));      // still in use
  safe_write_append(running, "newest");
  ASSERT_TRUE(safe_write_commit(running));
  EXPECT_EQ(read_file(path), "newest");
  EXPECT_EQ(count_entries(dir.path), 5u);
  EXPECT_EQ(read_file(dir / "CODE.INI.tmp20240101"), "keep");
}
