// The command line through the built program in a scratch folder: output,
// exit code and the catalogue afterwards; names, categories and errors;
// adding with its checks; the lock, a closed pipe, --json read back by
// python3 and the bash completion.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/add_dialog.h"
#include "app/catalogue.h"
#include "app/cli.h"
#include "tests/support/private_display.h"
#include "tests/support/scratch_dir.h"

namespace {

const std::string kProgram = std::string(TEST_BINARY_DIR) + "/snipvault";
const std::string kRoot = TEST_SOURCE_ROOT;

struct Result {
  int code = -1;
  std::string out, err;
};

struct CommandLine : ::testing::Test {
  ScratchDir dir{"cli"};
  std::string ini = dir / "CODE.INI";

  void SetUp() override {
    write_file(ini,
               "[Extend_Types]\r\nNAME0=TVector\r\nDESCRIPTION0=a vector\r\nAUTHOR0=Jos\xe9\r\n"
               "CODE0=TYPE TVector|    x|ENDTYPE\r\nNAME1=Shared\r\nCODE1=extend\r\n"
               "[Types]\r\nNAME0=tvector\r\nCODE0=TYPE tvector|ENDTYPE\r\nNAME1=Shared\r\nCODE1=types\r\n"
               "[Functions]\r\nNAME0=Clamp Value\r\nDESCRIPTION0=keeps a vector in range\r\nCODE0=FUNCTION c:|ENDFUNCTION\r\n"
               "NAME1=caf\xe9\r\nCODE1=PRINT \"\xe9t\xe9\"\r\n");
  }

  // Starts the program with `args`; standard input from `input` (or
  // /dev/null), output and errors to files. With `wait` false the caller
  // gets the pid in code and collects it with finish().
  Result run(const std::vector<std::string>& args, const std::string& input = "", bool wait = true,
             const std::string& program = kProgram) {
    std::string in = dir / "stdin", out = dir / "stdout", err = dir / "stderr";
    write_file(in, input);
    pid_t pid = fork();
    if (pid == 0) {
      int i = open(in.c_str(), O_RDONLY), o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600),
          e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(i, 0), dup2(o, 1), dup2(e, 2);
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      setenv("SNIPVAULT_CATALOGUE", ini.c_str(), 1);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    Result r;
    r.code = pid;
    return wait ? finish(pid) : r;
  }
  Result finish(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = read_file(dir / "stdout");
    r.err = read_file(dir / "stderr");
    return r;
  }
  // The shell's output of a command line run with bash.
  std::string bash(const std::string& script) {
    std::string file = dir / "script.sh";
    write_file(file, script);
    std::string out;
    if (FILE* p = popen(("SNIPVAULT_CATALOGUE='" + ini + "' bash '" + file + "' 2>&1").c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  std::string names(const char* category) {
    SnippetArray a;
    Catalogue c;
    c.path = ini.c_str();
    load_category(c, category, a);
    std::string s;
    for (int32_t i = 0; i < a.size1; ++i) s += std::string(a(i).name.c_str()) + "=" + a(i).code.c_str() + ";";
    return s;
  }
};

TEST_F(CommandLine, ReadingCommandsGiveWhatTheViewerShowsInUtf8) {
  Result r = run({"list"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "Shared\tExtend Types\nTVector\tExtend Types\nShared\tTypes\ntvector\tTypes\n"
            "Clamp Value\tFunctions\ncaf\xc3\xa9\tFunctions\n");
  EXPECT_EQ(r.err, "");
  for (const char* c : {"extend-types", "Extend_Types", "EXTEND   types"})
    EXPECT_EQ(run({"list", c}).out, "Shared\tExtend Types\nTVector\tExtend Types\n") << c;
  // the code byte for byte, as the clipboard would get it
  EXPECT_EQ(run({"show", "TVector"}).out, "TYPE TVector\n    x\nENDTYPE");
  EXPECT_EQ(run({"show", "caf\xc3\xa9"}).out, "PRINT \"\xc3\xa9t\xc3\xa9\"");
  EXPECT_EQ(run({"show", "Clamp Value", "--all"}).out,
            "Name: Clamp Value\nCategory: Functions\nDescription: keeps a vector in range\nAuthor: -----\n\n"
            "FUNCTION c:\nENDFUNCTION\n");
  // "vector" is in both names (first), then only in a description
  r = run({"search", "VECTOR"});
  EXPECT_EQ(r.out, "TVector\tExtend Types\ntvector\tTypes\nClamp Value\tFunctions\n");
  r = run({"search", "\"TVector\""});
  EXPECT_EQ(r.out, "TVector\tExtend Types\n");
  r = run({"search", "nothing-like-this"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(run({"path"}).out, ini + "\n");
  EXPECT_EQ(run({"--catalogue", "/elsewhere/C.INI", "path"}).out, "/elsewhere/C.INI\n");

  // --json read back
  std::string check = bash("'" + kProgram +
                           "' show TVector --json | python3 -c 'import json,sys; d=json.load(sys.stdin); "
                           "print(d[\"name\"], d[\"category\"], d[\"author\"], repr(d[\"code\"]))'\n'" +
                           kProgram +
                           "' search --json e | python3 -c 'import json,sys; print(len(json.load(sys.stdin)))'\n'" +
                           kProgram + "' list --json functions | python3 -c 'import json,sys; print(json.load(sys.stdin)[1][\"code\"])'\n");
  EXPECT_EQ(check, "TVector Extend Types Jos\xc3\xa9 'TYPE TVector\\n    x\\nENDTYPE'\n5\nPRINT \"\xc3\xa9t\xc3\xa9\"\n");
}

// A command must start as fast as a small tool: a desktop library pulled in
// by a stray reference would cost every command its loading.
TEST_F(CommandLine, TheCommandProgramLoadsNoDesktopLibrary) {
  std::string libs = bash("ldd '" + kProgram + "'");
  if (libs.find("libc.so") == std::string::npos) GTEST_SKIP() << "no ldd";
  // a sanitizer build's runtime brings the C++ library along; the desktop ones stay out
  bool sanitized = libs.find("libasan") != std::string::npos;
  for (const char* lib : {"SDL", "X11", "GL", "png", "jpeg", "stdc++"}) {
    if (sanitized && std::string(lib) == "stdc++") continue;
    EXPECT_EQ(libs.find(lib), std::string::npos) << lib << " in\n" << libs;
  }
}

TEST_F(CommandLine, NamesCategoriesAndMistakesGiveTheirExitCodes) {
  // exact wins; else one ignoring case; several are listed on standard error
  EXPECT_EQ(run({"show", "tvector"}).out, "TYPE tvector\nENDTYPE");
  EXPECT_EQ(run({"show", "clamp value"}).out, "FUNCTION c:\nENDFUNCTION");
  EXPECT_EQ(run({"show", "CAF\xc3\x89"}).code, 0);
  Result r = run({"show", "TVECTOR"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("TVector\tExtend Types"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("tvector\tTypes"), std::string::npos) << r.err;
  EXPECT_EQ(run({"show", "Shared"}).code, 1);
  EXPECT_EQ(run({"show", "Shared", "-c", "types"}).out, "types");
  EXPECT_EQ(run({"show", "--category=Extend-Types", "Shared"}).out, "extend");
  EXPECT_EQ(run({"show", "missing"}).code, 1);

  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"nope"}, {"list", "--bogus"}, {"list", "Snacks"},
                                             {"show", "TVector", "-d", "x"}, {"show"}, {"add", "types"},
                                             {"show", "TVector", "-c"}, {"path", "extra"}, {"--pick", "list"}}) {
    r = run(args);
    EXPECT_EQ(r.code, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--help"), std::string::npos) << r.err;  // the hint
  }
  EXPECT_EQ(run({"--help"}).code, 0);
  EXPECT_NE(run({"add", "--help"}).out.find("--allow-bar"), std::string::npos);
  EXPECT_EQ(run({"--version"}).out.rfind("snipvault ", 0), 0u);

  // a catalogue that cannot be read
  std::filesystem::remove(ini);
  std::filesystem::create_directory(ini);
  r = run({"list"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("cannot read"), std::string::npos);
  EXPECT_EQ(run({"add", "types", "x"}, "code").code, 3);
}

TEST_F(CommandLine, AddSavesAsTheDialogDoesAndRefusesWhatWouldHarmTheFile) {
  Result r = run({"add", "inline", "From Pipe", "-d", "line\none", "-a", "Me"}, "a\r\n\tb\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(names("INLINE"), "From Pipe=a\n    b;");
  std::string text = read_file(ini);
  EXPECT_NE(text.find("NAME0=From Pipe\r\nDESCRIPTION0=line one\r\nAUTHOR0=Me\r\nCODE0=a|    b\r\n"),
            std::string::npos);

  std::string before = read_file(ini);
  for (const auto& [args, input] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"add", "types", "Bar"}, "a | b"},
           {{"add", "types", "   "}, "code"},
           {{"add", "types", "Empty"}, "\n"},
           {{"add", "types", "Bad"}, "ok \xff\xfe"},
           {{"add", "types", "Nul"}, std::string("a\0b", 3)},
           {{"add", "types", "Bad \xc3"}, "code"},
           {{"add", "types", "x", "-d", "\xed\xa0\x80"}, "code"}}) {
    r = run(args, input);
    EXPECT_EQ(r.code, 2) << args[2];
    EXPECT_NE(r.err, "");
    EXPECT_EQ(read_file(ini), before) << args[2];
  }
  r = run({"add", "types", "Bar", "--allow-bar"}, "a | b");
  EXPECT_EQ(r.code, 0);
  // beyond Latin-1: "?" and one warning for the whole command
  r = run({"add", "types", "Snow \xe2\x98\x83", "-a", "\xe2\x98\x83"}, "\xe2\x82\xac 5");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_EQ(run({"show", "Snow ?", "--all"}).out, "Name: Snow ?\nCategory: Types\nDescription: -----\nAuthor: ?\n\n? 5\n");
  EXPECT_EQ(run({"show", "Bar"}).out, "a \n b");

  // the template of a terminal's add is the dialog's
  TvStringArray cats;
  categories(cats);
  for (int32_t c = 0; c < kCategoryCount; ++c)
    EXPECT_STREQ(cli_code_template(c).c_str(), code_template(cats, c).c_str());
}

TEST_F(CommandLine, EditAndRmChangeOneSnippetInPlace) {
  // the editor: a script that rewrites the file it is given
  std::string editor = dir / "editor.sh";
  write_file(editor, "#!/bin/sh\nprintf 'TYPE TVector\\n    x, y\\nENDTYPE\\n' > \"$1\"\n");
  std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
  setenv("VISUAL", editor.c_str(), 1);
  Result r = run({"edit", "TVector"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(read_file(ini).find("NAME0=TVector\r\nDESCRIPTION0=a vector\r\nAUTHOR0=Jos\xe9\r\nCODE0=TYPE TVector|    x, y|ENDTYPE\r\n"),
            std::string::npos)
      << read_file(ini);
  // an editor that fails, or leaves the text as it was, saves nothing
  std::string before = read_file(ini);
  setenv("VISUAL", "false", 1);
  EXPECT_EQ(run({"edit", "TVector"}).code, 3);
  setenv("VISUAL", "true", 1);
  EXPECT_EQ(run({"edit", "TVector"}).code, 0);
  unsetenv("VISUAL");
  EXPECT_EQ(read_file(ini), before);

  // rm asks on a terminal only; without one it needs -y
  r = run({"rm", "Shared", "-c", "extend types"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(read_file(ini), before);
  EXPECT_EQ(run({"rm", "TVector", "-y"}).code, 0);
  EXPECT_EQ(names("Extend Types"), "Shared=extend;");
  // renumbered: the entry after it is now number 0
  EXPECT_NE(read_file(ini).find("[Extend_Types]\r\nNAME0=Shared\r\nCODE0=extend\r\n"), std::string::npos)
      << read_file(ini);
  EXPECT_EQ(run({"rm", "Nothing Like It", "-y"}).code, 1);
}

TEST_F(CommandLine, WritesWaitForTheLockAndNeverLoseEachOther) {
  int lock = open((ini + ".lock").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  Result started = run({"add", "types", "Waited"}, "code", false);
  // told after a second (a busy machine may take longer to get there)
  for (int i = 0; i < 100 && read_file(dir / "stderr").find("waiting") == std::string::npos; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_NE(read_file(dir / "stderr").find("waiting"), std::string::npos);
  EXPECT_EQ(names("Types").find("Waited"), std::string::npos);
  flock(lock, LOCK_UN);
  close(lock);
  Result r = finish(started.code);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(names("Types").find("Waited=code;"), std::string::npos);

  // two commands adding at once, ten each
  std::string out = bash("for i in 0 1 2 3 4 5 6 7 8 9; do '" + kProgram + "' add types a$i >/dev/null 2>&1 <<<x; done &\n"
                         "for i in 0 1 2 3 4 5 6 7 8 9; do '" + kProgram + "' add types b$i >/dev/null 2>&1 <<<y; done\nwait\n'" +
                         kProgram + "' list types | wc -l\n");
  EXPECT_EQ(out, "23\n");
}

TEST_F(CommandLine, AClosedPipeEndsQuietlyAndTheCompletionKnowsNamesAndCategories) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "NAME" + std::to_string(i) + "=snippet " + std::to_string(i) + "\r\nCODE" + std::to_string(i) + "=x\r\n";
  write_file(ini, "[Types]\r\n" + big);
  EXPECT_EQ(bash("'" + kProgram + "' list | head -1; echo \"${PIPESTATUS[0]}\"\n"), "snippet 0\tTypes\n0\n");
  SetUp();

  std::string completion = kRoot + "/shell/snipvault.bash";
  auto complete = [&](const std::string& words, int cword) {
    return bash("source '" + completion + "'\nCOMP_WORDS=(" + words + ")\nCOMP_CWORD=" + std::to_string(cword) +
                "\n_snipvault\nprintf '%s\\n' \"${COMPREPLY[@]}\"\n");
  };
  EXPECT_EQ(complete("snipvault se", 1), "search\n");
  EXPECT_EQ(complete("snipvault show -c ty", 3), "types\n");
  EXPECT_EQ(complete("'" + kProgram + "' show Cl", 2), "Clamp\\ Value\n");
  EXPECT_EQ(complete("'" + kProgram + "' --catalogue '" + ini + "' copy TV", 4), "TVector\n");
  EXPECT_EQ(complete("snipvault add ''", 2), "extend-types\ntypes\nfunctions\nsubroutines\nconstants\ninline\n");
}

TEST_F(CommandLine, CopyLeavesTheCodeOnTheClipboardAfterItEnded) {
  struct Display : PrivateDisplay {
    ~Display() { stop(); }
  } display;
  if (!have_tool("xclip") || !display.start()) GTEST_SKIP() << "no xclip or private X server";
  setenv("DISPLAY", display.name.c_str(), 1);
  Result r = run({"copy", "tvector"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(bash("timeout 10 xclip -o -selection clipboard"), "TYPE tvector\nENDTYPE");
  // another program's copy ends our keeper
  bash("echo other | timeout 10 xclip -i -selection clipboard -loops 1 & sleep 0.5; timeout 10 xclip -o -selection clipboard >/dev/null; wait");
  unsetenv("DISPLAY");
  EXPECT_EQ(run({"copy", "nothing-like-this"}).code, 1);
}

}  // namespace
