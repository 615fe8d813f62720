// Copy, close, paste: the built program on a private X server copies a
// snippet (clicked with xdotool) and ends; the copied code stays on the
// clipboard for xclip, served by a keeper process until another copy takes
// over, or handed to a clipboard manager (a stand-in) so no keeper stays.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/catalogue.h"
#include "app/viewer.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/vexui_test.h"
// last: Xlib's macros clash with the rest
#include "tests/support/x11_selection.h"

namespace {

// The first snippet's code has Latin-1 characters; "|" is a line break.
const char* kCode = "PRINT \"caf\xE9 Gr\xF6\xDF" "e\"|END";
const char* kCodeUtf8 = "PRINT \"caf\xC3\xA9 Gr\xC3\xB6\xC3\x9F" "e\"\nEND";

class ClipboardEndToEnd : public VexuiTest {
 protected:
  ProgramRun run;
  ScratchDir dir{"clipboard_e2e"};
  KeeperReaper reaper;
  int copy_x = 0, copy_y = 0;

  void SetUp() override {
    VexuiTest::SetUp();
    if (!have_tool("xclip")) GTEST_SKIP() << "needs xclip";
    // the program with a catalogue of its own beside it
    std::string ini = read_file(TEST_SOURCE_ROOT "/data/CODE.INI");
    size_t at = ini.find("CODE0=");
    ini.replace(at, ini.find('\n', at) - at, std::string("CODE0=") + kCode);
    write_file(dir / "CODE.INI", ini);
    // snipvault hands the desktop program over to snipvault-desktop beside it
    for (const char* name : {"snipvault", "snipvault-desktop"}) {
      std::filesystem::copy_file(std::filesystem::path(run.program).parent_path() / name, dir / name);
      std::filesystem::permissions(dir / name, std::filesystem::perms::owner_all);
    }
    run.program = dir / "snipvault";
    std::string why = run.missing();
    if (!why.empty()) GTEST_SKIP() << why;
    // the same window built here gives the button's place
    Viewer v;
    v.catalogue.path = (dir / "CODE.INI").c_str();
    viewer_build(v);
    vexui_show(0);
    vexui_show(0);
    copy_x = num("copy", "XPOS") + num("copy", "WIDTH") / 2;
    copy_y = num("copy", "YPOS") + num("copy", "HEIGHT") / 2;
    vexui_pop_dialog();
  }
  void TearDown() override { VexuiTest::TearDown(); }

  void copy_snippet() {
    std::string window = run.window_id();
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(run.xdotool("mousemove --window " + window + " " + std::to_string(copy_x) + " " +
                            std::to_string(copy_y)));
    usleep(150000);
    ASSERT_TRUE(run.xdotool("mousedown 1"));
    usleep(150000);
    ASSERT_TRUE(run.xdotool("mouseup 1"));
    for (int i = 0; i < 50 && clipboard() != kCodeUtf8; i++) usleep(100000);
    ASSERT_EQ(clipboard(), kCodeUtf8);
  }
  std::string clipboard() {
    std::string out;
    if (FILE* p = popen(run.on_display("timeout 5 xclip -selection clipboard -o 2>/dev/null").c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  void end_with(const std::string& keys) {
    ASSERT_TRUE(run.xdotool("key " + keys));
    int status = run.wait_for_end(15000);
    ASSERT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
};

TEST_F(ClipboardEndToEnd, CopiedCodeOutlivesTheProgramUntilAnotherCopy) {
  TestSelections x(run.display.name);
  ASSERT_NE(x.dpy, nullptr);
  run.start();
  copy_snippet();
  end_with("Escape");
  EXPECT_EQ(clipboard(), kCodeUtf8);
  pid_t first = x.owner_pid("CLIPBOARD");
  ASSERT_GT(first, 0) << "no keeper";
  // it holds nothing of the program's: no folder, no file but its connection
  std::string proc = "/proc/" + std::to_string(first);
  EXPECT_EQ(std::filesystem::read_symlink(proc + "/cwd"), "/");
  int files = 0;
  for (auto& f : std::filesystem::directory_iterator(proc + "/fd")) {
    std::string target = std::filesystem::read_symlink(f.path()).string();
    EXPECT_TRUE(target == "/dev/null" || target.rfind("socket:", 0) == 0) << target;
    files++;
  }
  EXPECT_LE(files, 4);  // standard input, output and error on /dev/null, the X connection

  // a second run's copy replaces the first keeper, which ends
  run.start();
  copy_snippet();
  EXPECT_TRUE(KeeperReaper::ended(first)) << "first keeper " << first << " still runs";
  end_with("alt+F4");
  EXPECT_EQ(clipboard(), kCodeUtf8);
  pid_t second = x.owner_pid("CLIPBOARD");
  ASSERT_GT(second, 0) << "no keeper";
  EXPECT_NE(second, first);

  // another program copies: the keeper ends
  FILE* p = popen(run.on_display("xclip -selection clipboard -i >/dev/null 2>&1").c_str(), "w");
  ASSERT_NE(p, nullptr);
  fputs("other", p);
  pclose(p);
  bool ended = KeeperReaper::ended(second);
  EXPECT_TRUE(ended) << "keeper " << second << " still runs";
  if (!ended) KeeperReaper::end(second);
  EXPECT_EQ(clipboard(), "other");
}

TEST_F(ClipboardEndToEnd, AClipboardManagerTakesTheCodeAndNoKeeperStays) {
  ManagerStandIn manager(run.display.name);
  ASSERT_NE(manager.x.dpy, nullptr);
  TestSelections x(run.display.name);
  run.start();
  copy_snippet();
  ASSERT_TRUE(run.close_window());
  int status = run.wait_for_end(15000);
  ASSERT_TRUE(status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(manager.text(), kCodeUtf8);
  // the program's window is gone with it and no keeper took its place
  EXPECT_EQ(x.owner("CLIPBOARD"), Window(None));
  pid_t keeper = x.owner_pid("CLIPBOARD");
  EXPECT_EQ(keeper, 0);
  KeeperReaper::end(keeper);
}

}  // namespace
