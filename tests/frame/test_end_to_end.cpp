// The built program on a private X server, ended the three ways a user ends
// it: Escape, Alt+F4 (both through the message pump, the input device and
// the frame's key checks) and the title bar's close button. Each run exits
// with code 0 and closes its log with the shut-down lines; other keys do
// not end it. Skipped without Xvfb, xdotool or the built program.
#include <gtest/gtest.h>

#include "tests/support/program_run.h"

namespace {

class EndToEnd : public ::testing::Test {
 protected:
  ProgramRun run;
  void SetUp() override {
    std::string why = run.missing();
    if (!why.empty()) GTEST_SKIP() << why;
    run.start();
  }
};

TEST_F(EndToEnd, EscapeEndsTheProgram) {
  ASSERT_TRUE(run.xdotool("key Escape"));
  run.expect_clean_end();
}

TEST_F(EndToEnd, AltF4EndsTheProgram) {
  ASSERT_TRUE(run.xdotool("key alt+F4"));
  run.expect_clean_end();
}

TEST_F(EndToEnd, TheCloseButtonEndsTheProgram) {
  ASSERT_TRUE(run.close_window());
  run.expect_clean_end();
}

TEST_F(EndToEnd, OtherKeysDoNotEndIt) {
  // one after the other, as a person types them; a release counts from the
  // second frame start on, so the gap stays long even for slow frames
  ASSERT_TRUE(run.xdotool("key --delay 400 a F4 alt"));
  EXPECT_EQ(run.wait_for_end(500), -1);
  ASSERT_TRUE(run.xdotool("key Escape"));
  run.expect_clean_end();
}

}  // namespace
