#include "engine/rocket/assertion.h"
#include "engine/rocket/track.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// A track over keys held by the test.
struct testTrack {
  explicit testTrack(std::vector<sync_key> keyList) : keys(std::move(keyList)) {
    track.name = nullptr;
    track.keys = keys.empty() ? nullptr : keys.data();
    track.key_count = static_cast<int32_t>(keys.size());
  }
  float at(double row) const { return sync_track_value(&track, row); }
  std::vector<sync_key> keys;
  sync_track track;
};

// Keys (row 0, 0.0, type) and (row 10, 1.0, step).
testTrack zeroToOne(sync_key_type type) { return testTrack({{0, 0.0f, type}, {10, 1.0f, KEY_STEP}}); }

TEST(SyncKeySearch, FindsKeysAndComplementsTheInsertionPoint) {
  const testTrack t({{2, 0.0f, KEY_STEP}, {5, 0.0f, KEY_STEP}, {9, 0.0f, KEY_STEP}});
  EXPECT_EQ(sync_key_search(&t.track, 2), 0);
  EXPECT_EQ(sync_key_search(&t.track, 5), 1);
  EXPECT_EQ(sync_key_search(&t.track, 9), 2);
  EXPECT_EQ(sync_key_search(&t.track, 1), -1);   // before everything: p = 0
  EXPECT_EQ(sync_key_search(&t.track, 3), -2);   // p = 1
  EXPECT_EQ(sync_key_search(&t.track, 8), -3);   // p = 2
  EXPECT_EQ(sync_key_search(&t.track, 10), -4);  // after everything: p = 3
  const testTrack empty({});
  EXPECT_EQ(sync_key_search(&empty.track, 0), -1);
}

TEST(SyncTrackValue, EmptyAndOneKeyTracksAreConstant) {
  const testTrack empty({});
  const testTrack one({{4, 2.5f, KEY_LINEAR}});
  for (double row : {-100.0, -0.5, 0.0, 3.99, 4.0, 4.5, 1e6}) {
    EXPECT_EQ(empty.at(row), 0.0f) << row;
    EXPECT_EQ(one.at(row), 2.5f) << row;
  }
}

TEST(SyncTrackValue, InterpolatesWithTheFourShapes) {
  const testTrack linear = zeroToOne(KEY_LINEAR);
  EXPECT_EQ(linear.at(5.0), 0.5f);
  EXPECT_EQ(linear.at(2.5), 0.25f);
  EXPECT_EQ(linear.at(10.0), 1.0f);
  EXPECT_EQ(linear.at(12.0), 1.0f);
  EXPECT_EQ(linear.at(-3.0), 0.0f);
  EXPECT_EQ(linear.at(0.0), 0.0f);

  const testTrack smooth = zeroToOne(KEY_SMOOTH);
  EXPECT_EQ(smooth.at(5.0), 0.5f);
  EXPECT_EQ(smooth.at(2.5), 0.15625f);

  const testTrack ramp = zeroToOne(KEY_RAMP);
  EXPECT_EQ(ramp.at(5.0), 0.25f);
  EXPECT_EQ(ramp.at(2.5), 0.0625f);

  const testTrack step = zeroToOne(KEY_STEP);
  for (double row = 0.0; row < 10.0; row += 0.25) EXPECT_EQ(step.at(row), 0.0f) << row;
  EXPECT_EQ(step.at(9.999), 0.0f);
  EXPECT_EQ(step.at(10.0), 1.0f);
}

TEST(SyncTrackValue, UsesTheKeyBeforeAFractionalRowWithoutExtrapolating) {
  const testTrack t({{4, 0.0f, KEY_LINEAR}, {8, 1.0f, KEY_LINEAR}});
  EXPECT_EQ(t.at(4.5), 0.125f);
  EXPECT_FLOAT_EQ(t.at(7.9), 0.975f);
  EXPECT_EQ(t.at(3.5), 0.0f);
  EXPECT_EQ(t.at(8.5), 1.0f);
}

TEST(SyncTrackValue, NegativeRowsFloorDownwards) {
  // Row -0.5 searches row -1, so the key at -1 governs it.
  const testTrack held({{-1, 5.0f, KEY_STEP}, {0, 7.0f, KEY_STEP}});
  EXPECT_EQ(held.at(-0.5), 5.0f);
  EXPECT_EQ(held.at(-1.5), 5.0f);  // before the first key
  EXPECT_EQ(held.at(0.0), 7.0f);
  const testTrack sloped({{-1, 0.0f, KEY_LINEAR}, {1, 1.0f, KEY_STEP}});
  EXPECT_EQ(sloped.at(-0.5), 0.25f);
}

TEST(SyncTrackValue, RowsFarOutsideTheKeyRangeClampToTheEnds) {
  const testTrack t({{0, 1.0f, KEY_LINEAR}, {10, 3.0f, KEY_STEP}});
  EXPECT_EQ(t.at(1e300), 3.0f);
  EXPECT_EQ(t.at(-1e300), 1.0f);
  EXPECT_EQ(t.at(std::numeric_limits<double>::quiet_NaN()), 1.0f);
  const testTrack wide({{INT32_MIN, 0.0f, KEY_LINEAR}, {INT32_MAX, 1.0f, KEY_STEP}});
  EXPECT_NEAR(wide.at(0.0), 0.5f, 1e-6f);
}

// Found by fuzzing: rows below the 32-bit range (and NaN) fall onto a key
// sitting at the lowest row, and its span must not extrapolate from there.
TEST(SyncTrackValue, RowsBelowTheRangeStayOnAKeyAtTheLowestRow) {
  for (sync_key_type type : {KEY_LINEAR, KEY_SMOOTH, KEY_RAMP}) {
    const testTrack t({{INT32_MIN, -1.0f, type}, {INT32_MAX, 1.0f, KEY_STEP}});
    EXPECT_EQ(t.at(-2147483649.5), -1.0f) << "type " << type;
    EXPECT_EQ(t.at(-1e300), -1.0f) << "type " << type;
    EXPECT_EQ(t.at(-std::numeric_limits<double>::infinity()), -1.0f) << "type " << type;
    EXPECT_EQ(t.at(std::numeric_limits<double>::quiet_NaN()), -1.0f) << "type " << type;
  }
}

class SyncTrackAssertion : public ::testing::Test {
 protected:
  void SetUp() override { resetAssertionReports(); }
  void TearDown() override { resetAssertionReports(); }
};

TEST_F(SyncTrackAssertion, AnUnknownTypeSpanYieldsZeroAndIsReportedOnce) {
  const testTrack t(
      {{0, 1.0f, KEY_LINEAR}, {10, 2.0f, static_cast<sync_key_type>(7)}, {20, 3.0f, KEY_LINEAR}, {30, 4.0f, KEY_STEP}});
  testing::internal::CaptureStderr();
  EXPECT_EQ(t.at(5.0), 1.5f);
  EXPECT_EQ(t.at(15.0), 0.0f);
  EXPECT_EQ(t.at(10.0), 0.0f);
  EXPECT_EQ(t.at(25.0), 3.5f);
  EXPECT_EQ(t.at(30.0), 4.0f);
  const std::string report = testing::internal::GetCapturedStderr();
  EXPECT_EQ(report, "Assertion failed: 0, file source\\engine\\rocket\\track, line 59\n");
  EXPECT_EQ(failedAssertionCount(), 2);
}

TEST_F(SyncTrackAssertion, NegativeTypeCodesAreUnknownToo) {
  const testTrack t({{0, 1.0f, static_cast<sync_key_type>(-1)}, {10, 2.0f, KEY_STEP}});
  testing::internal::CaptureStderr();
  EXPECT_EQ(t.at(5.0), 0.0f);
  EXPECT_EQ(t.at(10.0), 2.0f);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("line 59"), std::string::npos);
}

TEST_F(SyncTrackAssertion, EachFailingSiteIsReportedOnceButAllAreCounted) {
  testing::internal::CaptureStderr();
  EXPECT_TRUE(liveAssertion(true, "fine", "here", 1));
  EXPECT_FALSE(liveAssertion(false, "a", "here", 1));
  EXPECT_FALSE(liveAssertion(false, "a", "here", 1));
  EXPECT_FALSE(liveAssertion(false, "b", "here", 2));
  EXPECT_FALSE(liveAssertion(false, "c", "there", 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Assertion failed: a, file here, line 1\n"
            "Assertion failed: b, file here, line 2\n"
            "Assertion failed: c, file there, line 1\n");
  EXPECT_EQ(failedAssertionCount(), 4);
}

}  // namespace
