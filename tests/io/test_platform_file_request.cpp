// The desktop file dialog through stand-in zenity and kdialog scripts on a
// controlled PATH: what the dialog is asked, what comes back, cancelling,
// and a desktop without any dialog program.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/io/platform_test_util.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/frame/window.h"
#include "runtime/gfx2d/device.h"
#include "runtime/io/file_request.h"
#include "runtime/io/platform_info.h"


namespace {

// A stand-in dialog: records its arguments (one per line) and its working
// directory, then prints `answer` and ends with `code`.
void fake_dialog(const ScratchDir& bin, const char* name, const std::string& answer, int code) {
  std::string log = bin / (std::string(name) + ".args");
  write_script(bin / name, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + log + "'\n" +
                               "cd /\n" + "printf '%s\\n' '" + answer + "'\nexit " + std::to_string(code) + "\n");
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(FileRequestFilters, PairsUpToTheFirstEmptyEntry) {
  auto f = file_request_filters(TvString("Text|*.txt|All|*.*"));
  ASSERT_EQ(f.size(), 2u);
  EXPECT_EQ(f[0].description, "Text");
  EXPECT_EQ(f[0].patterns, std::vector<std::string>{"*.txt"});
  EXPECT_EQ(f[1].patterns, std::vector<std::string>{"*.*"});

  f = file_request_filters(TvString("Bilder \xE4|*.png;*.JPG"));
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].description, "Bilder \xC3\xA4");
  EXPECT_EQ(f[0].patterns, (std::vector<std::string>{"*.png", "*.JPG"}));

  EXPECT_TRUE(file_request_filters(TvString("")).empty());
  EXPECT_EQ(file_request_filters(TvString("Text|*.txt||All|*.*")).size(), 1u);
  EXPECT_EQ(file_request_filters(TvString("Text|*.txt|All")).size(), 1u);
  EXPECT_TRUE(file_request_filters(TvString("|*.txt")).empty());

  EXPECT_EQ(file_request_pattern("*.png"), "*.[pP][nN][gG]");
  EXPECT_EQ(file_request_pattern("*.*"), "*");
  EXPECT_EQ(file_request_pattern("a[0-9].x"), "a[0-9].x");
}

TEST(FileRequest, ChosenPathWithZenity) {
  CwdGuard keep;
  ScratchDir bin, work;
  fake_dialog(bin, "zenity", "/data/\xC3\xA4rger/a.txt", 0);
  fake_dialog(bin, "kdialog", "/wrong", 0);
  EnvGuard path("PATH", bin.str().c_str()), desk("XDG_CURRENT_DESKTOP", "GNOME");
  fs::current_path(work.path);
  std::string cwd = fs::current_path().string();

  TvString chosen = file_request(1, TvString("Text|*.txt|All|*.*"));

  EXPECT_STREQ(chosen.c_str(), "/data/\xE4rger/a.txt");  // back to Latin-1
  EXPECT_EQ(fs::current_path().string(), cwd);
  auto args = lines_of(read_file(bin / "zenity.args"));
  EXPECT_EQ(args, (std::vector<std::string>{"--file-selection", "--title=Open", "--filename=" + cwd + "/",
                                            "--file-filter=Text | *.[tT][xX][tT]", "--file-filter=All | *"}));

  EXPECT_STREQ(file_request(0, TvString("")).c_str(), "/data/\xE4rger/a.txt");
  args = lines_of(read_file(bin / "zenity.args"));
  EXPECT_EQ(args, (std::vector<std::string>{"--file-selection", "--title=Save As", "--save",
                                            "--filename=" + cwd + "/"}));
}

TEST(FileRequest, CancelGivesNoFile) {
  ScratchDir bin;
  fake_dialog(bin, "zenity", "", 1);
  EnvGuard path("PATH", bin.str().c_str()), desk("XDG_CURRENT_DESKTOP", nullptr);
  EXPECT_STREQ(file_request(1, TvString("Text|*.txt")).c_str(), "NO_FILE");

  fake_dialog(bin, "zenity", "", 0);  // ended well but chose nothing
  EXPECT_STREQ(file_request(1, TvString("Text|*.txt")).c_str(), "NO_FILE");
}

TEST(FileRequest, NameLatin1CannotCarryKeepsDesktopBytes) {
  ScratchDir bin;
  fake_dialog(bin, "zenity", "/data/\xE2\x82\xAC.txt", 0);  // a euro sign
  EnvGuard path("PATH", bin.str().c_str());
  EXPECT_STREQ(file_request(1, TvString("")).c_str(), "/data/\xE2\x82\xAC.txt");
}

TEST(FileRequest, KdialogOnKdeOrWithoutZenity) {
  CwdGuard keep;
  ScratchDir bin, work;
  fake_dialog(bin, "kdialog", "/home/u/b.png", 0);
  EnvGuard path("PATH", bin.str().c_str()), desk("XDG_CURRENT_DESKTOP", nullptr);
  fs::current_path(work.path);
  std::string cwd = fs::current_path().string();

  EXPECT_STREQ(file_request(0, TvString("Images|*.png;*.gif|All|*.*")).c_str(), "/home/u/b.png");
  auto args = lines_of(read_file(bin / "kdialog.args"));
  EXPECT_EQ(args, (std::vector<std::string>{"--title", "Save As", "--getsavefilename", cwd + "/",
                                            "*.[pP][nN][gG] *.[gG][iI][fF]|Images", "*|All"}));

  fake_dialog(bin, "zenity", "/from/zenity", 0);
  EXPECT_STREQ(file_request(1, TvString("")).c_str(), "/from/zenity");
  EnvGuard kde("XDG_CURRENT_DESKTOP", "KDE");
  EXPECT_STREQ(file_request(1, TvString("")).c_str(), "/home/u/b.png");
}

TEST(FileRequest, NoDialogProgramLogsAndGivesNoFile) {
  ScratchDir bin, tmp;
  EnvGuard path("PATH", bin.str().c_str()), t("TMPDIR", tmp.str().c_str());
  EXPECT_STREQ(file_request(1, TvString("Text|*.txt")).c_str(), "NO_FILE");
  std::string log = read_file(tmp / "ErrorLog.txt");
  EXPECT_NE(log.find("file_request: no desktop file dialog"), std::string::npos) << log;
  EXPECT_EQ(log.substr(log.size() - 2), "\r\n");
}

// Runs in a child process, so the OpenGL driver's own allocations stay out
// of this test program; the outcome goes to `status` ("ok", "skip" or what
// went wrong) and the child ends without exit-time handlers.
std::string round_trip_status;

[[noreturn]] void finish(const std::string& text) {
  write_file(round_trip_status, text);
  std::_Exit(0);
}

[[noreturn]] void window_round_trip(const std::string& status, const std::string& log) {
  round_trip_status = status;
  connect_layers();
  apply_project_settings();
  graphics_device = new OpenGLVadeviva();
  if (!create_window(*graphics_device, nullptr, 480, 320, 0, 60, 0)) finish("skip");
  // with a context the driver is asked, and names it does not know are refused
  if (std::string(platform_info(TvString("GLEXT:glDrawRangeElements")).c_str()) != "1") finish("core entry point missing");
  if (std::string(platform_info(TvString("GLEXT:glNoSuchFunctionAtAll")).c_str()) != "0") finish("made-up entry point found");
  if (std::string(platform_info(TvString("GLEXT:gldrawrangeelements")).c_str()) != "0") finish("entry point case ignored");

  graphics_device->fullscreen_active = true;
  if (std::string(file_request(1, TvString("")).c_str()) != "/data/a.txt") finish("no path with a window");
  if (graphics_device->fullscreen_active) finish("still full screen");  // settings ask for a window
  if (!graphics_device->window) finish("window lost");

  project_settings.fullscreen = 1;
  if (std::string(file_request(0, TvString("")).c_str()) != "/data/a.txt") finish("no path in full screen");
  // full screen again, or the desktop refused and said so
  if (!graphics_device->fullscreen_active && read_file(log).find("No Fullscreen Mode available") == std::string::npos)
    finish("full screen not restored");
  if (graphics_device->width != 480 || graphics_device->height != 320) finish("size changed");
  project_settings.fullscreen = 0;
  free_graphics_device();
  finish("ok");
}

TEST(FileRequest, WindowLeavesFullScreenAndComesBackAndGlEntryPoints) {
  ScratchDir bin, tmp;
  fake_dialog(bin, "zenity", "/data/a.txt", 0);
  EnvGuard path("PATH", bin.str().c_str()), t("TMPDIR", tmp.str().c_str());
  std::string status = tmp / "status";
  EXPECT_EXIT(window_round_trip(status, tmp / "ErrorLog.txt"), ::testing::ExitedWithCode(0), "");
  std::string outcome = read_file(status);
  if (outcome == "skip") GTEST_SKIP() << "no display for a window";
  EXPECT_EQ(outcome, "ok");
}
