// The line file: loading, the line rules, range checks, numbers, and a
// write-back that keeps every loaded line and never damages the old file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/scratch_dir.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/io/archive.h"
#include "runtime/io/archive_pack.h"
#include "runtime/io/io_exit.h"
#include "runtime/io/line_file.h"
#include "runtime/io/safe_write.h"
#include "runtime/values/errors.h"


namespace {
struct LineFileTest : ::testing::Test {
  ScratchDir dir{"lf"};
  void TearDown() override {
    line_file_write_back();
    line_file_get(TvString(""), 0);  // drop the current file
    resolver_release(general_resolver);
  }
  TvString path(const char* leaf) { return TvString((dir / leaf).c_str()); }
};
}  // namespace

TEST_F(LineFileTest, ReadsLinesWithTheirEndsRemoved) {
  TvString name = path("cfg.txt");
  reset_error_state();
  write_file(name.c_str(), "first\r\n\r\n  spaced  \t\r\n42\n1.5");
  EXPECT_STREQ(line_file_get(name, 0).c_str(), "first");
  EXPECT_STREQ(line_file_get(name, 1).c_str(), "NO_DATA");  // empty line
  EXPECT_STREQ(line_file_get(name, 2).c_str(), "  spaced  ");  // trailing tab gone
  EXPECT_EQ(line_file_get_int(name, 3), 42);
  EXPECT_DOUBLE_EQ(line_file_get_number(name, 4), 1.5);
  EXPECT_STREQ(line_file_get(name, 200).c_str(), "NO_DATA");
  EXPECT_EQ(runtime_error.error_code, 0);
  EXPECT_STREQ(line_file_get(name, 256).c_str(), "NO_DATA");
  EXPECT_EQ(runtime_error.error_code, 7);
  EXPECT_STREQ(line_file_get(path("missing.txt"), 0).c_str(), "NO_FILE");
  EXPECT_EQ(runtime_error.error_code, 3);
}

TEST_F(LineFileTest, LatinOneBytesAtTheEndStay) {
  TvString name = path("latin.txt");
  write_file(name.c_str(), "caf\xe9\r\n");
  EXPECT_STREQ(line_file_get(name, 0).c_str(), "caf\xe9");
}

TEST_F(LineFileTest, PutKeepsLoadedLinesAndWritesBackOnSwitch) {
  TvString name = path("keep.txt");
  write_file(name.c_str(), "a\r\nb\r\nc\r\nd\r\n");
  line_file_put(name, 1, TvString("B"));
  line_file_put(name, 300, TvString("ignored"));
  EXPECT_EQ(runtime_error.error_code, 7);
  line_file_put(name, 6, int32_t(7));
  EXPECT_EQ(read_file(name.c_str()), "a\r\nb\r\nc\r\nd\r\n");  // not yet
  EXPECT_STREQ(line_file_get(path("other.txt"), 0).c_str(), "NO_FILE");  // switch
  EXPECT_EQ(read_file(name.c_str()), "a\r\nB\r\nc\r\nd\r\n\r\n\r\n7\r\n");
  EXPECT_STREQ(line_file_get(name, 1).c_str(), "B");
}

TEST_F(LineFileTest, PutCreatesANewFileAndCutsLongText) {
  TvString name = path("new.txt");
  EXPECT_STREQ(line_file_get(name, 0).c_str(), "NO_FILE");
  line_file_put(name, 0, TvString(std::string(2000, 'z').c_str()));
  line_file_put(name, 2, 2.5);
  EXPECT_EQ(line_file_get(name, 0).length, 1023u);
  ASSERT_TRUE(line_file_write_back());
  EXPECT_EQ(read_file(name.c_str()), std::string(1023, 'z') + "\r\n\r\n2.5\r\n");
  // the program's end writes a changed file back through the I/O exit hooks
  line_file_put(name, 1, TvString("mid"));
  io_run_exit_hooks();
  EXPECT_EQ(read_file(name.c_str()), std::string(1023, 'z') + "\r\nmid\r\n2.5\r\n");
}

TEST_F(LineFileTest, LongLinesAreSplitAndOnlyTheFirst256Load) {
  TvString name = path("long.txt");
  std::string body = std::string(1500, 'x') + "\n";
  for (int i = 0; i < 300; ++i) body += "L" + std::to_string(i) + "\n";
  write_file(name.c_str(), body);
  EXPECT_EQ(line_file_get(name, 0).length, 1023u);
  EXPECT_EQ(line_file_get(name, 1).length, 1500u - 1024u);
  EXPECT_STREQ(line_file_get(name, 2).c_str(), "L0");
  EXPECT_STREQ(line_file_get(name, 255).c_str(), "L253");
}

TEST_F(LineFileTest, FailedWriteBackLeavesTheOldFileAndCanRetry) {
  TvString name = path("safe.txt");
  write_file(name.c_str(), "one\r\ntwo\r\n");
  line_file_put(name, 0, TvString("ONE"));
  safe_write_fail_at(SafeWriteStep::rename);
  EXPECT_FALSE(line_file_write_back());
  EXPECT_EQ(read_file(name.c_str()), "one\r\ntwo\r\n");
  EXPECT_EQ(count_entries(dir.path), 1u);
  EXPECT_TRUE(line_file_write_back());  // still changed: the next try succeeds
  EXPECT_EQ(read_file(name.c_str()), "ONE\r\ntwo\r\n");
}

TEST_F(LineFileTest, LinesFromTheArchiveAreWrittenToDisk) {
  std::string carrier, error;
  ASSERT_TRUE(archive_pack(carrier, {{"packed.txt", "p0\r\np1\r\n"}}, error));
  std::string archive = dir / "carrier";
  write_file(archive, carrier);
  set_archive(TvString(archive.c_str()), TvString(archive.c_str()));
  TvString name = path("packed.txt");
  EXPECT_STREQ(line_file_get(name, 1).c_str(), "p1");
  line_file_put(name, 2, TvString("p2"));
  ASSERT_TRUE(line_file_write_back());
  EXPECT_EQ(read_file(name.c_str()), "p0\r\np1\r\np2\r\n");
  set_archive(TvString(""), TvString(""));
}

TEST_F(LineFileTest, ProgramEndWritesTheChangedFileBack) {
  TvString name = path("atexit.txt");
  write_file(name.c_str(), "before\r\n");
  EXPECT_EXIT(
      {
        line_file_put(name, 0, TvString("after"));
        end_program();
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(read_file(name.c_str()), "after\r\n");
}
