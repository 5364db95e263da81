#include "engine/show_random.h"

#include <gtest/gtest.h>

namespace {

TEST(ShowRandom, FollowsTheFixedLinearCongruentialSequence) {
  resetShowRandom();
  // From state 1: 1 * 214013 + 2531011 = 2745024, >> 16 = 41.
  EXPECT_EQ(showRandom(), 41);
  EXPECT_EQ(showRandom(), 18467);
  EXPECT_EQ(showRandom(), 6334);
  EXPECT_EQ(showRandom(), 26500);
  uint32_t state = 1;
  resetShowRandom();
  for (int i = 0; i < 100000; ++i) {
    state = state * 214013u + 2531011u;
    ASSERT_EQ(showRandom(), static_cast<int32_t>((state >> 16) & 0x7FFF)) << "draw " << i;
  }
}

}  // namespace
