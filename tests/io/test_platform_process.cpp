// Command-line splitting, starting programs directly and handing names to
// the desktop's opener.
#include <gtest/gtest.h>

#include "tests/io/platform_test_util.h"
#include "runtime/io/process.h"


TEST(SplitCommandLine, DesktopQuotingRules) {
  struct Case {
    const char* line;
    std::vector<std::string> args;
  } cases[] = {
      {"", {}},
      {"  \t ", {}},
      {"prog", {"prog"}},
      {"  prog  a\tb  ", {"prog", "a", "b"}},
      {"prog \"a b\" c", {"prog", "a b", "c"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\"", {"prog", ""}},
      {"prog \"\" x", {"prog", "", "x"}},
      {"prog a\\\"b", {"prog", "a\"b"}},             // \"   -> "
      {"prog a\\\\\"b c\"", {"prog", "a\\b c"}},     // \\"  -> \ and the quote groups
      {"prog a\\\\\\\"b", {"prog", "a\\\"b"}},       // \\\" -> \"
      {"prog a\\b\\\\c", {"prog", "a\\b\\\\c"}},     // backslashes without a quote stay
      {"prog a\\ b\\", {"prog", "a\\", "b\\"}},
      {"prog \"a\"\"b\"", {"prog", "a\"b"}},         // "" inside quotes is one quote
      {"prog \"open end", {"prog", "open end"}},
      {"\"C:\\Program Files\\x.exe\" arg", {"C:\\Program Files\\x.exe", "arg"}},
      {"\"/opt/my app/run\"x y", {"/opt/my app/run", "x", "y"}},
      {"C:\\tools\\run.exe \"a\\\\\"", {"C:\\tools\\run.exe", "a\\"}},
  };
  for (const Case& c : cases) EXPECT_EQ(split_command_line(c.line), c.args) << c.line;
}

TEST(RunProcess, StartsProgramWithQuotedArgumentsAndWaits) {
  ScratchDir dir;
  std::string out = dir / "argv.txt";
  std::string line = "/bin/sh -c \"printf '%s|' \\\"$@\\\" > '" + out + "'; exit 7\" sh \"one two\" \"say \\\"hi\\\"\" 'x'";
  double code = -1;
  EXPECT_EQ(run_process(TvString(line.c_str()), 1, 1, code), 1);
  EXPECT_EQ(code, 7);
  // single quotes mean nothing here: no shell splits the line
  EXPECT_EQ(read_file(out), "one two|say \"hi\"|'x'|");
}

TEST(RunProcess, MissingProgramLeavesExitCodeUntouched) {
  ScratchDir dir;
  double code = 42;
  EXPECT_EQ(run_process(TvString((dir / "no-such-program").c_str()), 1, 1, code), 0);
  EXPECT_EQ(run_process(TvString("sv-no-such-program-anywhere x"), 1, 0, code), 0);
  EXPECT_EQ(run_process(TvString(""), 1, 0, code), 0);
  write_file(dir / "plain.txt", "not a program");
  EXPECT_EQ(run_process(TvString((dir / "plain.txt").c_str()), 1, 0, code), 0);
  EXPECT_EQ(run_process(TvString(dir.str().c_str()), 1, 0, code), 0);
  EXPECT_EQ(code, 42);
}

TEST(RunProcess, BareNameFromPathWithoutWaiting) {
  ScratchDir dir;
  std::string out = dir / "ran.txt";
  write_script(dir / "sv-helper", "printf '%s' \"$1\" > '" + out + "'\n");
  EnvGuard path("PATH", dir.str().c_str());
  double code = 42;
  EXPECT_EQ(run_process(TvString("sv-helper \"arg 1\""), 0, 0, code), 1);
  EXPECT_EQ(code, 42);
  ASSERT_TRUE(wait_for_file(out));
  EXPECT_EQ(read_file(out), "arg 1");
}

TEST(RunProcess, ExitBySignalAndZeroExit) {
  double code = -1;
  EXPECT_EQ(run_process(TvString("/bin/sh -c \"kill -9 $$\""), 1, 0, code), 1);
  EXPECT_EQ(code, 128 + 9);
  EXPECT_EQ(run_process(TvString("/bin/sh -c \"exit 0\""), 1, 0, code), 1);
  EXPECT_EQ(code, 0);
}

TEST(ShellExecute, HandsNameToDesktopOpenerAndEnds) {
  ScratchDir dir;
  std::string out = dir / "opened.txt";
  write_script(dir / "xdg-open", "printf '%s' \"$1\" > '" + out + ".part'; /bin/mv '" + out + ".part' '" + out + "'\n");
  EnvGuard path("PATH", dir.str().c_str());
  EXPECT_EXIT(shell_execute(TvString("http://example.invalid/\xE4")), ::testing::ExitedWithCode(0), "");
  ASSERT_TRUE(wait_for_file(out));
  EXPECT_EQ(read_file(out), "http://example.invalid/\xC3\xA4");  // text goes out as UTF-8

  // an existing file keeps its own bytes
  std::string file = dir / "n\xE4me.txt";
  write_file(file, "x");
  fs::remove(out);
  EXPECT_EXIT(shell_execute(TvString(file.c_str())), ::testing::ExitedWithCode(0), "");
  ASSERT_TRUE(wait_for_file(out));
  EXPECT_EQ(read_file(out), file);
}
