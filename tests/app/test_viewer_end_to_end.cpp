// The installed program on a private X server, driven only from outside:
// xdotool clicks at the widgets' laid-out positions and types, xclip plays
// the other desktop program. Browse a tab, choose a snippet in the combo's
// pop-up, copy it, paste text into a new snippet, save, quit, start again
// and find the snippet there.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/add_dialog.h"
#include "app/catalogue.h"
#include "app/viewer.h"
#include "tests/support/private_display.h"
#include "tests/support/scratch_dir.h"
#include "tests/vexui/vexui_test.h"



namespace {

struct Spot {
  int x = 0, y = 0;
};

class ViewerEndToEnd : public VexuiTest {
 protected:
  PrivateDisplay display;
  ScratchDir dir{"e2e"};
  std::string data_home = dir / "data";
  std::string dest = data_home + "/snipvault";
  pid_t child = 0;
  std::map<std::string, Spot> spot;  // viewer widgets, "add:" + dialog widgets, "tab2", "item1"

  void SetUp() override {
    VexuiTest::SetUp();
    if (!have_tool("xdotool") || !have_tool("xclip")) GTEST_SKIP() << "needs xdotool and xclip";
    std::string cmd = "SNIPVAULT_SKIP_BUILD=1 SNIPVAULT_NO_START=1 SNIPVAULT_BUILD='" + std::string(TEST_BINARY_DIR) +
                      "' XDG_DATA_HOME='" + data_home + "' '" + TEST_SOURCE_ROOT + "/scripts/run.sh' >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    if (!display.start()) GTEST_SKIP() << "no private X server";
    lay_out();
  }
  void TearDown() override {
    if (child > 0) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    display.stop();
    catalogue_path = "CODE.INI";
    VexuiTest::TearDown();
  }

  static Spot centre(const char* id) {
    return {num(id, "XPOS") + num(id, "WIDTH") / 2, num(id, "YPOS") + num(id, "HEIGHT") / 2};
  }

  // The same windows built in this process on the installed catalogue give
  // the positions to click at.
  void lay_out() {
    catalogue_path = (dest + "/CODE.INI").c_str();
    Viewer v;
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
    v.list_text = load_category("Functions", v.snippets);
    int cx = num("combo", "XPOS"), cy = num("combo", "YPOS"), cw = num("combo", "WIDTH");
    ASSERT_TRUE(vexui_popup_build(std::min(sw - 16, cx), cy, cw, std::max(16, sh - cy), v.list_text));
    vexui_show(1);
    vexui_show(1);
    spot["item1"] = centre("b1");
    vexui_pop_dialog();
    AddDialog d;
    add_dialog_build(d, v.categories, 2);
    vexui_show(0);
    vexui_show(0);
    for (const char* id : {"name2", "description2", "author2", "text", "paste", "save", "exit"})
      spot[std::string("add:") + id] = centre(id);
    vexui_pop_dialog();
    vexui_pop_dialog();
    escape_switch(1);
  }

  std::string x(const std::string& args) { return "env DISPLAY=" + display.name + " " + args; }
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
    std::string program = dest + "/snipvault";
    std::vector<std::string> env_text;
    for (char** e = environ; *e; ++e) {
      std::string v = *e;
      if (v.rfind("DISPLAY=", 0) != 0 && v.rfind("TMPDIR=", 0) != 0 && v.rfind("SDL_VIDEODRIVER=", 0) != 0 &&
          v.rfind("SNIPVAULT_SCALE=", 0) != 0)
        env_text.push_back(v);
    }
    env_text.push_back("DISPLAY=" + display.name);
    env_text.push_back("TMPDIR=" + dir.str());
    env_text.push_back("SNIPVAULT_SCALE=1");  // clicks go to the laid-out 480 x 320 positions
    std::vector<char*> env;
    for (auto& v : env_text) env.push_back(v.data());
    env.push_back(nullptr);
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, env.data()), 0);
    ASSERT_TRUE(run_quiet(x("timeout 20 xdotool search --sync --name '^Snipvault$'")));
    for (int i = 0; i < 1000 && read_file(dir / "ErrorLog.txt").find("Init Finalized") == std::string::npos; i++)
      usleep(10000);
    FILE* p = popen(x("xdotool search --name '^Snipvault$' | head -n 1").c_str(), "r");
    char buf[64] = {};
    ASSERT_NE(fgets(buf, sizeof buf, p), nullptr);
    pclose(p);
    window = std::to_string(std::atol(buf));
    xdo("windowfocus --sync " + window);
    usleep(300000);
  }
  int quit() {
    xdo("key Escape");
    int status = -1;
    for (int i = 0; i < 1000; i++) {
      if (waitpid(child, &status, WNOHANG) == child) {
        child = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      usleep(10000);
    }
    return -1;
  }
};

TEST_F(ViewerEndToEnd, BrowseCopyPasteAddQuitAndFindItAgain) {
  start();
  SnippetArray functions;
  load_category("Functions", functions);
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
  EXPECT_NE(file.find("=Aardvark\r\n"), std::string::npos);
  EXPECT_NE(file.find("=FUNCTION Twice: x|    return x * 2|ENDFUNCTION\r\n"), std::string::npos);

  // a new start shows it: first in the Functions tab, copied as it was saved
  start();
  click("tab2");
  click("copy");
  EXPECT_EQ(clipboard(), "FUNCTION Twice: x\n    return x * 2\nENDFUNCTION");
  EXPECT_EQ(quit(), 0);
}

}  // namespace
