// Program frame: command tail, start-up and shut-down order in the log,
// the quit hook, names in the function table, settings and the program's
// own folder as current directory.
#include <gtest/gtest.h>
#ifdef __SANITIZE_ADDRESS__
#include <sanitizer/lsan_interface.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/frame/entry.h"
#include "runtime/frame/function_table.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/frame/settings.h"
#include "runtime/input/input.h"
#include "runtime/io/platform_info.h"
#include "runtime/platform/process_info.h"
#include "runtime/values/debug.h"
#include "runtime/values/errors.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {
// Gives each test its own temporary directory (and so its own ErrorLog.txt).
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", dir_.c_str(), 1);
    quit_hook_done = false;
    graphics_started = false;
    set_function_table(nullptr);
    connect_layers();
  }
  std::string log() const {
    std::ifstream in(dir_ / "ErrorLog.txt", std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // The log from "Init GFX" on: before it the window and input may report
  // the driver and devices they found on this machine.
  std::string log_from_init() const {
    std::string all = log();
    size_t at = all.find("Init GFX");
    return at == std::string::npos ? all : all.substr(at);
  }
  // later suites in this process find their temporary directory again
  void TearDown() override { setenv("TMPDIR", scratch_.path.parent_path().c_str(), 1); }
  ScratchDir scratch_{"frame_test"};
  const fs::path dir_ = scratch_.path;
};

std::string own_folder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

std::string channel;
bool attached_yes() { return true; }
void write_channel(const char* text) { channel += text; }

void main_logs_folder_and_line() {
  log_line(("cwd " + fs::current_path().string()).c_str());
  log_line(command_line.c_str());
}

void run_program_from(const fs::path& dir) {
  // the whole program runs here, window and desktop libraries included;
  // what those keep until exit is not what this test checks
#ifdef __SANITIZE_ADDRESS__
  __lsan_disable();
#endif
  fs::current_path(dir);
  char name[] = "snip vault";
  char arg[] = "x";
  char* argv[] = {name, arg};
  program_entry(2, argv, main_logs_folder_and_line);
}
}  // namespace

TEST(CommandTail, SkipsProgramNameByTheDesktopRules) {
  EXPECT_STREQ(command_tail_of("\"C:/My Tools/snip vault.exe\" CODE.INI"), "CODE.INI");
  EXPECT_STREQ(command_tail_of(" \t prog.exe \t a  b"), "a  b");
  EXPECT_STREQ(command_tail_of("prog"), "");
  EXPECT_STREQ(command_tail_of("\"unclosed name"), "");
  EXPECT_STREQ(command_tail_of("\"\"x y"), "x y");  // empty quoted name, no blank before x
  EXPECT_STREQ(command_tail_of(""), "");
}

TEST(CommandTail, RebuiltLineQuotesArgumentsWithBlanks) {
  char name[] = "/opt/my tools/snip vault";
  char arg[] = "CODE.INI";
  char tabbed[] = "a\tb";
  char empty[] = "";
  char* argv[] = {name, arg, tabbed, empty};
  std::string line = platform_command_line(4, argv);
  EXPECT_STREQ(line.c_str(), "\"/opt/my tools/snip vault\" CODE.INI \"a\tb\" \"\"");
  EXPECT_STREQ(command_tail_of(line.c_str()), "CODE.INI \"a\tb\" \"\"");
  char* two[] = {name, arg};
  EXPECT_STREQ(command_tail_of(platform_command_line(2, two).c_str()), "CODE.INI");
}

TEST_F(FrameTest, ProgramRunsStartUpMainAndShutDownInOrder) {
  { std::ofstream(dir_ / "ErrorLog.txt") << "left from the last run\r\n"; }
  fs::path elsewhere = dir_;
  EXPECT_EXIT(run_program_from(elsewhere), ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(log_from_init(),
            "Init GFX\r\nInit Finalized\r\ncwd " + own_folder() +
                "\r\n\"snip vault\" x\r\nShut down TVX\r\ntvx is shut down\r\n");
}

TEST_F(FrameTest, LibraryEntryStartsWithoutRunningAProgram) {
  runtime_error.error_code = 5;
  EXPECT_EQ(program_library_entry(nullptr), 1);
  EXPECT_EQ(runtime_error.error_code, 0);
  EXPECT_STREQ(app_name.c_str(), "Snipvault");
  EXPECT_EQ(log_from_init(), "Init GFX\r\nInit Finalized\r\n");
  EXPECT_EQ(fs::current_path().string(), own_folder());
  EXPECT_EQ(debug_break_input_reset, &input_forget_keys);
}

namespace {
int quit_calls = 0;
void quit_hook_that_ends_again() {
  ++quit_calls;
  log_line("hook");
  shut_down();  // an end statement inside the hook
}
const FunctionTableEntry quitting_table[] = {{quit_hook_that_ends_again, "TVX_ON_QUIT"}, {nullptr, nullptr}};
}  // namespace

TEST_F(FrameTest, ShutDownTwiceRunsQuitHookOnceAndClosesOnce) {
  set_function_table(quitting_table);
  quit_calls = 0;
  graphics_started = true;
  fs::current_path(dir_);
  shut_down();
  shut_down();
  EXPECT_EQ(quit_calls, 1);
  EXPECT_EQ(log(), "hook\r\nShut down TVX\r\ntvx is shut down\r\n");
  EXPECT_EQ(fs::current_path().string(), own_folder());
}

TEST_F(FrameTest, ShutDownWithoutGraphicsOnlyRunsTheHook) {
  set_function_table(quitting_table);
  quit_calls = 0;
  shut_down();
  EXPECT_EQ(quit_calls, 1);
  EXPECT_EQ(log(), "hook\r\n");
}

TEST_F(FrameTest, EndProgramInDebugModeLogsThePosition) {
  EXPECT_EXIT(
      {
        project_settings.debug_mode = 1;
        runtime_error.current_line = 42;
        current_source_index = 2;
        fail(9);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(log(), "-End On Line\r\n9\r\n42\r\n42\r\n2\r\n");
}

TEST_F(FrameTest, LogWriteToMissingDirectoryIsSkipped) {
  setenv("TMPDIR", (dir_ / "missing").c_str(), 1);
  log_line("lost");
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  setenv("TMPDIR", (dir_.string() + "/").c_str(), 1);  // a trailing "/" is not doubled
  log_line("kept");
  EXPECT_EQ(log(), "kept\r\n");
}

namespace {
int calls_a = 0;
void fn_a() { ++calls_a; }
void fn_msg() {}
const FunctionTableEntry named_table[] = {
    {fn_a, "__Vexui_Callbacks__"}, {fn_msg, "TVX_WIN32_MSG"}, {nullptr, "never reached"}, {fn_a, "after end"}};
}  // namespace

TEST_F(FrameTest, CallByNameFindsExactNamesAndReportsMissingOnes) {
  set_function_table(named_table);
  channel.clear();
  debug_channel_redirect(attached_yes, write_channel);
  calls_a = 0;
  EXPECT_EQ(call_by_name("__Vexui_Callbacks__"), 1);
  EXPECT_EQ(calls_a, 1);
  EXPECT_EQ(call_by_name("__vexui_callbacks__"), 0);
  EXPECT_EQ(call_by_name("after end"), 0);  // the null pair ends the table
  EXPECT_EQ(calls_a, 1);
  EXPECT_EQ(channel,
            "TXCALLBYNAME \"__vexui_callbacks__\" *** failed ***\n"
            "TXCALLBYNAME \"after end\" *** failed ***\n");
  channel.clear();
  EXPECT_EQ(call_by_name("TVX_ON_QUIT"), 0);  // absent hooks stay quiet
  EXPECT_EQ(channel, "");
  EXPECT_EQ(find_function("TVX_WIN32_MSG"), &fn_msg);
  EXPECT_EQ(find_function("nothing"), nullptr);
  debug_channel_redirect(nullptr, nullptr);
}

TEST_F(FrameTest, MessageHookLookUpIsCached) {
  EXPECT_EQ(message_hook_state, -1);
  EXPECT_EQ(lookup_message_hook(), nullptr);
  EXPECT_EQ(message_hook_state, 0);
  set_function_table(named_table);
  EXPECT_EQ(message_hook_state, -1);
  EXPECT_EQ(lookup_message_hook(), &fn_msg);
  EXPECT_EQ(message_hook_state, 1);
  EXPECT_EQ(message_hook, &fn_msg);
}

TEST(Settings, ProgramValuesAndBuildValues) {
  apply_project_settings();
  EXPECT_EQ(project_settings.screen_width, 480);
  EXPECT_EQ(project_settings.screen_height, 320);
  EXPECT_EQ(project_settings.frame_rate, 60);
  EXPECT_EQ(project_settings.exclusive_mouse, 1);
  EXPECT_EQ(project_settings.fullscreen + project_settings.debug_mode + project_settings.multisample, 0);
  EXPECT_STREQ(app_name.c_str(), "Snipvault");
  EXPECT_TRUE(::testing::internal::RE::FullMatch(build_stamp().c_str(),
                                                 "[A-Z][a-z][a-z] [ 0-9][0-9] [0-9]+-[0-9][0-9]:[0-9][0-9]:[0-9][0-9]"));
  EXPECT_TRUE(::testing::internal::RE::FullMatch(host_id().c_str(), "[0-9a-f]{8}"));
  EXPECT_STREQ(host_id().c_str(), host_id().c_str());
}

TEST(ProcessInfo, TracerPidIsReadFromItsOwnLine) {
  EXPECT_EQ(parse_tracer_pid("Name:\tx\nTracerPid:\t0\nUid:\t0\n"), 0);
  EXPECT_EQ(parse_tracer_pid("Name:\tx\nTracerPid:\t4711\n"), 4711);
  EXPECT_EQ(parse_tracer_pid("Name:\tTracerPid:\t9\n"), 0);
  EXPECT_EQ(parse_tracer_pid(""), 0);
}
