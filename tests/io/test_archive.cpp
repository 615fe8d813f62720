// The packed archive: lookups by base name, memory and temporary-file
// results and their release, and an archive reader that refuses every kind
// of damaged or hostile archive without reading outside the file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_dir.h"
#include "runtime/io/archive.h"
#include "runtime/io/archive_pack.h"
#include "runtime/io/file_channels.h"
#include "runtime/io/memory_files.h"


namespace {

uint32_t le32(const std::string& s, size_t at) {
  auto b = [&](size_t i) { return uint32_t((unsigned char)s[at + i]); };
  return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}
void set_le32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char(v >> (8 * i));
}

std::string pattern(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = char((i * 31 + seed) % 7 == 0 ? 'a' + (i % 26) : 'q');
  return s;
}

struct ArchiveTest : ::testing::Test {
  ScratchDir dir{"ar"};
  std::string archive = dir / "carrier.exe";
  std::string ball = pattern(5000, 1);
  std::string level = pattern(300, 2);

  std::string build(const std::string& prefix = "EXECUTABLE BYTES") {
    std::string bytes = prefix, error;
    EXPECT_TRUE(archive_pack(bytes, {{"ball.png", ball}, {"Level1.txt", level}, {"empty", ""}},
                             error))
        << error;
    return bytes;
  }
  void use(const std::string& bytes) {
    write_file(archive, bytes);
    set_archive(TvString(archive.c_str()), TvString(archive.c_str()));
  }
  // Reads a whole memory or disk file back through a channel.
  std::string contents(const TvString& name) {
    FileStream s;
    if (!stream_open_read(s, name.c_str())) return "<cannot open>";
    std::string out(size_t(s.size), '\0');
    stream_read(s, out.data(), s.size);
    stream_close(s);
    return out;
  }
  void TearDown() override {
    resolver_release(general_resolver);
    resolver_release(program_resolver);
    EXPECT_EQ(memory_block_count(), 0);
  }
};

}  // namespace

TEST_F(ArchiveTest, FindsEntriesByBaseNameIgnoringCase) {
  use(build());
  TvString dest;
  ASSERT_TRUE(resolve_file(general_resolver, "gfx/Ball.png", dest, true));
  char expect[16];
  std::snprintf(expect, sizeof expect, "mem://%8x.", unsigned(ball.size()));
  EXPECT_EQ(std::string(dest.c_str(), 15), expect);
  EXPECT_EQ(contents(dest), ball);

  ASSERT_TRUE(resolve_file(program_resolver, "data\\LEVEL1.TXT", dest, true));
  EXPECT_EQ(contents(dest), level);
  ASSERT_TRUE(resolve_file(program_resolver, "empty", dest, true));
  EXPECT_EQ(contents(dest), "");
  EXPECT_FALSE(resolve_file(general_resolver, "gfx/none.png", dest, true));
  EXPECT_FALSE(resolve_file(general_resolver, "", dest, true));
}

TEST_F(ArchiveTest, DiskFilesComeFirstAndNamesAreHandedBackUnchanged) {
  use(build());
  std::string on_disk = dir / "ball.png";
  write_file(on_disk, "disk");
  TvString dest;
  ASSERT_TRUE(resolve_file(general_resolver, on_disk.c_str(), dest, true));
  EXPECT_STREQ(dest.c_str(), on_disk.c_str());
  // the destination may be the very string that holds the name
  TvString same(on_disk.c_str());
  ASSERT_TRUE(resolve_file(general_resolver, same, same, true));
  EXPECT_STREQ(same.c_str(), on_disk.c_str());
}

TEST_F(ArchiveTest, ResultsLiveUntilTheNextResolve) {
  use(build());
  TvString first, second;
  ASSERT_TRUE(resolve_file(general_resolver, "ball.png", first, true));
  EXPECT_EQ(memory_block_count(), 1);
  // opening the handed-out name goes through the same resolver and must not
  // free it; a channel still reading keeps its bytes after the next resolve
  ASSERT_TRUE(file_open(0, first, 1));
  ASSERT_TRUE(resolve_file(general_resolver, "ball.png", second, false));
  EXPECT_EQ(memory_block_count(), 0);
  EXPECT_EQ(file_size(first), 0);  // the old name no longer works
  EXPECT_EQ(file_read_bytes(0, 5000).length, 5000u);
  file_close(0);

  // temporary file: "sbx", two letters, the entry's own name
  std::string temp = second.c_str();
  EXPECT_EQ(std::filesystem::path(temp).parent_path(), std::filesystem::temp_directory_path());
  std::string leaf = std::filesystem::path(temp).filename().string();
  ASSERT_EQ(leaf.size(), 13u);
  EXPECT_EQ(leaf.substr(0, 3), "sbx");
  EXPECT_EQ(leaf.substr(5), "ball.png");
  EXPECT_EQ(read_file(temp), ball);
  ASSERT_TRUE(resolve_file(general_resolver, "Level1.txt", first, true));
  EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST_F(ArchiveTest, ExtendingAnArchiveKeepsOldEntriesAndNewestWins) {
  std::string bytes = build(), error;
  // 4 MB of zeros packs at the best ratio the format has and must still unpack
  const std::string zeros(4u << 20, '\0');
  ASSERT_TRUE(archive_pack(bytes, {{"BALL.PNG", "new ball"}, {"extra", "x"}, {"zeros", zeros}},
                           error));
  use(bytes);
  TvString dest;
  ASSERT_TRUE(resolve_file(general_resolver, "ball.png", dest, true));
  EXPECT_EQ(contents(dest), "new ball");
  ASSERT_TRUE(resolve_file(general_resolver, "level1.txt", dest, true));
  EXPECT_EQ(contents(dest), level);
  ASSERT_TRUE(resolve_file(general_resolver, "extra", dest, true));
  EXPECT_EQ(contents(dest), "x");
  ASSERT_TRUE(resolve_file(general_resolver, "zeros", dest, true));
  EXPECT_EQ(contents(dest), zeros);
  EXPECT_FALSE(archive_pack(bytes, {{"a/b", "x"}}, error));
  EXPECT_FALSE(archive_pack(bytes, {{std::string(256, 'n'), "x"}}, error));
}

TEST_F(ArchiveTest, PackingToolAppendsToAFile) {
  std::string tool = std::string(TEST_BINARY_DIR) + "/tvpack";
  if (!std::filesystem::exists(tool)) GTEST_SKIP() << "tvpack not built";
  std::string input = dir / "Song.txt";
  write_file(input, level);
  write_file(archive, "PROGRAM");
  std::string cmd = tool + " '" + archive + "' '" + input + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(read_file(archive).substr(0, 7), "PROGRAM");
  set_archive(TvString(archive.c_str()), TvString(""));
  TvString dest;
  ASSERT_TRUE(resolve_file(general_resolver, "song.TXT", dest, true));
  EXPECT_EQ(contents(dest), level);
  EXPECT_FALSE(resolve_file(program_resolver, "song.TXT", dest, true));  // no name set
}

TEST_F(ArchiveTest, WrongMagicSwitchesTheArchiveOff) {
  std::string bytes = build();
  bytes[bytes.size() - 7] = 'S';
  use(bytes);
  TvString dest;
  EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true));
  EXPECT_FALSE(general_resolver.enabled);
  use(build());
  EXPECT_TRUE(resolve_file(general_resolver, "ball.png", dest, true));
}

TEST_F(ArchiveTest, EveryTruncationFailsCleanly) {
  std::string bytes = build("");
  TvString dest;
  for (size_t cut = 0; cut < bytes.size(); cut += (cut < 64 || bytes.size() - cut < 128) ? 1 : 37) {
    use(bytes.substr(0, cut));
    EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true)) << cut;
  }
  // the directory cut short while the trailer survives
  std::string cut_dir = bytes.substr(0, bytes.size() - 12) + bytes.substr(bytes.size() - 7);
  use(cut_dir);
  EXPECT_FALSE(resolve_file(general_resolver, "empty", dest, true));
}

TEST_F(ArchiveTest, OffsetsAndSizesBeyondTheFileAreRefused) {
  const std::string good = build("");
  const size_t n = good.size();
  const size_t dir_at = size_t(int64_t(n) + int32_t(le32(good, n - 4)));
  // ball.png is the first directory entry: length, 8 name bytes, offset, size
  const size_t off_at = dir_at + 1 + 8, size_at = off_at + 4;
  TvString dest;
  auto refused = [&](std::string bytes, const char* why) {
    use(bytes);
    EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true)) << why;
  };
  std::string b = good;
  set_le32(b, n - 4, uint32_t(n));  // directory at the end of the file
  refused(b, "directory offset past the end");
  b = good;
  set_le32(b, n - 4, uint32_t(-int32_t(n) - 1));
  refused(b, "directory offset before the start");
  b = good;
  set_le32(b, n - 4, 0x7fffffff);
  refused(b, "huge directory offset");
  b = good;
  set_le32(b, off_at, uint32_t(n));
  refused(b, "data offset past the end");
  b = good;
  set_le32(b, off_at, uint32_t(-int32_t(n) - 100));
  refused(b, "data offset before the start");
  b = good;
  set_le32(b, size_at, 0xffffffffu);
  refused(b, "data size past the end");
  b = good;
  set_le32(b, size_at, 3);
  refused(b, "data too short for its unpacked size");
  b = good;
  b[dir_at] = char(250);
  refused(b, "name length running past the end");
}

TEST_F(ArchiveTest, CorruptOrOversizedDataFailsTheResolve) {
  const std::string good = build("");
  TvString dest;
  // ball.png's data starts the file: 4 bytes unpacked size, then LZO data
  std::string b = good;
  for (size_t i = 4; i < 40; ++i) b[i] = char(0xff);
  use(b);
  EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true));

  b = good;
  set_le32(b, 0, uint32_t(ball.size() + 1));  // decodes shorter than promised
  use(b);
  EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true));
  b = good;
  set_le32(b, 0, uint32_t(ball.size() - 1));  // decodes longer than promised
  use(b);
  EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true));
  for (uint32_t huge : {0x7fffffffu, 0x80000000u, 0xffffffffu, 0x40000000u}) {
    b = good;
    set_le32(b, 0, huge);  // more than any packed data of this size can hold
    use(b);
    EXPECT_FALSE(resolve_file(general_resolver, "ball.png", dest, true)) << huge;
  }
  EXPECT_EQ(memory_block_count(), 0);
}

TEST_F(ArchiveTest, ArchiveInsideAMemoryFile) {
  std::string bytes = build();
  MemoryBlock* block = memory_block_new(int32_t(bytes.size()));
  bytes.copy(block->bytes, bytes.size());
  TvString name = memory_file_name(block);
  set_archive(name, name);
  TvString dest;
  ASSERT_TRUE(resolve_file(general_resolver, "level1.txt", dest, true));
  EXPECT_EQ(contents(dest), level);
  memory_block_release(block);
}
