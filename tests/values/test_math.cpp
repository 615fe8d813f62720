// Math in degrees, guarded inverses and remainders, and the ISAAC generator
// against its published output for an all-zero seed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/values/tv_math.h"

TEST(Math, AnglesAreDegrees) {
  EXPECT_DOUBLE_EQ(math_sin(90), 1);
  EXPECT_DOUBLE_EQ(math_cos(180), -1);
  EXPECT_NEAR(math_sin(30), 0.5, 1e-15);
  EXPECT_NEAR(math_tan(45), 1, 1e-15);
  EXPECT_DOUBLE_EQ(math_atan2(1, 0), 90);
  EXPECT_DOUBLE_EQ(math_atan2(0, -1), 180);
  EXPECT_DOUBLE_EQ(math_atan2(-1, 0), -90);
  EXPECT_NEAR(math_asin(0.5), 30, 1e-12);
  EXPECT_NEAR(math_acos(0.5), 60, 1e-12);
}

TEST(Math, InversesAndRemaindersAreGuarded) {
  EXPECT_EQ(math_asin(1.0000001), 90);
  EXPECT_EQ(math_asin(-7), -90);
  EXPECT_EQ(math_acos(-2), 180);
  EXPECT_EQ(math_acos(1), 0);
  EXPECT_TRUE(std::isnan(math_sqrt(-1)));
  EXPECT_EQ(math_sqrt(16), 4);
  EXPECT_EQ(math_pow(2, 10), 1024);
  EXPECT_EQ(math_fmod(5, 0), 0);
  EXPECT_EQ(math_fmod(-7.5, 2), -1.5);
  EXPECT_EQ(int_mod(7, 0), 0);
  EXPECT_EQ(int_mod(-7, 3), -1);
  EXPECT_EQ(int_mod(7, -3), 1);
  EXPECT_EQ(int_mod(INT32_MIN, -1), 0);
  EXPECT_EQ(math_abs(-2.5), 2.5);
  EXPECT_EQ(int_abs(-3), 3);
  EXPECT_EQ(int_abs(INT32_MIN), INT32_MIN);
}

TEST(Isaac, ZeroSeedGivesThePublishedOutput) {
  // first two rows of the reference output (the pass after initialisation)
  const uint32_t expected[16] = {0xf650e4c8, 0xe448e96d, 0x98db2fb4, 0xf5fad54f, 0x433f1afb, 0xedec154a,
                                 0xd8370487, 0x46ca4f9a, 0x5de3743e, 0x88381097, 0xf1d444eb, 0x823cedb6,
                                 0x6a83e1e0, 0x4a5f6355, 0xc7442433, 0x25890e2e};
  IsaacState s;
  isaac_init(s, 0);
  isaac_generate(s);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(s.results[i], expected[i]) << i;
  // random_int takes the first word of a fresh pass
  random_seed(0);
  EXPECT_EQ(random_int(INT32_MAX), int32_t(0xf650e4c8u % 0x80000000u));
}

TEST(Random, SameSeedSameSequenceAndEmptyRangesDoNotAdvance) {
  random_seed(1234);
  std::vector<int32_t> a;
  for (int i = 0; i < 20; ++i) a.push_back(random_int(1000000));
  random_seed(1234);
  EXPECT_EQ(random_int(0), 0);
  EXPECT_EQ(random_int(-5), 0);
  std::vector<int32_t> b;
  for (int i = 0; i < 20; ++i) b.push_back(random_int(1000000));
  EXPECT_EQ(a, b);
  random_seed(1235);
  EXPECT_NE(random_int(1000000), a[0]);

  int seen[2] = {0, 0};
  for (int i = 0; i < 200; ++i) {
    int32_t v = random_int(1);
    ASSERT_TRUE(v == 0 || v == 1);
    ++seen[v];
  }
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}
