// Mouse positions and motion of an enlarged window, turned into frame
// pixels before the input device sees them.
#include <gtest/gtest.h>

#include "runtime/platform/input_sdl.h"

namespace {

TEST(FramePosition, WindowPixelsAreDividedRoundingDownAndKeptInTheFrame) {
  EXPECT_EQ(frame_position(0, 2, 480), 0);
  EXPECT_EQ(frame_position(21, 2, 480), 10);
  EXPECT_EQ(frame_position(959, 2, 480), 479);
  EXPECT_EQ(frame_position(960, 2, 480), 479);  // dragged past the edge
  EXPECT_EQ(frame_position(-1, 2, 480), 0);     // not -0 rounded toward zero
  EXPECT_EQ(frame_position(-7, 3, 320), 0);
  EXPECT_EQ(frame_position(8, 3, 320), 2);
  // without enlargement a position passes untouched, also outside the window
  EXPECT_EQ(frame_position(-5, 1, 480), -5);
  EXPECT_EQ(frame_position(900, 1, 480), 900);
}

TEST(FramePosition, SlowRelativeMotionIsNotLost) {
  int32_t rest = 0, sum = 0;
  for (int i = 0; i < 6; ++i) sum += frame_motion(1, 3, rest);
  EXPECT_EQ(sum, 2);  // six window pixels are two frame pixels
  EXPECT_EQ(rest, 0);
  sum = 0;
  for (int i = 0; i < 4; ++i) sum += frame_motion(-1, 2, rest);
  EXPECT_EQ(sum, -2);
  EXPECT_EQ(rest, 0);
  EXPECT_EQ(frame_motion(7, 2, rest), 3);
  EXPECT_EQ(rest, 1);
  EXPECT_EQ(frame_motion(-3, 2, rest), -1);
  EXPECT_EQ(rest, 0);
  EXPECT_EQ(frame_motion(5, 1, rest), 5);
}

}  // namespace
