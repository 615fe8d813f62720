// The catalogue against real CODE.INI files in a scratch folder.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/catalogue.h"
#include "app/catalogue_place.h"
#include "runtime/io/ini.h"
#include "runtime/io/safe_write.h"
#include "runtime/platform/platform_files.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

struct CatalogueFolder : ::testing::Test {
  ScratchDir dir{"cat"};
  std::string ini = dir / "CODE.INI";
  SnippetArray snippets;

  void SetUp() override { catalogue_path = ini.c_str(); }
  void TearDown() override { catalogue_path = "CODE.INI"; }

  std::string names() {
    std::string s;
    for (int32_t i = 0; i < snippets.size1; ++i) s += std::string(snippets(i).name.c_str()) + ";";
    return s;
  }
  static Snippet make(const char* name, const char* code) {
    Snippet s;
    s.name = name;
    s.description = "d";
    s.author = "me";
    s.code = code;
    return s;
  }
  SaveOutcome save(const char* category, const Snippet& s) {
    return save_snippet(category, snippets, s, encode_code(s.code));
  }
  size_t files_in_folder() { return count_entries(dir.path); }
};

TEST(CatalogueText, StoreLoadAndPasteTransforms) {
  EXPECT_EQ(std::string(encode_code("a\tb\n").c_str()), "a    b|");
  EXPECT_EQ(std::string(encode_code("x\r\ny\rz").c_str()), "x||y|z");
  EXPECT_EQ(std::string(decode_code("a    b|  c|").c_str()), "a    b\n  c\n");
  // desktop text: CR LF, lone CR and lone LF are one line break each
  EXPECT_EQ(std::string(paste_text("a\r\nb\nc\rd\r\n\r\ne\tf").c_str()), "a\nb\nc\nd\n\ne    f");
  EXPECT_EQ(std::string(paste_text("").c_str()), "");
}

TEST(CatalogueText, CategoriesAndSections) {
  TvStringArray c;
  categories(c);
  ASSERT_EQ(c.size1, kCategoryCount);
  EXPECT_STREQ(c(0).c_str(), "Extend Types");
  EXPECT_STREQ(c(5).c_str(), "INLINE");
  EXPECT_STREQ(section_name(c(0)).c_str(), "Extend_Types");
  EXPECT_STREQ(section_name("a b c").c_str(), "a_b_c");
}

TEST_F(CatalogueFolder, LoadingStopsAtAGapSkipsMissingCodeAndSorts) {
  write_file(ini,
              "[Types]\r\nNAME0=beta\r\nCODE0=b\r\nNAME1=alpha\r\nCODE1=x|  y\r\n"
              "NAME2=Alpha\r\nNAME3=NO_DATA\r\nCODE3=n\r\nNAME4=Zed\r\nCODE4=z\r\nAUTHOR4=Ann\r\n"
              "NAME6=hidden\r\nCODE6=h\r\n"
              "[Functions]\r\nNAME0=f\r\nCODE0=c\r\n");
  TvString list = load_category("Types", snippets);
  // Alpha has no code (skipped); NO_DATA is a name like any other; 6 is past the gap at 5
  EXPECT_STREQ(list.c_str(), "NO_DATA|Zed|alpha|beta");
  EXPECT_EQ(names(), "NO_DATA;Zed;alpha;beta;");
  EXPECT_STREQ(snippets(1).author.c_str(), "Ann");
  EXPECT_STREQ(snippets(0).author.c_str(), "-----");
  EXPECT_STREQ(snippets(0).description.c_str(), "-----");
  EXPECT_STREQ(snippets(2).code.c_str(), "x\n  y");  // blanks after a stored break survive

  EXPECT_STREQ(load_category("Constants", snippets).c_str(), "");
  EXPECT_EQ(snippets.size1, 0);
  fs::remove(ini);
  EXPECT_STREQ(load_category("Functions", snippets).c_str(), "");
}

TEST_F(CatalogueFolder, NamesSortByteWiseAndABarInANameStaysOneItem) {
  write_file(ini,
              "[INLINE]\r\nNAME0=beta\r\nCODE0=1\r\nNAME1=alpha\r\nCODE1=2\r\nNAME2=Alpha\r\nCODE2=3\r\n"
              "NAME3=alphabet\r\nCODE3=4\r\nNAME4=a|b\r\nCODE4=5\r\nNAME5=\xE9t\xE9\r\nCODE5=6\r\n");
  EXPECT_STREQ(load_category("INLINE", snippets).c_str(), "Alpha|alpha|alphabet|a/b|beta|\xE9t\xE9");
  EXPECT_STREQ(snippets(3).name.c_str(), "a|b");
}

TEST_F(CatalogueFolder, SavedSnippetsLoadBackExactly) {
  std::string big = "FUNCTION big:\n";  // (blanks opening the first line are not kept by the file)
  for (int i = 0; big.size() < 100 * 1024; ++i)
    big += "    line " + std::to_string(i) + " = a + b ; \"quoted\" [x]\n";
  Snippet first = make("zeta", "a\tb\n");
  first.description = "";  // an empty value never reaches the file: reads back as "-----"
  ASSERT_TRUE(save("Extend Types", first).saved);
  ASSERT_TRUE(save("Extend Types", make("big", big.c_str())).saved);
  SaveOutcome o = save("Extend Types", make("Mid", "INLINE\n  }\n\n  x\nENDINLINE"));
  ASSERT_TRUE(o.saved);
  EXPECT_STREQ(o.list_text.c_str(), "Mid|big|zeta");

  std::string file = read_file(ini);
  EXPECT_NE(file.find("[Extend_Types]\r\nNAME0=zeta\r\nAUTHOR0=me\r\nCODE0=a    b|\r\nNAME1=big\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("CODE2=INLINE|  }||  x|ENDINLINE\r\n"), std::string::npos);

  SnippetArray again;
  EXPECT_STREQ(load_category("Extend Types", again).c_str(), "Mid|big|zeta");
  EXPECT_TRUE(std::string(again(1).code.c_str()) == big);
  EXPECT_STREQ(again(2).code.c_str(), "a    b\n");
  EXPECT_STREQ(again(2).description.c_str(), "-----");
  // a line break in a one-line field cannot spill into the file as a key of its own
  ASSERT_TRUE(save("Types", make("two\nNAME1=evil", "c")).saved);
  EXPECT_STREQ(load_category("Types", again).c_str(), "two NAME1=evil");
}

TEST_F(CatalogueFolder, NewSnippetTakesTheFirstFreeNumberInTheFile) {
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\nNAME1=nocode\r\nNAME2=c\r\nCODE2=3\r\n");
  load_category("Types", snippets);
  ASSERT_EQ(snippets.size1, 2);
  // another running copy saves in the meantime
  std::string file = read_file(ini) + "NAME3=other\r\nCODE3=o\r\n";
  write_file(ini, file);
  SaveOutcome o = save("Types", make("new", "n"));
  ASSERT_TRUE(o.saved);
  EXPECT_STREQ(o.list_text.c_str(), "a|c|new|other");
  EXPECT_NE(read_file(ini).find("NAME1=nocode\r\nNAME2=c\r\nCODE2=3\r\nNAME3=other\r\nCODE3=o\r\nNAME4=new\r\n"),
            std::string::npos);
}

TEST_F(CatalogueFolder, FailedSaveKeepsFileAndListAndSaysWhy) {
  const std::string old = "[Types]\r\nNAME0=a\r\nCODE0=1\r\n";
  write_file(ini, old);
  load_category("Types", snippets);
  for (SafeWriteStep step : {SafeWriteStep::create, SafeWriteStep::write, SafeWriteStep::rename}) {
    safe_write_fail_at(step);
    SaveOutcome o = save("Types", make("lost?", "x"));
    EXPECT_FALSE(o.saved);
    EXPECT_FALSE(o.reason.empty());
    EXPECT_EQ(read_file(ini), old);
    EXPECT_EQ(names(), "a;");
  }
  EXPECT_EQ(files_in_folder(), 2u);  // CODE.INI and its lock file, no temporary file
  // nothing is written later either (the table's own write-back at the end)
  ini_shut_down();
  EXPECT_EQ(read_file(ini), old);
}

// A small file system stands for a full disk and a read-only one; mounting
// needs the rights to do so.
struct SmallFileSystem {
  std::string where;
  bool mounted = false;
  SmallFileSystem(const std::string& path, const char* options) : where(path) {
    fs::create_directories(where);
    mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options) == 0;
  }
  bool read_only() { return ::mount("tmpfs", where.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }
  ~SmallFileSystem() {
    if (mounted) ::umount(where.c_str());
  }
};

TEST_F(CatalogueFolder, FullAndReadOnlyDisksFailWithTheirReason) {
  SmallFileSystem small(dir / "small", "size=64k");
  if (!small.mounted) GTEST_SKIP() << "cannot mount a small file system here";
  catalogue_path = (dir / "small/CODE.INI").c_str();
  const std::string old = "[Types]\r\nNAME0=a\r\nCODE0=" + std::string(30000, 'x') + "\r\n";
  write_file(catalogue_path.c_str(), old);
  load_category("Types", snippets);
  SaveOutcome o = save("Types", make("b", std::string(20000, 'y').c_str()));
  EXPECT_FALSE(o.saved);
  EXPECT_STREQ(o.reason.c_str(), "No space left on device");
  EXPECT_EQ(read_file(catalogue_path.c_str()), old);

  ASSERT_TRUE(small.read_only());
  o = save("Types", make("b", "y"));
  EXPECT_FALSE(o.saved);
  EXPECT_NE(std::string(o.reason.c_str()).find("Read-only file system"), std::string::npos) << o.reason.c_str();
  EXPECT_EQ(names(), "a;");
}

TEST_F(CatalogueFolder, ASaveWaitsForTheLockAndGivesUpWithAReason) {
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\n");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  if (holder == 0) {
    PlatformFile f = platform_file_open_append((ini + ".lock").c_str());
    platform_file_lock(f, 0);
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  catalogue_lock_wait_ms = 100;
  SaveOutcome o = save("Types", make("b", "y"));
  catalogue_lock_wait_ms = 10000;
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_FALSE(o.saved);
  EXPECT_NE(std::string(o.reason.c_str()).find("another program"), std::string::npos);
  EXPECT_TRUE(save("Types", make("b", "y")).saved);  // the lock went with its holder
}

TEST_F(CatalogueFolder, TwoProcessesSavingAtOnceBothLand) {
  constexpr int kEach = 40;
  pid_t kids[2];
  for (int k = 0; k < 2; ++k) {
    kids[k] = fork();
    if (kids[k] == 0) {
      SnippetArray mine;
      for (int i = 0; i < kEach; ++i) {
        std::string name = "p" + std::to_string(k) + "_" + std::to_string(i);
        Snippet s = make(name.c_str(), "code|x");
        if (!save_snippet("Functions", mine, s, encode_code(s.code)).saved) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t kid : kids) {
    int status = 0;
    waitpid(kid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  load_category("Functions", snippets);
  EXPECT_EQ(snippets.size1, 2 * kEach);
}

TEST(CataloguePlace, BesideAWritableProgramElseInTheUsersFolder) {
  ScratchDir dir("place");
  fs::create_directories(dir / "prefix/bin");
  fs::create_directories(dir / "prefix/share/snipvault");
  write_file(dir / "prefix/share/snipvault/CODE.INI", "[Types]\r\nNAME0=sample\r\nCODE0=s\r\n");
  EXPECT_STREQ(choose_catalogue_place((dir / "prefix/bin").c_str()).c_str(), (dir / "prefix/bin/CODE.INI").c_str());

  SmallFileSystem ro(dir / "ro", "size=1m");
  if (!ro.mounted) GTEST_SKIP() << "cannot mount a small file system here";
  write_file(dir / "ro/CODE.INI", "[Types]\r\nNAME0=sample\r\nCODE0=s\r\n");
  ASSERT_TRUE(ro.read_only());
  setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  EXPECT_STREQ(choose_catalogue_place((dir / "ro").c_str()).c_str(), (dir / "data/snipvault/CODE.INI").c_str());
  EXPECT_EQ(read_file(dir / "data/snipvault/CODE.INI"), "[Types]\r\nNAME0=sample\r\nCODE0=s\r\n");
  // the user's catalogue is never replaced by the sample again
  write_file(dir / "data/snipvault/CODE.INI", "mine");
  choose_catalogue_place((dir / "ro").c_str());
  EXPECT_EQ(read_file(dir / "data/snipvault/CODE.INI"), "mine");
  unsetenv("XDG_DATA_HOME");
  catalogue_path = "CODE.INI";
}

}  // namespace
