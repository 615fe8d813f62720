// File channels: typed round trips, line reading rules, seeking, the fatal
// paths (bad channel, reading past the end, writing where nothing can be
// written) and memory files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/scratch_dir.h"
#include "runtime/io/file_channels.h"
#include "runtime/io/memory_files.h"
#include "runtime/values/errors.h"


namespace {

// Death tests read the error code the program ended with from stderr.
void print_error_code() { std::fprintf(stderr, "ended with code %d\n", runtime_error.error_code); }
void arm_code_report() { std::atexit(print_error_code); }

// Memory block holding `bytes`, listed under a "mem://" name.
MemoryBlock* memory_file(const std::string& bytes, TvString& name) {
  MemoryBlock* b = memory_block_new(int32_t(bytes.size()));
  bytes.copy(b->bytes, bytes.size());
  name = memory_file_name(b);
  return b;
}

struct ChannelTest : ::testing::Test {
  ScratchDir dir{"ch"};
  void TearDown() override {
    for (int c = 0; c < kChannelCount; ++c) file_close(c);
  }
};

}  // namespace

TEST_F(ChannelTest, TypedValuesRoundTripLittleEndian) {
  std::string path = dir / "typed.bin";
  ASSERT_TRUE(file_open(0, path.c_str(), 0));
  file_write_int8(0, -5);
  file_write_uint8(0, 0x1ff);  // low 8 bits
  file_write_int16(0, -12345);
  file_write_uint16(0, 0x12345);
  file_write_int32(0, -123456789);
  file_write_single(0, 1.5);
  file_write_double(0, -2.25e100);
  file_write_bytes(0, TvString("raw"));
  file_write_line(0, TvString("a line"));
  file_close(0);

  std::string bytes = read_file(path);
  ASSERT_EQ(bytes.size(), 1u + 1 + 2 + 2 + 4 + 4 + 8 + 3 + 8);
  EXPECT_EQ((unsigned char)bytes[2], 0xc7);  // -12345 = 0xcfc7, low byte first
  EXPECT_EQ(bytes.substr(22), "rawa line\r\n");

  ASSERT_TRUE(file_open(1, path.c_str(), 1));
  EXPECT_EQ(file_read_int8(1), -5);
  EXPECT_EQ(file_read_uint8(1), 255);
  EXPECT_EQ(file_read_int16(1), -12345);
  EXPECT_EQ(file_read_uint16(1), 0x2345);
  EXPECT_EQ(file_read_int32(1), -123456789);
  EXPECT_EQ(file_read_single(1), 1.5);
  EXPECT_EQ(file_read_double(1), -2.25e100);
  EXPECT_STREQ(file_read_bytes(1, 3).c_str(), "raw");
  EXPECT_EQ(file_read_bytes(1, 0).length, 0u);
  EXPECT_STREQ(file_read_line(1).c_str(), "a line");
  EXPECT_TRUE(file_at_end(1));
}

TEST_F(ChannelTest, LineRules) {
  std::string path = dir / "lines.txt";
  std::string long_line(1500, 'x');
  const char head[] = "one\r\n\r\nmid\rdle\nzero\0tail\n";
  write_file(path, std::string(head, sizeof head - 1) + long_line + "\nlast");
  ASSERT_TRUE(file_open(2, path.c_str(), 1));
  EXPECT_STREQ(file_read_line(2).c_str(), "one");
  EXPECT_EQ(file_read_line(2).length, 0u);  // CR LF alone
  EXPECT_STREQ(file_read_line(2).c_str(), "mid\rdle");
  TvString z = file_read_line(2);
  EXPECT_EQ(z.length, 4u);  // cut at the zero byte
  EXPECT_EQ(file_read_line(2).length, 1024u);
  // the rest of a long line comes next, and the position sits after each LF
  EXPECT_EQ(file_read_line(2).length, 1500u - 1024u);
  EXPECT_STREQ(file_read_line(2).c_str(), "last");  // no final LF
  EXPECT_TRUE(file_at_end(2));
}

TEST_F(ChannelTest, LineReadLeavesPositionRightAfterTheLineEnd) {
  std::string path = dir / "pos.txt";
  std::string first(100, 'a');
  write_file(path, first + "\nXYZW");
  ASSERT_TRUE(file_open(0, path.c_str(), 1));
  file_read_line(0);
  EXPECT_EQ(file_position(0), 101);
  EXPECT_EQ(file_read_uint8(0), 'X');
}

TEST_F(ChannelTest, ReadsOnAWriteChannelSeeWhatWasJustWritten) {
  std::string path = dir / "rw.bin";
  ASSERT_TRUE(file_open(0, path.c_str(), 0));
  file_write_line(0, TvString("alpha"));
  file_seek(0, 0, 0);
  EXPECT_STREQ(file_read_line(0).c_str(), "alpha");  // fills the read-ahead
  file_seek(0, 0, 0);
  file_write_bytes(0, TvString("ALP"));
  file_seek(0, 0, 0);
  EXPECT_STREQ(file_read_line(0).c_str(), "ALPha");
  file_write_int32(0, 0x01020304);  // past the old end
  file_seek(0, -4, -1);
  EXPECT_EQ(file_read_int32(0), 0x01020304);
}

TEST_F(ChannelTest, NumbersAsTextLines) {
  std::string path = dir / "numbers.txt";
  ASSERT_TRUE(file_open(0, path.c_str(), 0));
  file_write_line_int(0, -42);
  file_write_line_number(0, 0.5);
  file_close(0);
  EXPECT_EQ(read_file(path), "-42\r\n0.5\r\n");
  ASSERT_TRUE(file_open(0, path.c_str(), 1));
  EXPECT_EQ(file_read_line_int(0), -42);
  EXPECT_EQ(file_read_line_number(0), 0.5);
}

TEST_F(ChannelTest, SeekOrigins) {
  std::string path = dir / "ten.bin";
  write_file(path, "0123456789");
  ASSERT_TRUE(file_open(3, path.c_str(), 1));
  file_seek(3, -4, -1);
  EXPECT_EQ(file_position(3), 6);
  EXPECT_EQ(file_read_uint8(3), '6');
  file_seek(3, 2, 1);
  EXPECT_EQ(file_read_uint8(3), '9');
  file_seek(3, 1, 0);
  EXPECT_EQ(file_read_uint8(3), '1');
}

TEST_F(ChannelTest, AppendAndFreeChannel) {
  std::string path = dir / "app.txt";
  write_file(path, "start\r\n");
  EXPECT_EQ(free_channel(), 0);
  ASSERT_TRUE(file_open(0, path.c_str(), -1));
  EXPECT_EQ(free_channel(), 1);
  file_write_line(0, TvString("more"));
  file_close(0);
  EXPECT_EQ(read_file(path), "start\r\nmore\r\n");
  for (int c = 0; c < kChannelCount; ++c) ASSERT_TRUE(file_open(c, path.c_str(), 1));
  EXPECT_EQ(free_channel(), -1);
}

TEST_F(ChannelTest, FailedOpensSetCodeThreeAndGoOn) {
  EXPECT_FALSE(file_open(0, (dir / "missing").c_str(), 1));
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_FALSE(file_open(0, dir.path.c_str(), 1));  // a folder is not a file
  TvString name;
  MemoryBlock* b = memory_file("data", name);
  EXPECT_FALSE(file_open(0, name, 0));
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_FALSE(file_open(0, name, -1));
  EXPECT_TRUE(file_open(0, name, 1));
  EXPECT_EQ(runtime_error.error_code, 0);
  memory_block_release(b);
}

TEST_F(ChannelTest, MemoryFilesReadLikeFilesAndOutliveTheirMaker) {
  TvString name;
  MemoryBlock* b = memory_file("ab\r\ncd", name);
  EXPECT_EQ(name.length, 23u);
  EXPECT_EQ(std::string(name.c_str(), 14), "mem://       6");
  EXPECT_EQ(file_size(name), 6);
  ASSERT_TRUE(file_open(0, name, 1));
  // the maker lets go; the open channel still holds the block
  memory_block_release(b);
  EXPECT_EQ(file_size(name), 0);
  EXPECT_STREQ(file_read_line(0).c_str(), "ab");
  EXPECT_STREQ(file_read_line(0).c_str(), "cd");
  EXPECT_TRUE(file_at_end(0));
}

TEST_F(ChannelTest, ForgedMemoryNamesAreNotFiles) {
  TvString name;
  MemoryBlock* b = memory_file("0123456789", name);
  char forged[64];
  // a size larger than the block, an unknown identifier, an address-like one
  std::snprintf(forged, sizeof forged, "mem://%8x.%8x", 0x7fffffffu, unsigned(b->id));
  EXPECT_EQ(file_size(TvString(forged)), 0);
  std::snprintf(forged, sizeof forged, "mem://%8x.%8x", 4u, unsigned(b->id + 1000));
  EXPECT_FALSE(file_open(0, forged, 1));
  EXPECT_FALSE(file_open(0, "mem://      10.deadbeef", 1));
  EXPECT_FALSE(file_open(0, "mem://10.1", 1));
  EXPECT_FALSE(file_open(0, "mem://       a.  zz    ", 1));
  // a smaller size is a view of the block's start
  std::snprintf(forged, sizeof forged, "mem://%8x.%8x", 4u, unsigned(b->id));
  EXPECT_EQ(file_size(TvString(forged)), 4);
  memory_block_release(b);
  EXPECT_EQ(memory_block_count(), 0);
}

TEST_F(ChannelTest, CopyFromMemoryAndDisk) {
  TvString name;
  MemoryBlock* b = memory_file(std::string("bin\0ary", 7), name);
  std::string dst = dir / "copy.bin";
  write_file(dst, "old");
  EXPECT_TRUE(file_copy(name, TvString(dst.c_str())));
  EXPECT_EQ(read_file(dst), std::string("bin\0ary", 7));
  std::string dst2 = dir / "copy2.bin";
  EXPECT_TRUE(file_copy(TvString(dst.c_str()), TvString(dst2.c_str())));
  EXPECT_EQ(read_file(dst2), std::string("bin\0ary", 7));
  EXPECT_FALSE(file_copy(TvString(dst.c_str()), name));
  EXPECT_FALSE(file_copy(TvString((dir / "none").c_str()), TvString(dst2.c_str())));
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(read_file(dst2), std::string("bin\0ary", 7));
  memory_block_release(b);
  EXPECT_EQ(file_size(TvString((dir / "none").c_str())), 0);
}

using ChannelDeathTest = ChannelTest;

TEST_F(ChannelDeathTest, BadChannelEndsWithSeven) {
  EXPECT_EXIT((arm_code_report(), file_open(8, "x", 1)), ::testing::ExitedWithCode(0),
              "ended with code 7");
  EXPECT_EXIT((arm_code_report(), file_read_int8(-1)), ::testing::ExitedWithCode(0),
              "ended with code 7");
}

TEST_F(ChannelDeathTest, ReadingPastTheEndEndsWithThree) {
  std::string path = dir / "short.bin";
  write_file(path, "abc");
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, path.c_str(), 1);
        file_read_line(0);
        file_read_line(0);
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, path.c_str(), 1);
        file_read_int32(0);
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
  // a seek before the start is no way around the check
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, path.c_str(), 1);
        file_seek(0, -100, 0);
        file_read_uint8(0);
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
}

TEST_F(ChannelDeathTest, MemoryFileReadsStayInsideTheBlock) {
  TvString name;
  MemoryBlock* b = memory_file("12345678", name);
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, name, 1);
        file_seek(0, 6, 0);
        file_read_int32(0);
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, name, 1);
        file_seek(0, -1000, 1);
        file_read_bytes(0, 4);
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
  EXPECT_EXIT(
      {
        arm_code_report();
        file_open(0, name, 1);
        file_write_int8(0, 1);  // memory files are read-only
      },
      ::testing::ExitedWithCode(0), "ended with code 3");
  memory_block_release(b);
}

TEST_F(ChannelDeathTest, NothingOpenEndsWithThree) {
  EXPECT_EXIT((arm_code_report(), file_read_line(5)), ::testing::ExitedWithCode(0),
              "ended with code 3");
  EXPECT_EXIT((arm_code_report(), file_write_line(5, TvString("x"))),
              ::testing::ExitedWithCode(0), "ended with code 3");
}
