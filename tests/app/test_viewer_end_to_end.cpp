// The installed program on a private X server, driven only from outside:
// xdotool clicks at the widgets' laid-out positions and types, xclip plays
// the other desktop program. Browse a tab, choose a snippet in the combo's
// pop-up, copy it, paste text into a new snippet, save, quit, start again
// and find the snippet there.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/add_dialog.h"
#include "app/catalogue.h"
#include "app/search.h"
#include "app/viewer.h"
#include "runtime/platform/platform_files.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/vexui_test.h"

namespace {

struct Spot {
  int x = 0, y = 0;
};

class ViewerEndToEnd : public VexuiTest {
 protected:
  ProgramRun run;
  ScratchDir dir{"e2e"};
  std::string data_home = dir / "data";
  std::string dest = data_home + "/snipvault";
  std::map<std::string, Spot> spot;  // viewer widgets, "add:" + dialog widgets, "tab2", "item1"

  void SetUp() override {
    VexuiTest::SetUp();
    if (!have_tool("xdotool") || !have_tool("xclip")) GTEST_SKIP() << "needs xdotool and xclip";
    std::string cmd = "SNIPVAULT_SKIP_BUILD=1 SNIPVAULT_NO_START=1 SNIPVAULT_BUILD='" + std::string(TEST_BINARY_DIR) +
                      "' XDG_DATA_HOME='" + data_home + "' '" + TEST_SOURCE_ROOT + "/scripts/run.sh' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    run.program = dest + "/snipvault";
    run.tmpdir = dir.str();
    std::string why = run.missing();
    if (!why.empty()) GTEST_SKIP() << why;
    lay_out();
  }
  void TearDown() override { VexuiTest::TearDown(); }

  static Spot centre(const char* id) {
    return {num(id, "XPOS") + num(id, "WIDTH") / 2, num(id, "YPOS") + num(id, "HEIGHT") / 2};
  }

  // The same windows built in this process on the installed catalogue give
  // the positions to click at.
  void lay_out() {
    Viewer v;
    v.catalogue.path = (dest + "/CODE.INI").c_str();
    viewer_build(v);
    vexui_show(0);
    vexui_show(0);  // labels take their height in the first frame
    for (const char* id : {"combo", "copy", "add"}) spot[id] = centre(id);
    int y = num("tab", "YPOS") + num("tab", "HEIGHT") / 2;
    for (int x = num("tab", "XPOS") + 2; x < 480; x += 3) {
      click_at(x, y);
      std::string key = "tab" + std::to_string(num("tab", "SELECT"));
      if (!spot.count(key)) spot[key] = {x + 4, y};
    }
    // the combo's pop-up list opens over the combo with one button per item
    int sw = 480, sh = 320;
    v.list_text = load_category(v.catalogue, "Functions", v.snippets);
    int cx = num("combo", "XPOS"), cy = num("combo", "YPOS"), cw = num("combo", "WIDTH");
    ASSERT_TRUE(vexui_popup_build(std::min(sw - 16, cx), cy, cw, std::max(16, sh - cy), v.list_text));
    vexui_show(1);
    vexui_show(1);
    spot["item1"] = centre("b1");
    vexui_pop_dialog();
    AddDialog d;
    add_dialog_build(d, v.catalogue, v.categories, 2);
    vexui_show(0);
    vexui_show(0);
    for (const char* id : {"name2", "description2", "author2", "text", "paste", "save", "exit"})
      spot[std::string("add:") + id] = centre(id);
    vexui_message_box_build("Discard the new snippet?", 1, "Add Your Own Code");
    vexui_show(1);
    vexui_show(1);
    spot["box:yes"] = centre("bt_yes");
    spot["box:no"] = centre("bt_no");
    vexui_pop_dialog();
    add_dialog_lock_wait_build();
    vexui_show(0);
    vexui_show(0);
    spot["wait:cancel"] = centre("wait_cancel");
    vexui_pop_dialog();
    vexui_pop_dialog();
    vexui_pop_dialog();
    escape_switch(1);
  }

  std::string x(const std::string& args) { return run.on_display(args); }
  void xdo(const std::string& args) { ASSERT_TRUE(run_quiet(x("xdotool " + args))) << args; }
  void click(const std::string& name) {
    ASSERT_TRUE(spot.count(name)) << name;
    xdo("mousemove --window " + window + " " + std::to_string(spot[name].x) + " " + std::to_string(spot[name].y));
    usleep(150000);
    // held over a few frames, as a hand would
    xdo("mousedown 1");
    usleep(150000);
    xdo("mouseup 1");
    usleep(350000);
  }
  std::string clipboard() {
    std::string out;
    if (FILE* p = popen(x("timeout 5 xclip -selection clipboard -o 2>/dev/null").c_str(), "r")) {
      char buf[4096];
      size_t n;
      while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
      pclose(p);
    }
    return out;
  }
  void put_clipboard(const std::string& text) {
    FILE* p = popen(x("xclip -selection clipboard -i").c_str(), "w");
    fwrite(text.data(), 1, text.size(), p);
    pclose(p);
    for (int i = 0; i < 50 && clipboard() != text; i++) usleep(50000);
  }

  std::string window;
  void start() {
    run.start();
    window = run.window_id();
    ASSERT_FALSE(window.empty());
  }
  int quit() {
    xdo("key Escape");
    return exit_code(10000);
  }
  // The program's exit code once it ended within `ms`; -1 while it runs.
  int exit_code(int ms) {
    int status = run.wait_for_end(ms);
    return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

// The file's lines, each with its line end.
std::vector<std::string> lines_of(const std::string& bytes) {
  std::vector<std::string> out;
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find('\n', at);
    end = end == std::string::npos ? bytes.size() : end + 1;
    out.push_back(bytes.substr(at, end - at));
    at = end;
  }
  return out;
}

TEST_F(ViewerEndToEnd, BrowseCopyPasteAddQuitAndFindItAgain) {
  // the user's own comments, blank lines and an empty section survive a save
  const std::string before = "; my notes\r\n\r\n" + read_file(dest + "/CODE.INI") + "\r\n; kept for later\r\n[Unused]\r\n";
  write_file(dest + "/CODE.INI", before);
  start();
  SnippetArray functions;
  Catalogue installed;
  installed.path = (dest + "/CODE.INI").c_str();
  load_category(installed, "Functions", functions);
  ASSERT_GE(functions.size1, 2);

  click("tab2");
  click("combo");
  click("item1");
  click("copy");
  EXPECT_EQ(clipboard(), std::string(functions(1).code.c_str()));

  put_clipboard("FUNCTION Twice: x\r\n\treturn x * 2\nENDFUNCTION");
  click("add");
  click("add:name2");
  xdo("type --delay 20 'Aardvark'");
  click("add:paste");
  click("add:save");
  EXPECT_EQ(quit(), 0);
  std::string file = read_file(dest + "/CODE.INI");
  std::vector<std::string> old_lines = lines_of(before), new_lines = lines_of(file);
  EXPECT_EQ(new_lines.size(), old_lines.size() + 4);  // NAME, DESCRIPTION, AUTHOR, CODE
  size_t j = 0;
  for (const std::string& l : old_lines) {
    while (j < new_lines.size() && new_lines[j] != l) ++j;
    ASSERT_LT(j++, new_lines.size()) << "lost: " << l;
  }
  EXPECT_NE(file.find("=Aardvark\r\n"), std::string::npos);
  EXPECT_NE(file.find("=FUNCTION Twice: x|    return x * 2|ENDFUNCTION\r\n"), std::string::npos);

  // a new start shows it: first in the Functions tab, copied as it was saved
  start();
  click("tab2");
  click("copy");
  EXPECT_EQ(clipboard(), "FUNCTION Twice: x\n    return x * 2\nENDFUNCTION");
  EXPECT_EQ(quit(), 0);
}

// The keys from outside: F2 renames the first snippet in place, Delete and
// Enter remove it, Ctrl+Z brings it back, Page Down and Enter copy the
// second; a snippet another program appends to CODE.INI shows up.
TEST_F(ViewerEndToEnd, EditDeleteUndoByKeysAndAnotherProgramsAppendShowsUp) {
  std::string ini = dest + "/CODE.INI";
  Catalogue installed;
  installed.path = ini.c_str();
  SnippetArray first;
  load_category(installed, "Extend Types", first);
  ASSERT_GE(first.size1, 2);
  std::string name = first(0).name.c_str(), renamed = name + "Z";
  std::string number = std::to_string(first(0).number);
  start();
  auto key = [&](const std::string& k, int ms = 400) {
    xdo("key " + k);
    usleep(ms * 1000);
  };
  // a slow machine (or a sanitizer build) may take its time: wait for the effect
  auto file_has = [&](const std::string& text) {
    for (int i = 0; i < 100 && read_file(ini).find(text) == std::string::npos; i++) usleep(100000);
    return read_file(ini).find(text) != std::string::npos;
  };
  auto copied = [&](const std::string& text) {
    for (int i = 0; i < 50 && clipboard() != text; i++) usleep(100000);
    return clipboard();
  };
  key("F2", 1500);  // the dialog is up
  click("add:name2");
  key("End");
  xdo("type --delay 30 Z");
  click("add:save");
  EXPECT_TRUE(file_has("NAME" + number + "=" + renamed + "\r\n"));

  key("Delete", 1500);
  key("Return");
  for (int i = 0; i < 100 && read_file(ini).find("=" + renamed + "\r\n") != std::string::npos; i++) usleep(100000);
  EXPECT_EQ(read_file(ini).find("=" + renamed + "\r\n"), std::string::npos);
  key("ctrl+z");
  EXPECT_TRUE(file_has("NAME" + number + "=" + renamed + "\r\n"));

  key("ctrl+1", 800);  // the category from its first snippet again
  key("Next", 800);
  key("Return");
  EXPECT_EQ(copied(first(1).code.c_str()), std::string(first(1).code.c_str()));

  // INLINE is the file's last section: a line appended lands in it
  SnippetArray inline_list;
  load_category(installed, "INLINE", inline_list);
  key("ctrl+6", 800);
  std::string text = read_file(ini);
  write_file(ini, text + "NAME" + std::to_string(inline_list.size1) + "=!appended\r\nCODE" +
                      std::to_string(inline_list.size1) + "=from elsewhere\r\n");
  usleep(1000000);   // within a second
  key("Prior", 800);  // the new one sorts first, above the snippet on show
  key("Return");
  EXPECT_EQ(copied("from elsewhere"), "from elsewhere");
  EXPECT_EQ(quit(), 0);
  // the run's first change kept the catalogue as it was
  int copies = 0;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dest + "/backups", ec)) copies += e.path().extension() == ".INI";
  EXPECT_EQ(copies, 1);
}

TEST_F(ViewerEndToEnd, QuickTypingThenSaveKeepsEveryCharacterAndClosingAsksFirst) {
  start();
  // 60 characters at 10 ms a key, Save pressed 0.1 s after the last one
  const std::string name = "The quick brown fox jumps over 13 lazy dogs and 7 more cats!";
  ASSERT_EQ(name.size(), 60u);
  click("add");
  click("add:name2");
  xdo("mousemove --window " + window + " " + std::to_string(spot["add:save"].x) + " " +
      std::to_string(spot["add:save"].y));
  xdo("type --delay 10 '" + name + "'");
  usleep(100000);
  xdo("mousedown 1");
  usleep(100000);
  xdo("mouseup 1");
  usleep(500000);
  EXPECT_NE(read_file(dest + "/CODE.INI").find("=" + name + "\r\n"), std::string::npos);

  // Alt+F4 with a name entered asks; No keeps the dialog and the name
  click("add");
  click("add:name2");
  xdo("type --delay 20 'kept'");
  usleep(300000);
  xdo("key alt+F4");
  usleep(500000);
  click("box:no");
  EXPECT_EQ(exit_code(300), -1) << "Alt+F4 ended the program with a name entered";
  click("add:save");
  EXPECT_NE(read_file(dest + "/CODE.INI").find("=kept\r\n"), std::string::npos);

  // the close button with a name entered asks too; Yes ends the program unsaved
  click("add");
  click("add:name2");
  xdo("type --delay 20 'dropped'");
  usleep(300000);
  ASSERT_TRUE(run.close_window());
  usleep(500000);
  EXPECT_EQ(exit_code(300), -1) << "the close button ended the program with a name entered";
  click("box:yes");
  EXPECT_EQ(exit_code(10000), 0);
  EXPECT_EQ(read_file(dest + "/CODE.INI").find("=dropped\r\n"), std::string::npos);

  // with nothing entered the close button ends the program at once
  start();
  click("add");
  ASSERT_TRUE(run.close_window());
  EXPECT_EQ(exit_code(10000), 0);
}

// While another copy holds the catalogue's lock the window keeps drawing a
// line with Cancel; Cancel gives the save up with the dialog as it was, and
// once the lock is free the same dialog saves.
TEST_F(ViewerEndToEnd, WaitingForTheLockCanBeCancelledAndTheDialogStays) {
  std::string ini = dest + "/CODE.INI";
  const std::string before = read_file(ini);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t holder = fork();
  if (holder == 0) {
    PlatformOpenStatus status;
    PlatformFile f = platform_file_open_regular((ini + ".lock").c_str(), true, true, status);
    platform_file_lock(f, 0);
    (void)!write(ready[1], "x", 1);
    pause();
    _exit(0);
  }
  char c;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  start();
  click("add");
  click("add:name2");
  xdo("type --delay 20 'Waiter'");
  click("add:save");
  for (int i = 0; i < 50 && run.log_text().find("waiting for its lock") == std::string::npos; i++) usleep(20000);
  EXPECT_NE(run.log_text().find("waiting for its lock"), std::string::npos);
  EXPECT_EQ(read_file(ini), before);
  click("wait:cancel");
  usleep(300000);
  kill(holder, SIGKILL);
  waitpid(holder, nullptr, 0);
  EXPECT_EQ(read_file(ini), before);
  click("add:save");  // the name typed before is still there
  EXPECT_EQ(quit(), 0);
  EXPECT_NE(read_file(ini).find("=Waiter\r\n"), std::string::npos);
}

// Without a display the program says why, on standard error and in its
// log, and ends with 1 at once instead of running unseen.
// Search from outside: Ctrl+F, a few letters and Enter put the best match
// on show, so "Copy To Clipboard" copies it; pick mode copies at Enter and
// ends with 0, the code staying on the clipboard; Escape there ends with 1.
TEST_F(ViewerEndToEnd, SearchShowsTheBestMatchAndPickModeCopiesIt) {
  SearchIndex ix;
  ASSERT_TRUE(search_refresh(ix, (dest + "/CODE.INI").c_str()));
  std::vector<SearchRow> rows;
  search_run(ix, "clamp", rows);
  ASSERT_FALSE(rows.empty());
  const std::string code = search_snippet(ix, rows[0].entry).code.c_str();

  start();
  xdo("key ctrl+f");
  usleep(300000);
  xdo("type --delay 60 'clamp'");
  usleep(300000);
  xdo("key Return");
  usleep(300000);
  click("copy");
  EXPECT_EQ(clipboard(), code);
  EXPECT_EQ(quit(), 0);

  put_clipboard("something else");
  run.args = {"--pick"};
  start();
  xdo("type --delay 60 'clamp'");
  usleep(300000);
  xdo("key Return");
  EXPECT_EQ(exit_code(10000), 0);
  EXPECT_EQ(clipboard(), code);

  put_clipboard("left alone");
  start();
  xdo("key Escape");
  EXPECT_EQ(exit_code(10000), 1);
  EXPECT_EQ(clipboard(), "left alone");
}

TEST(NoDisplay, TheProgramSaysWhyAndEndsWithinTwoSeconds) {
  ScratchDir dir("nodisplay");
  for (const char* display : {"", ":239"}) {
    std::string err = dir / "stderr";
    std::string cmd = "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER " +
                      std::string(*display ? "DISPLAY=" + std::string(display) : "-u DISPLAY") + " TMPDIR='" +
                      dir.str() + "' timeout 10 '" + TEST_BINARY_DIR + "/snipvault' 2>'" + err + "' >/dev/null";
    auto t0 = std::chrono::steady_clock::now();
    int status = std::system(cmd.c_str());
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << display << " " << status;
    EXPECT_LT(seconds, 2.0) << display;
    EXPECT_NE(read_file(err).find("no display can be opened"), std::string::npos) << read_file(err);
    EXPECT_NE(read_file(dir / "ErrorLog.txt").find("no display can be opened"), std::string::npos);
  }
}

}  // namespace
