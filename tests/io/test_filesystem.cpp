// Directory, file-test and environment operations against real scratch
// directories.
#include <gtest/gtest.h>

#include "tests/io/platform_test_util.h"
#include "runtime/io/filesystem.h"
#include "runtime/io/memory_files.h"
#include "runtime/values/errors.h"


TEST(CurrentDir, ReadEndsWithSlashAndChangeReportsFailure) {
  CwdGuard keep;
  ScratchDir dir;
  set_error(5);
  EXPECT_EQ(set_current_dir(TvString(dir.str().c_str())), 1);
  EXPECT_EQ(runtime_error.error_code, 0);
  std::string cwd = get_current_dir().c_str();
  EXPECT_EQ(cwd, fs::canonical(dir.path).string() + "/");

  EXPECT_EQ(set_current_dir(TvString((dir / "missing").c_str())), 0);
  EXPECT_EQ(runtime_error.error_code, ERR_NO_SUCH_FILE);
  EXPECT_EQ(std::string(get_current_dir().c_str()), cwd);
  EXPECT_EQ(set_current_dir(TvString("")), 0);

  // the root already ends with its slash
  ASSERT_EQ(set_current_dir(TvString("/")), 1);
  EXPECT_STREQ(get_current_dir().c_str(), "/");
}

TEST(FilterMatch, PatternRules) {
  struct Case {
    const char* name;
    const char* pattern;
    bool match;
  } cases[] = {
      {"Ball.PNG", "*.png", true},   {"ball.png", "*.PNG", true},    {"a.c", "a?c", false},
      {"abc", "a?c", true},          {"anything", "*", true},        {"noext", "*.*", true},
      {"noext", "*.", false},        {"a.txt.bak", "*.txt", false},  {"a.txt.txt", "*.txt", true},
      {"aXbYbZc", "a*b*c", true},    {"aXbYbZd", "a*b*c", false},    {"abc", "a**c", true},
      {"ab", "abc", false},          {"abc", "ab", false},           {"abc", "abc**", true},
      {"xay", "*a", false},          {"ba", "*a", true},             {"\xC4rger.txt", "\xC4*", true},
      {"\xE4rger.txt", "\xC4*", false}, {"", "*", true},             {"", "?", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(filter_match(c.name, c.pattern), c.match) << c.name << " against " << c.pattern;
}

TEST(FileTests, DirectoryFileCreateDelete) {
  ScratchDir dir;
  std::string file = dir / "note.txt";
  write_file(file, "x");
  EXPECT_EQ(is_directory(TvString(dir.str().c_str())), 1);
  EXPECT_EQ(is_directory(TvString(file.c_str())), 0);
  EXPECT_EQ(is_directory(TvString((dir / "missing").c_str())), 0);
  EXPECT_EQ(is_directory(TvString("")), 0);

  std::string sub = dir / "sub";
  EXPECT_EQ(make_dir(TvString(sub.c_str())), 1);
  EXPECT_EQ(is_directory(TvString(sub.c_str())), 1);
  EXPECT_EQ(make_dir(TvString(sub.c_str())), 0);                                 // exists
  EXPECT_EQ(make_dir(TvString((dir / "a/b").c_str())), 0);                       // no parents
  EXPECT_FALSE(fs::exists(dir / "a"));

  EXPECT_EQ(file_delete(TvString(file.c_str())), 1);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(file_delete(TvString(file.c_str())), 0);
  EXPECT_EQ(file_delete(TvString(sub.c_str())), 0);  // directories are not files
  EXPECT_TRUE(fs::is_directory(sub));
}

TEST(FileTests, PathToSlashes) {
  TvString s("C:\\Games\\Tools\\");
  path_to_slashes(s);
  EXPECT_STREQ(s.c_str(), "C:/Games/Tools/");
  EXPECT_EQ(s.length, 15u);
}

TEST(Environment, ReadSetRemoveAndList) {
  EnvGuard clear("SV_TEST_VAR", nullptr);
  EXPECT_STREQ(get_env(TvString("SV_TEST_VAR")).c_str(), "");

  put_env(TvString("SV_TEST_VAR"), TvString("a=b c"));
  EXPECT_STREQ(get_env(TvString("SV_TEST_VAR")).c_str(), "a=b c");
  std::string all = get_env(TvString("")).c_str();
  EXPECT_NE(all.find("SV_TEST_VAR=a=b c\n"), std::string::npos);
  EXPECT_EQ(all.back(), '\n');

  put_env(TvString("SV_TEST_VAR"), TvString(""));
  EXPECT_STREQ(get_env(TvString("SV_TEST_VAR")).c_str(), "");
  all = get_env(TvString("")).c_str();
  EXPECT_EQ(all.find("SV_TEST_VAR="), std::string::npos);

  // names the platform refuses change nothing
  put_env(TvString(""), TvString("x"));
  put_env(TvString("A=B"), TvString("x"));
  EXPECT_STREQ(get_env(TvString("A")).c_str(), "");
}

TEST(ListDirectory, DirectoriesFirstThenMatchingFilesSorted) {
  CwdGuard keep;
  ScratchDir dir;
  write_file(dir / "b.TXT", "1");
  write_file(dir / "A.txt", "2");
  write_file(dir / "c.png", "3");
  write_file(dir / "notes", "4");
  fs::create_directory(dir / "Data");
  fs::create_directory(dir / "apps");
  fs::create_directory_symlink(dir / "Data", dir / "zlink");  // a link to a directory is one
  ASSERT_EQ(set_current_dir(TvString(dir.str().c_str())), 1);

  TvStringArray names;
  array_push(names, TvString("stale"));
  EXPECT_EQ(list_directory(TvString("*.txt"), names), 2 + 5 * 65536);
  std::vector<std::string> got;
  for (int32_t i = 0; i < array_total(names); ++i) got.push_back(names(i).c_str());
  EXPECT_EQ(got, (std::vector<std::string>{".", "..", "apps", "Data", "zlink", "A.txt", "b.TXT"}));
  EXPECT_EQ(names.dimensions, 1);

  EXPECT_EQ(list_directory(TvString("*.*"), names), 4 + 5 * 65536);
  EXPECT_EQ(list_directory(TvString("*.gif"), names), 5 * 65536);
  EXPECT_EQ(array_total(names), 5);
}

TEST(ListDirectory, UnreadableDirectoryGivesNothing) {
  CwdGuard keep;
  ScratchDir dir;
  fs::create_directory(dir / "gone");
  ASSERT_EQ(set_current_dir(TvString((dir / "gone").c_str())), 1);
  fs::remove(dir / "gone");  // the current directory no longer exists: not even "." is left
  TvStringArray names;
  array_push(names, TvString("stale"));
  EXPECT_EQ(list_directory(TvString("*"), names), 0);
  EXPECT_EQ(array_total(names), 0);
}

TEST(FileTests, FileExistsOnDiskAndInMemory) {
  ScratchDir dir;
  std::string file = dir / "a.txt";
  write_file(file, "");
  EXPECT_EQ(file_exists(TvString(file.c_str())), 1);  // empty files count
  EXPECT_EQ(file_exists(TvString((dir / "b.txt").c_str())), 0);
  EXPECT_EQ(file_exists(TvString(dir.str().c_str())), 0);  // a directory is no file
  EXPECT_EQ(file_exists(TvString("")), 0);

  MemoryBlock* block = memory_block_new(4);
  ASSERT_NE(block, nullptr);
  TvString name = memory_file_name(block);
  EXPECT_EQ(file_exists(name), 1);
  memory_block_release(block);
  EXPECT_EQ(file_exists(name), 0);
  EXPECT_EQ(file_exists(TvString("mem://00000004.7fffffff")), 0);
}
