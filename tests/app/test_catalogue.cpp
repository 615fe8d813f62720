// The catalogue against real CODE.INI files in a scratch folder.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "app/catalogue.h"
#include "app/catalogue_file.h"
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
  Catalogue cat = at(ini);

  static Catalogue at(const std::string& path) {
    Catalogue c;
    c.path = path.c_str();
    return c;
  }
  TvString load(const char* category) { return load_category(cat, category, snippets); }

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
    return save_snippet(cat, category, snippets, s, encode_code(s.code));
  }
  size_t files_in_folder() { return count_entries(dir.path); }
};

TEST(CatalogueText, StoreAndLoadTransforms) {
  EXPECT_EQ(std::string(encode_code("a\tb\n").c_str()), "a    b|");
  EXPECT_EQ(std::string(encode_code("x\r\ny\rz").c_str()), "x||y|z");
  EXPECT_EQ(std::string(decode_code("a    b|  c|").c_str()), "a    b\n  c\n");
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
  TvString list = load("Types");
  // Alpha has no code (skipped); NO_DATA is a name like any other; 6 is past the gap at 5
  EXPECT_STREQ(list.c_str(), "NO_DATA|Zed|alpha|beta");
  EXPECT_EQ(names(), "NO_DATA;Zed;alpha;beta;");
  EXPECT_STREQ(snippets(1).author.c_str(), "Ann");
  EXPECT_STREQ(snippets(0).author.c_str(), "-----");
  EXPECT_STREQ(snippets(0).description.c_str(), "-----");
  EXPECT_STREQ(snippets(2).code.c_str(), "x\n  y");  // blanks after a stored break survive

  EXPECT_STREQ(load("Constants").c_str(), "");
  EXPECT_EQ(snippets.size1, 0);
  fs::remove(ini);
  EXPECT_STREQ(load("Functions").c_str(), "");
}

TEST_F(CatalogueFolder, NamesSortByteWiseAndABarInANameStaysOneItem) {
  write_file(ini,
              "[INLINE]\r\nNAME0=beta\r\nCODE0=1\r\nNAME1=alpha\r\nCODE1=2\r\nNAME2=Alpha\r\nCODE2=3\r\n"
              "NAME3=alphabet\r\nCODE3=4\r\nNAME4=a|b\r\nCODE4=5\r\nNAME5=\xE9t\xE9\r\nCODE5=6\r\n");
  EXPECT_STREQ(load("INLINE").c_str(), "Alpha|alpha|alphabet|a/b|beta|\xE9t\xE9");
  EXPECT_STREQ(snippets(3).name.c_str(), "a|b");
}

TEST_F(CatalogueFolder, SavedSnippetsLoadBackExactly) {
  std::string big = "FUNCTION big:\n";  // (blanks opening the first line are not kept by the file)
  for (int i = 0; big.size() < 100 * 1024; ++i)
    big += "    line " + std::to_string(i) + " = a + b ; \"quoted\" [x]\n";
  Snippet first = make("zeta", "a\tb\n");
  first.description = " \n ";  // nothing but blanks: stored as the "-----" it would read back as
  ASSERT_TRUE(save("Extend Types", first).saved);
  ASSERT_TRUE(save("Extend Types", make("big", big.c_str())).saved);
  SaveOutcome o = save("Extend Types", make("Mid", "INLINE\n  }\n\n  x\nENDINLINE"));
  ASSERT_TRUE(o.saved);
  EXPECT_STREQ(o.list_text.c_str(), "Mid|big|zeta");

  std::string file = read_file(ini);
  EXPECT_NE(file.find("[Extend_Types]\r\nNAME0=zeta\r\nDESCRIPTION0=-----\r\nAUTHOR0=me\r\nCODE0=a    b|\r\nNAME1=big\r\n"),
            std::string::npos);
  EXPECT_NE(file.find("CODE2=INLINE|  }||  x|ENDINLINE\r\n"), std::string::npos);

  SnippetArray again;
  EXPECT_STREQ(load_category(cat, "Extend Types", again).c_str(), "Mid|big|zeta");
  EXPECT_TRUE(std::string(again(1).code.c_str()) == big);
  EXPECT_STREQ(again(2).code.c_str(), "a    b\n");
  EXPECT_STREQ(again(2).description.c_str(), "-----");
  // a line break in a one-line field cannot spill into the file as a key of its own
  ASSERT_TRUE(save("Types", make("two\nNAME1=evil", "c")).saved);
  EXPECT_STREQ(load_category(cat, "Types", again).c_str(), "two NAME1=evil");
}

TEST_F(CatalogueFolder, NewSnippetTakesTheFirstFreeNumberInTheFile) {
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\nNAME1=nocode\r\nNAME2=c\r\nCODE2=3\r\n");
  load("Types");
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
  load("Types");
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
  cat = at(dir / "small/CODE.INI");
  const std::string old = "[Types]\r\nNAME0=a\r\nCODE0=" + std::string(30000, 'x') + "\r\n";
  write_file(cat.path.c_str(), old);
  load("Types");
  SaveOutcome o = save("Types", make("b", std::string(20000, 'y').c_str()));
  EXPECT_FALSE(o.saved);
  EXPECT_STREQ(o.reason.c_str(), "No space left on device");
  EXPECT_EQ(read_file(cat.path.c_str()), old);

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
  cat.lock_wait_ms = 100;
  SaveOutcome o = save("Types", make("b", "y"));
  EXPECT_EQ(o.error, CatalogueError::busy);
  // a window waiting for the lock keeps drawing, and its Cancel gives up
  int ticks = 0;
  cat.lock_wait_ms = -1;
  cat.waiting = [&ticks] { return ++ticks < 5; };
  SaveOutcome cancelled = save("Types", make("b", "y"));
  EXPECT_EQ(cancelled.error, CatalogueError::cancelled);
  EXPECT_EQ(ticks, 5);
  cat.waiting = nullptr;
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
        if (!save_snippet(cat, "Functions", mine, s, encode_code(s.code)).saved) _exit(1);
      }
      _exit(0);
    }
  }
  for (pid_t kid : kids) {
    int status = 0;
    waitpid(kid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  load("Functions");
  EXPECT_EQ(snippets.size1, 2 * kEach);
}

// Runs `body` in a child process as an ordinary user (nobody), as a user
// who met a file left by a root run would; false when this is not root.
bool as_other_user(const std::function<int()>& body, int& code) {
  if (geteuid() != 0) return false;
  pid_t kid = fork();
  if (kid == 0) {
    if (setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0) _exit(99);
    _exit(body());
  }
  int status = 0;
  waitpid(kid, &status, 0);
  code = WIFEXITED(status) ? WEXITSTATUS(status) : 98;
  return true;
}

struct EnvSet {
  std::string name;
  EnvSet(const char* n, const std::string& v) : name(n) { setenv(n, v.c_str(), 1); }
  ~EnvSet() { unsetenv(name.c_str()); }
};

TEST(CataloguePlace, BesideAWritableProgramElseInTheUsersFolderAndSaysWhen) {
  ScratchDir dir("place");
  EnvSet data("XDG_DATA_HOME", dir / "data");
  const std::string sample = "[Types]\r\nNAME0=sample\r\nCODE0=s\r\n";
  fs::create_directories(dir / "build");
  CataloguePlace p = choose_catalogue_place((dir / "build/").c_str());
  EXPECT_STREQ(p.path.c_str(), (dir / "build/CODE.INI").c_str());
  EXPECT_STREQ(p.notice.c_str(), "");

  // a system-wide install: never its bin/ folder, whoever runs it
  fs::create_directories(dir / "prefix/bin");
  fs::create_directories(dir / "prefix/share/snipvault");
  write_file(dir / "prefix/share/snipvault/CODE.INI", sample);
  p = choose_catalogue_place((dir / "prefix/bin").c_str());
  EXPECT_STREQ(p.path.c_str(), (dir / "data/snipvault/CODE.INI").c_str());
  EXPECT_STREQ(p.notice.c_str(), "");
  EXPECT_EQ(read_file(dir / "data/snipvault/CODE.INI"), sample);
  SnippetArray list;
  Catalogue c;
  c.path = p.path;
  Snippet s;
  s.name = "n";
  s.code = "c";
  ASSERT_TRUE(save_snippet(c, "Types", list, s, "c").saved);
  EXPECT_EQ(count_entries(dir / "prefix/bin"), 0u);
  // one left there by an older version is named, not used
  write_file(dir / "prefix/bin/CODE.INI", sample + "NAME1=old\r\nCODE1=o\r\n");
  p = choose_catalogue_place((dir / "prefix/bin").c_str());
  EXPECT_NE(std::string(p.notice.c_str()).find((dir / "prefix/bin/CODE.INI") + " is not used"), std::string::npos)
      << p.notice.c_str();

  // a catalogue that cannot be read is told, with the file in use
  fs::create_directories(dir / "odd/CODE.INI");
  p = choose_catalogue_place((dir / "odd").c_str());
  EXPECT_NE(std::string(p.notice.c_str()).find("not a plain file"), std::string::npos) << p.notice.c_str();
  EXPECT_NE(std::string(p.notice.c_str()).find(dir / "odd/CODE.INI"), std::string::npos);
  {
    // a per-user folder that cannot be made
    EnvSet file_home("XDG_DATA_HOME", dir / "prefix/share/snipvault/CODE.INI");
    p = choose_catalogue_place((dir / "prefix/bin").c_str());
    EXPECT_NE(std::string(p.notice.c_str()).find("cannot be made"), std::string::npos) << p.notice.c_str();
  }

  SmallFileSystem ro(dir / "ro", "size=1m");
  if (!ro.mounted) GTEST_SKIP() << "cannot mount a small file system here";
  write_file(dir / "ro/CODE.INI", sample);
  ASSERT_TRUE(ro.read_only());
  EnvSet data2("XDG_DATA_HOME", dir / "data2");
  p = choose_catalogue_place((dir / "ro").c_str());
  EXPECT_STREQ(p.path.c_str(), (dir / "data2/snipvault/CODE.INI").c_str());
  EXPECT_STREQ(p.notice.c_str(), "");  // a copy of it: nothing to tell
  // the user's catalogue is never replaced by the sample again; once the
  // two differ the start says which one is in use
  write_file(dir / "data2/snipvault/CODE.INI", "mine");
  p = choose_catalogue_place((dir / "ro").c_str());
  EXPECT_EQ(read_file(dir / "data2/snipvault/CODE.INI"), "mine");
  EXPECT_NE(std::string(p.notice.c_str()).find("program's folder cannot be written"), std::string::npos)
      << p.notice.c_str();
}

// Findings of an adversarial run, each against real files.

TEST_F(CatalogueFolder, AnAddChangesOnlyTheLinesItWrites) {
  // byte-order mark, CR-only, LF and CR LF line ends, comments, blank lines,
  // an empty section, orphaned keys, a last line without its end
  const std::string old =
      "\xEF\xBB\xBF; my snippets\r\n[Types]\rNAME0=a\rCODE0=1\r\r[Functions]\nNAME0=f\nCODE0=x\n\n"
      "; kept for later:\r\n[Constants]\r\n[INLINE]\r\nNAME0=i\r\nCODE0=c\r\nCODE1=orphan code\r\n"
      "DESCRIPTION1=orphan\r\nVersion=7";
  write_file(ini, old);
  EXPECT_STREQ(load("Types").c_str(), "a");
  EXPECT_STREQ(load("Functions").c_str(), "f");
  ASSERT_TRUE(save("INLINE", make("new", "n")).saved);
  ASSERT_TRUE(save("Constants", make("k", "K = 1")).saved);
  ASSERT_TRUE(save("Types", make("b", "2")).saved);
  ASSERT_TRUE(save("Subroutines", make("s", "SUB s")).saved);
  EXPECT_EQ(read_file(ini),
            "\xEF\xBB\xBF; my snippets\r\n[Types]\rNAME0=a\rCODE0=1\rNAME1=b\rDESCRIPTION1=d\rAUTHOR1=me\rCODE1=2\r\r"
            "[Functions]\nNAME0=f\nCODE0=x\n\n; kept for later:\r\n[Constants]\r\n"
            "NAME0=k\r\nDESCRIPTION0=d\r\nAUTHOR0=me\r\nCODE0=K = 1\r\n[INLINE]\r\nNAME0=i\r\nCODE0=c\r\n"
            ";CODE1=orphan code\r\n;DESCRIPTION1=orphan\r\nNAME1=new\r\nDESCRIPTION1=d\r\nAUTHOR1=me\r\nCODE1=n\r\n"
            "Version=7\r\n[Subroutines]\r\nNAME0=s\r\nDESCRIPTION0=d\r\nAUTHOR0=me\r\nCODE0=SUB s\r\n");
  EXPECT_STREQ(load("INLINE").c_str(), "i|new");
  EXPECT_STREQ(snippets(1).description.c_str(), "d");  // not the orphan's
}

TEST_F(CatalogueFolder, WhatIsSavedLoadsBackTheSame) {
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\n");
  load("Types");
  EXPECT_EQ(save("Types", make("blank code", "         ")).error, CatalogueError::empty_code);
  EXPECT_EQ(save("Types", make("\r\n", "x")).error, CatalogueError::empty_name);
  EXPECT_EQ(save("Types", make(" \t ", "x")).reason, TvString("A name MUST be given"));
  Snippet s = make("  padded \r\n", "x");
  s.author = "\tAnn  ";
  SaveOutcome o = save("Types", s);
  ASSERT_TRUE(o.saved);
  EXPECT_STREQ(o.list_text.c_str(), "a|padded");
  EXPECT_STREQ(snippets(1).author.c_str(), "Ann");
  // the next save does not take the same number again
  ASSERT_TRUE(save("Types", make("third", "y")).saved);
  EXPECT_STREQ(load("Types").c_str(), "a|padded|third");
  EXPECT_EQ(read_file(ini).find("NAME1=padded\r\n"), read_file(ini).find("NAME1="));
}

TEST_F(CatalogueFolder, AUtf8CatalogueIsReadAndWrittenAsUtf8) {
  const std::string smiley = "\xF0\x9F\x98\x80";
  write_file(ini, "[Types]\nNAME0=h\xC3\xA9llo\nDESCRIPTION0=" + smiley + " face\nCODE0=x\n");
  load("Types");
  EXPECT_STREQ(snippets(0).name.c_str(), "h\xE9llo");
  EXPECT_STREQ(snippets(0).description.c_str(), "? face");
  ASSERT_TRUE(save("Types", make("caf\xE9", "y")).saved);
  // an edit of another field leaves the character beyond Latin-1 in place
  ASSERT_STREQ(snippets(1).name.c_str(), "h\xE9llo");
  Snippet edited = snippets(1);
  edited.code = "changed";
  SaveOutcome o = replace_snippet(cat, "Types", snippets, snippets(1), edited);
  ASSERT_TRUE(o.saved) << o.reason.c_str();
  EXPECT_EQ(read_file(ini), "[Types]\nNAME0=h\xC3\xA9llo\nDESCRIPTION0=" + smiley +
                                " face\nCODE0=changed\nNAME1=caf\xC3\xA9\nDESCRIPTION1=d\nAUTHOR1=me\nCODE1=y\n");
  EXPECT_EQ(unstorable_characters(smiley + "\xD0\x9F\xD1\x80\xD0\xB8 \xC3\xA9 \xFF"), 5);

  // Latin-1 that would read as UTF-8 goes into a plain ASCII file as UTF-8
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\n");
  ASSERT_TRUE(save("Types", make("\xC3\xA9", "z")).saved);
  EXPECT_STREQ(load("Types").c_str(), "a|\xC3\xA9");
  // while a Latin-1 file stays Latin-1
  write_file(ini, "[Types]\r\nNAME0=caf\xE9\r\nCODE0=1\r\n");
  ASSERT_TRUE(save("Types", make("\xFC", "z")).saved);
  EXPECT_NE(read_file(ini).find("NAME1=\xFC\r\n"), std::string::npos);
}

TEST_F(CatalogueFolder, FilesThatAreNotPlainTextAreNeitherWaitedOnNorWrittenOver) {
  alarm(20);  // a wait for ever would end the test run here
  std::string binary = "[Types]\r\nNAME0=a\r\nCODE0=1\r\n" + std::string(2000, '\0') + "\x01\x02";
  write_file(ini, binary);
  EXPECT_STREQ(load("Types").c_str(), "a");
  EXPECT_EQ(save("Types", make("b", "2")).error, CatalogueError::not_text);
  EXPECT_EQ(read_file(ini), binary);

  fs::remove(ini);
  ASSERT_EQ(mkfifo(ini.c_str(), 0666), 0);
  auto t0 = std::chrono::steady_clock::now();
  TvString why;
  EXPECT_STREQ(load_category(cat, "Types", snippets, &why).c_str(), "");
  EXPECT_NE(std::string(why.c_str()).find("not a plain file"), std::string::npos);
  EXPECT_EQ(save("Types", make("b", "2")).error, CatalogueError::not_regular);
  fs::remove(ini);
  fs::remove(ini + ".lock");
  write_file(ini, "[Types]\r\nNAME0=a\r\nCODE0=1\r\n");
  ASSERT_EQ(mkfifo((ini + ".lock").c_str(), 0666), 0);
  SaveOutcome o = save("Types", make("b", "2"));
  EXPECT_EQ(o.error, CatalogueError::not_regular);
  EXPECT_NE(std::string(o.reason.c_str()).find("CODE.INI.lock"), std::string::npos);
  EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(2));
  alarm(0);
}

TEST_F(CatalogueFolder, PermissionsLinksAndTheUsersOwnFilesAreRespected) {
  const std::string old = "[Types]\r\nNAME0=a\r\nCODE0=1\r\n";
  write_file(ini, old);
  write_file(dir / "CODE.INI.tmp20240101", "the user's own");
  fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  load("Types");
  SaveOutcome o = save("Types", make("b", "2"));
  EXPECT_EQ(o.error, CatalogueError::write_protected);
  EXPECT_NE(std::string(o.reason.c_str()).find("write-protected"), std::string::npos);
  EXPECT_EQ(read_file(ini), old);
  EXPECT_EQ(names(), "a;");
  fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write);

  // a link is followed and kept; one to nothing is told and left alone
  fs::create_directories(dir / "elsewhere");
  fs::rename(ini, dir / "elsewhere/real.ini");
  fs::create_symlink(dir / "elsewhere/real.ini", ini);
  ASSERT_TRUE(save("Types", make("b", "2")).saved);
  EXPECT_TRUE(fs::is_symlink(ini));
  EXPECT_EQ(count_entries(dir / "elsewhere"), 1u);
  fs::remove(ini);
  fs::create_symlink(dir / "gone.ini", ini);
  EXPECT_STREQ(load("Types").c_str(), "");
  o = save("Types", make("c", "3"));
  EXPECT_EQ(o.error, CatalogueError::dangling_link);
  EXPECT_NE(std::string(o.reason.c_str()).find("gone.ini"), std::string::npos) << o.reason.c_str();
  EXPECT_TRUE(fs::is_symlink(ini));
  EXPECT_FALSE(fs::exists(dir / "gone.ini"));
  EXPECT_EQ(read_file(dir / "CODE.INI.tmp20240101"), "the user's own");

  // a lock file left by a root run, and a catalogue nobody may read
  fs::remove(ini);
  write_file(ini, old);
  write_file(ini + ".lock", "");
  fs::permissions(dir.path, fs::perms::all);
  ASSERT_EQ(chown(ini.c_str(), 65534, 65534), 0) << "needs root";
  int code = 0;
  if (!as_other_user([&] { return save("Types", make("b", "2")).saved ? 0 : 1; }, code))
    GTEST_SKIP() << "needs root to act as another user";
  EXPECT_EQ(code, 0);
  fs::permissions(ini, fs::perms::none);
  ASSERT_TRUE(as_other_user(
      [&] {
        TvString why;
        load_category(cat, "Types", snippets, &why);
        SaveOutcome refused = save("Types", make("c", "3"));
        return why.empty() ? 2 : refused.error == CatalogueError::unreadable ? 0 : 3;
      },
      code));
  EXPECT_EQ(code, 0);
}

TEST_F(CatalogueFolder, ReplaceDeleteAndMoveKeepNumbersContiguousAndNoticeOthersChanges) {
  write_file(ini, "; mine\n[Types]\nNAME0=a\nCODE0=1\nNAME1=b\nDESCRIPTION1=bee\nCODE1=2\nNAME2=c\nCODE2=3\n"
                  "[Functions]\nNAME0=f\nCODE0=x\n");
  load("Types");
  Snippet b = snippets(1);
  Snippet edited = b;
  edited.name = "B";
  SaveOutcome o = replace_snippet(cat, "Types", snippets, b, edited);
  ASSERT_TRUE(o.saved) << o.reason.c_str();
  EXPECT_EQ(o.number, 1);
  EXPECT_STREQ(o.list_text.c_str(), "B|a|c");
  o = delete_snippet(cat, "Types", snippets, snippets(1));  // a
  ASSERT_TRUE(o.saved);
  EXPECT_EQ(read_file(ini), "; mine\n[Types]\nNAME0=B\nDESCRIPTION0=bee\nCODE0=2\nNAME1=c\nCODE1=3\n"
                            "[Functions]\nNAME0=f\nCODE0=x\n");
  o = move_snippet(cat, "Types", "Functions", snippets, snippets(1));  // c
  ASSERT_TRUE(o.saved);
  EXPECT_EQ(o.number, 1);
  EXPECT_STREQ(o.list_text.c_str(), "B");
  EXPECT_EQ(read_file(ini), "; mine\n[Types]\nNAME0=B\nDESCRIPTION0=bee\nCODE0=2\n"
                            "[Functions]\nNAME0=f\nCODE0=x\nNAME1=c\nCODE1=3\n");
  EXPECT_EQ(move_snippet(cat, "Types", "Types", snippets, snippets(0)).error, CatalogueError::same_category);

  // another program changes, renumbers or removes what this one shows
  load("Functions");
  Snippet c = snippets(0), f = snippets(1);
  ASSERT_STREQ(f.name.c_str(), "f");
  std::string theirs = "[Types]\nNAME0=B\nCODE0=2\n[Functions]\nNAME0=c\nDESCRIPTION0=-----\nAUTHOR0=-----\nCODE0=3\n";
  write_file(ini, theirs);
  Snippet renamed = f;
  renamed.name = "g";
  o = replace_snippet(cat, "Functions", snippets, f, renamed);
  EXPECT_EQ(o.error, CatalogueError::changed);
  EXPECT_EQ(read_file(ini), theirs);
  EXPECT_EQ(snippets.size1, 2);  // the list as it was
  EXPECT_EQ(delete_snippet(cat, "Functions", snippets, [&] { Snippet g = f; g.number = 5; return g; }()).error,
            CatalogueError::vanished);
  o = delete_snippet(cat, "Functions", snippets, c);  // shown as 1, now 0
  ASSERT_TRUE(o.saved);
  EXPECT_EQ(read_file(ini), "[Types]\nNAME0=B\nCODE0=2\n[Functions]\n");
}

// A loaded snippet's description, author and code are read from the bytes
// of its load when first wanted: never from the file as it is by then.
TEST_F(CatalogueFolder, LoadedTextsAreTheLoadedOnesWhateverTheFileBecomes) {
  write_file(ini, "\xEF\xBB\xBF[Functions]\r\nNAME0=b\r\nDESCRIPTION0=caf\xC3\xA9\r\nCODE0=x|  y||z\r\n"
                  "NAME1=a\r\nAUTHOR1=Ann\r\nCODE1=1\r\n");
  load("Functions");
  Snippet b = snippets(1);  // a copy made before anything was read
  write_file(ini, "[Functions]\nNAME0=b\nDESCRIPTION0=other\nCODE0=changed\n");
  EXPECT_STREQ(b.code.c_str(), "x\n  y\n\nz");
  EXPECT_STREQ(snippets(1).description.c_str(), "caf\xE9");
  EXPECT_STREQ(snippets(0).author.c_str(), "Ann");
  EXPECT_STREQ(snippets(0).description.c_str(), "-----");
  // the array loaded again lets go of the first load's bytes; the copy keeps them
  Snippet a = snippets(0);
  load("Functions");
  EXPECT_STREQ(a.code.c_str(), "1");
  EXPECT_STREQ(b.description.c_str(), "caf\xE9");
  Snippet edited = b;
  edited.code = "new";
  EXPECT_EQ(replace_snippet(cat, "Functions", snippets, b, edited).error, CatalogueError::changed);
  EXPECT_EQ(read_file(ini), "[Functions]\nNAME0=b\nDESCRIPTION0=other\nCODE0=changed\n");
}

// A delete builds the new list from the bytes it read rather than from the
// file it wrote: over odd sections that list must be the one a load gives.
TEST_F(CatalogueFolder, TheListAfterADeleteIsTheOneALoadGives) {
  std::mt19937 rng(21);
  const char* const bodies[] = {"plain", "caf\xC3\xA9", "caf\xE9", "a|b", "x"};
  auto text = [&](bool high) { return std::string(bodies[rng() % (high ? 5 : 1)]) + std::to_string(rng() % 7); };
  for (int round = 0; round < 60; ++round) {
    bool high = round % 3 != 0;
    std::string end = round % 4 == 0 ? "\r\n" : "\n";
    std::string f = "; top" + end + "[Types]" + end + "NAME0=t" + end + "CODE0=1" + end + "[Functions]" + end;
    int count = 1 + int(rng() % 9);
    for (int n = 0; n < count; ++n) {
      std::string num = std::to_string(n);
      f += (rng() % 5 == 0 ? "name" : "NAME") + num + "=" + text(high) + end;
      if (rng() % 3 == 0) f += "DESCRIPTION" + num + "=" + text(high) + end;
      if (rng() % 3 == 0) f += "AUTHOR" + num + "=" + text(high) + end;
      if (rng() % 6 != 0) f += "CODE" + num + "=" + text(high) + end;  // some have no code
      if (rng() % 7 == 0) f += "NAME" + num + "=second" + end;          // a second key of the number
      if (rng() % 7 == 0) f += "; note" + end + end;
    }
    if (rng() % 2) f += "CODE" + std::to_string(count) + "=orphan" + end;
    if (rng() % 2) f += "[functions]" + end + "NAME0=later" + end + "CODE0=2" + end;
    write_file(ini, f);
    load("Functions");
    if (snippets.size1 == 0) continue;
    Snippet shown = snippets(int32_t(rng() % uint32_t(snippets.size1)));
    SaveOutcome o = delete_snippet(cat, "Functions", snippets, shown);
    ASSERT_TRUE(o.saved) << o.reason.c_str();
    SnippetArray loaded;
    TvString list = load_category(cat, "Functions", loaded);
    std::string file = read_file(ini);
    ASSERT_STREQ(o.list_text.c_str(), list.c_str()) << file;
    ASSERT_EQ(snippets.size1, loaded.size1) << file;
    for (int32_t i = 0; i < loaded.size1; ++i) {
      EXPECT_STREQ(snippets(i).name.c_str(), loaded(i).name.c_str()) << file;
      EXPECT_EQ(snippets(i).number, loaded(i).number) << file;
      EXPECT_STREQ(snippets(i).description.c_str(), loaded(i).description.c_str()) << file;
      EXPECT_STREQ(snippets(i).author.c_str(), loaded(i).author.c_str()) << file;
      EXPECT_STREQ(snippets(i).code.c_str(), loaded(i).code.c_str()) << file;
    }
    if (HasFailure()) return;
  }
}

// Many distinct names sharing a long start, some the start of others and
// some with bytes above 127, come out in byte order; repeated names in the
// order they always had.
TEST_F(CatalogueFolder, ABigCategoryLoadsInByteOrderAndRepeatedNamesAsBefore) {
  std::mt19937 rng(7);
  std::set<std::string> made;  // std::string orders bytes as unsigned, a prefix first
  std::vector<std::string> by_number;
  std::string f = "[Types]\n";
  while (made.size() < 3000) {
    std::string name = "a shared start ";
    for (int k = int(rng() % 12); k > 0; --k) name += "aAz\xE9\x80 9"[rng() % 7];
    while (name.back() == ' ') name.pop_back();
    if (!made.insert(name).second) continue;
    std::string num = std::to_string(by_number.size());
    by_number.push_back(name);
    f += "NAME" + num + "=" + name + "\nCODE" + num + "=c\n";
  }
  write_file(ini, f);
  TvString list = load("Types");
  std::string expected;
  for (const std::string& n : made) expected += (expected.empty() ? "" : "|") + n;
  EXPECT_EQ(std::string(list.c_str()), expected);
  ASSERT_EQ(snippets.size1, 3000);
  for (int32_t i = 0; i < snippets.size1; ++i)
    ASSERT_EQ(by_number[size_t(snippets(i).number)], snippets(i).name.c_str()) << i;

  // names that repeat keep the order the quicksort over whole records gave
  f = "[Types]\n";
  SnippetArray records;
  for (int n = 0; n < 2000; ++n) {
    Snippet s;
    s.name = ("n" + std::to_string(rng() % 300)).c_str();
    s.number = n;
    array_push(records, s);
    f += "NAME" + std::to_string(n) + "=" + s.name.c_str() + "\nCODE" + std::to_string(n) + "=c\n";
  }
  write_file(ini, f);
  EXPECT_STREQ(load("Types").c_str(), snippet_list_text(records).c_str());
  for (int32_t i = 0; i < records.size1; ++i) ASSERT_EQ(snippets(i).number, records(i).number) << i;
}

}  // namespace
