// Run-time error state and texts, the fatal end path, the debug channel
// (assertions, break points) and binding of external modules.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/frame/function_table.h"
#include "runtime/frame/lifecycle.h"
#include "runtime/values/debug.h"
#include "runtime/values/errors.h"

namespace {
std::string channel;
bool debugger_on() { return true; }
bool debugger_off() { return false; }
void capture(const char* text) { channel += text; }

// Watches the debug channel as if a debugger were (or were not) attached.
struct ChannelWatch {
  explicit ChannelWatch(bool attached) {
    channel.clear();
    debug_channel_redirect(attached ? debugger_on : debugger_off, capture);
  }
  ~ChannelWatch() { debug_channel_redirect(nullptr, nullptr); }
};

// The quit hook runs inside end_program, so it can report the error state
// of a program that is ending.
void report_code_on_quit() { std::fprintf(stderr, "code=%d line=%d\n", runtime_error.error_code, runtime_error.error_line); }
const FunctionTableEntry reporting_table[] = {{report_code_on_quit, "TVX_ON_QUIT"}, {nullptr, nullptr}};

std::string text_for(double code) {
  set_error(code);
  return last_error_text().c_str();
}
}  // namespace

TEST(Errors, SetErrorTruncatesTowardZeroAndRecordsTheLine) {
  runtime_error.current_line = 17;
  set_error(3.9);
  EXPECT_EQ(runtime_error.error_code, 3);
  EXPECT_EQ(runtime_error.error_line, 17);
  set_error(-2.5);
  EXPECT_EQ(runtime_error.error_code, -2);
  set_error(1e12);
  EXPECT_EQ(runtime_error.error_code, 2147483647);
  set_error(0.0 / 0.0);
  EXPECT_EQ(runtime_error.error_code, 0);
  reset_error_state();
  EXPECT_EQ(runtime_error.error_code + runtime_error.error_line + runtime_error.current_line, 0);
}

TEST(Errors, LastErrorTextPadsToFourDigitsWithTheCodesText) {
  EXPECT_EQ(text_for(0), "0000 success");
  EXPECT_EQ(text_for(3), "0003 no such file");
  EXPECT_EQ(text_for(7), "0007 out of memory");
  EXPECT_EQ(text_for(8), "0008 unknown error");
  EXPECT_EQ(text_for(9), "0009 out of bounds");
  EXPECT_EQ(text_for(20), "0020 out of data");
  EXPECT_EQ(text_for(21), "0021 unknown error");
  EXPECT_EQ(text_for(12345), "12345 unknown error");
  EXPECT_EQ(text_for(-1), "-0001 unknown error");
  EXPECT_EQ(text_for(-2147483648.0), "-2147483648 unknown error");
  set_error(9);
  EXPECT_EQ(runtime_error.error_code, 9);  // reading the text never clears the code
  reset_error_state();
}

TEST(ErrorsDeathTest, FailAndEndWithSuccessExitWithCodeZero) {
  connect_layers();  // fail ends through the frame, with its quit hook
  set_function_table(reporting_table);
  runtime_error.current_line = 5;
  EXPECT_EXIT(fail(7), ::testing::ExitedWithCode(0), "^code=7 line=5\n$");
  runtime_error.error_code = 3;
  EXPECT_EXIT(end_with_success(), ::testing::ExitedWithCode(0), "^code=0 line=5\n$");
  set_function_table(nullptr);
  reset_error_state();
}

TEST(ErrorsDeathTest, WithoutAFrameTheEndPathStillExitsWithCodeZero) {
  EXPECT_EXIT(
      {
        set_end_path(nullptr, nullptr);
        end_path_shut_down();  // nothing registered: nothing to do
        std::fputs("flushed", stdout);
        fail(3);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(ErrorsDeathTest, FailedAssertionEndsWithCode21AndIsSilentWithoutDebugger) {
  connect_layers();  // fail ends through the frame, with its quit hook
  set_function_table(reporting_table);
  debug_assert(1);
  debug_assert(-0.5);
  // the real channel: no debugger attached under test, so nothing but the hook's line
  EXPECT_EXIT(debug_assert(0), ::testing::ExitedWithCode(0), "^code=21 line=0\n$");
  EXPECT_EXIT(
      {
        ChannelWatch watch(true);
        debug_assert(0.0);
      },
      ::testing::ExitedWithCode(0), "");
  set_function_table(nullptr);
}

TEST(DebugChannel, TextsCarryTheirPrefixesOnlyWithADebugger) {
  {
    ChannelWatch watch(false);
    debug_out("dropped");
    debug_break(31);
    EXPECT_EQ(channel, "");
  }
  static int resets = 0;
  debug_break_input_reset = [] { ++resets; };
  {
    ChannelWatch watch(true);
    debug_out("hello\n");
    debug_break(31);
    debug_break(-1);
    debug_break(0);
    EXPECT_EQ(channel, "TXhello\nBP1fBPffffffffBP0");
    EXPECT_EQ(resets, 3);
  }
  {
    ChannelWatch watch(false);
    debug_break(5);
    EXPECT_EQ(resets, 3);  // no debugger: held keys are left alone
  }
  debug_break_input_reset = nullptr;
}

TEST(DebugChannelDeathTest, AssertionTextGoesToTheDebugger) {
  // the child writes what the channel received to stderr before it ends
  EXPECT_EXIT(
      {
        debug_channel_redirect(debugger_on, [](const char* t) { std::fputs(t, stderr); });
        debug_assert(0);
      },
      ::testing::ExitedWithCode(0), "^TXAssertion: Value = 0\n$");
}

TEST(BindExternal, ModuleNamesIgnoreCaseAndLoadOnce) {
  ChannelWatch watch(true);
  int32_t before = bound_module_count();
  void* upper = bind_external("LIBM.SO.6", "cos");
  void* lower = bind_external("libm.so.6", "cos");
  ASSERT_NE(upper, nullptr);
  EXPECT_EQ(upper, lower);
  EXPECT_EQ(bound_module_count(), before + 1);
  EXPECT_NE(bind_external("Libm.so.6", "sin"), nullptr);
  EXPECT_EQ(bind_external("libm.so.6", "no_such_function"), nullptr);
  EXPECT_EQ(channel, "");  // a missing procedure is not reported
  EXPECT_EQ(bound_module_count(), before + 1);
  EXPECT_TRUE(external_code_used);
  EXPECT_TRUE(external_code_guard);

  EXPECT_EQ(bind_external("NO_SUCH_MODULE.so", "f"), nullptr);
  EXPECT_EQ(channel, "TXDECLARE module not found: no_such_module.so\n");
  EXPECT_EQ(bound_module_count(), before + 1);
}

TEST(BindExternal, ManyModulesStayFindable) {
  const char* names[] = {"libc.so.6", "libm.so.6", "libdl.so.2", "libpthread.so.0", "librt.so.1",
                         "libstdc++.so.6", "libgcc_s.so.1", "libz.so.1", "libpng16.so.16"};
  void* first[9];
  for (int i = 0; i < 9; ++i) first[i] = bind_external(names[i], "malloc");
  for (int i = 0; i < 9; ++i) EXPECT_EQ(bind_external(names[i], "malloc"), first[i]) << names[i];
}
