// The title rays' spline: an interpolating cubic spline whose end
// conditions make it exact for cubics.
#include "engine/scenes/cubic_spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using scenes::cubicSpline;

float cubic(float x) { return 0.02f * x * x * x - 0.7f * x * x + 3.0f * x - 5.0f; }

// The title's node times: k * (1/14) * 50 for k = 0 .. 15.
std::vector<float> titleTimes() {
  std::vector<float> times;
  for (int k = 0; k < 16; ++k) times.push_back(static_cast<float>(k) * (1.0f / 14.0f) * 50.0f);
  return times;
}

TEST(CubicSpline, ReproducesACubicEverywhereOnTheTitleNodes) {
  const std::vector<float> times = titleTimes();
  std::vector<float> values;
  for (float t : times) values.push_back(cubic(t));
  const cubicSpline spline(times, values);
  ASSERT_EQ(spline.size(), 16);
  EXPECT_FLOAT_EQ(times[15], 53.571430f);
  // The whole range the rays use, 0 to 255/256 * 50, and a little beyond the
  // last node, where the last interval's cubic carries on.
  for (float tau = 0.0f; tau <= 56.0f; tau += 0.37f) {
    EXPECT_NEAR(spline.at(tau), cubic(tau), 2e-3f * (1.0f + std::fabs(cubic(tau)))) << tau;
  }
  EXPECT_NEAR(spline.at(49.8046875f), cubic(49.8046875f), 0.05f);
  // The interval coefficients are the cubic's Taylor coefficients there.
  float a[4];
  spline.coefficients(3, a);
  const float x = times[3];
  EXPECT_NEAR(a[0], cubic(x), 1e-3f);
  EXPECT_NEAR(a[1], 0.06f * x * x - 1.4f * x + 3.0f, 2e-3f);
  EXPECT_NEAR(a[2], 0.06f * x - 0.7f, 1e-3f);
  EXPECT_NEAR(a[3], 0.02f, 1e-4f);
}

TEST(CubicSpline, SmallCasesGiveTheInterpolatingPolynomial) {
  // Four pairs: the cubic through them.
  const cubicSpline four({0, 1, 2, 3}, {0, 1, 8, 27});
  EXPECT_NEAR(four.at(1.5f), 3.375f, 1e-4f);
  EXPECT_NEAR(four.at(2.5f), 15.625f, 1e-4f);
  EXPECT_NEAR(four.at(0.5f), 0.125f, 1e-4f);
  // Three pairs: the parabola through them.
  const cubicSpline three({0, 1, 2}, {0, 1, 4});
  EXPECT_NEAR(three.at(0.5f), 0.25f, 1e-5f);
  EXPECT_NEAR(three.at(1.5f), 2.25f, 1e-5f);
  // Two pairs: the line; one pair: a constant; none: zero.
  const cubicSpline two({1, 3}, {2, 6});
  EXPECT_FLOAT_EQ(two.at(2.0f), 4.0f);
  EXPECT_FLOAT_EQ(two.at(4.0f), 8.0f);
  EXPECT_FLOAT_EQ(cubicSpline({5}, {7}).at(100.0f), 7.0f);
  EXPECT_FLOAT_EQ(cubicSpline().at(1.0f), 0.0f);
}

TEST(CubicSpline, PassesThroughEveryNodeOfIrregularData) {
  const std::vector<float> times = {0, 0.5f, 2, 2.2f, 4, 7, 7.5f, 9, 12, 13};
  const std::vector<float> values = {0, -3, 4, 4.5f, -1, 2, 8, -6, 0.5f, 1};
  const cubicSpline spline(times, values);
  for (size_t i = 0; i < times.size(); ++i) EXPECT_NEAR(spline.at(times[i]), values[i], 1e-4f) << i;
  // Continuous across every inner node, with a continuous slope.
  for (size_t i = 1; i + 1 < times.size(); ++i) {
    const float e = 1e-3f;
    const float left = spline.at(times[i] - e);
    const float right = spline.at(times[i] + e);
    EXPECT_NEAR(left, right, 0.05f) << i;
    const float slopeLeft = (values[i] - spline.at(times[i] - e)) / e;
    const float slopeRight = (spline.at(times[i] + e) - values[i]) / e;
    EXPECT_NEAR(slopeLeft, slopeRight, 0.2f) << i;
  }
}

TEST(CubicSpline, TheRememberedIntervalDoesNotChangeResults) {
  const std::vector<float> times = titleTimes();
  std::vector<float> values;
  for (size_t i = 0; i < times.size(); ++i) values.push_back(std::sin(static_cast<float>(i) * 1.7f) * 11.5f);
  const cubicSpline forwards(times, values);
  std::vector<float> inOrder;
  for (float tau = 0.0f; tau < 50.0f; tau += 0.5f) inOrder.push_back(forwards.at(tau));
  // The same times backwards and jumping about, on a fresh spline.
  const cubicSpline shuffled(times, values);
  size_t index = inOrder.size();
  for (float tau = 49.5f; tau >= 0.0f; tau -= 0.5f) {
    --index;
    EXPECT_FLOAT_EQ(shuffled.at(tau), inOrder[index]) << tau;
    EXPECT_FLOAT_EQ(shuffled.at(49.5f - tau), inOrder[inOrder.size() - 1 - index]) << tau;
  }
}

}  // namespace
