#include "platform/audible_clock.h"

#include <gtest/gtest.h>

namespace {

using platform::audibleClock;

constexpr int64_t ms = 1000000;  // nanoseconds
constexpr double rate = 48000.0;  // 48 frames per millisecond

TEST(AudibleClock, FollowsTheDeviceLessWhatItStillHolds) {
  audibleClock clock(audibleClock::source::device, rate, 960, 0);
  EXPECT_EQ(clock.position(0), 0u);
  EXPECT_FALSE(clock.playing(0));
  clock.start(0);
  EXPECT_TRUE(clock.playing(0));
  EXPECT_EQ(clock.position(1 * ms), 0u);  // nothing handed yet
  // Two 10 ms buffers handed at once: the device holds them both.
  clock.handed(960, 1 * ms);
  EXPECT_EQ(clock.position(1 * ms), 0u);
  // Between callbacks the position runs on with the clock.
  EXPECT_EQ(clock.position(6 * ms), 240u);
  clock.handed(1440, 11 * ms);
  EXPECT_EQ(clock.position(11 * ms), 480u);
  EXPECT_EQ(clock.position(16 * ms), 720u);
  // A callback that does not come starves the device: it plays what it has
  // and then nothing.
  EXPECT_EQ(clock.position(40 * ms), 1440u);
  EXPECT_EQ(clock.position(90 * ms), 1440u);
}

TEST(AudibleClock, NeverGoesBackWhenCallbacksComeEarlyOrLate) {
  audibleClock clock(audibleClock::source::device, rate, 960, 0);
  clock.start(0);
  clock.handed(960, 0);
  uint64_t last = 0;
  int64_t now = 0;
  // Callbacks every 10 ms on average, alternating 4 ms early and late,
  // polled every 3 ms.
  for (int callback = 1; callback < 200; ++callback) {
    const int64_t at = callback * 10 * ms + (callback % 2 == 0 ? 4 : -4) * ms;
    for (; now < at; now += 3 * ms) {
      const uint64_t seen = clock.position(now);
      ASSERT_GE(seen, last) << "at " << now / ms << " ms";
      last = seen;
    }
    clock.handed(960 + static_cast<uint64_t>(callback) * 480, at);
  }
  // On average the device consumed 480 frames per 10 ms: 48 per ms, and
  // the last poll was at most 3 ms before `now`.
  EXPECT_NEAR(static_cast<double>(last), 48.0 * static_cast<double>(now / ms), 600.0);
}

TEST(AudibleClock, StopsOnceTheLastDecodedFrameIsHeard) {
  audibleClock clock(audibleClock::source::device, rate, 960, 0);
  clock.start(0);
  clock.handed(960, 0);
  clock.handed(1440, 10 * ms);
  // The decoder ran out at 1000 frames; the rest handed over is silence.
  clock.decodedAll(1000);
  clock.handed(1920, 20 * ms);
  EXPECT_TRUE(clock.playing(20 * ms));  // 960 heard
  EXPECT_EQ(clock.position(21 * ms), 1000u);  // 1008 capped at the end
  EXPECT_FALSE(clock.playing(21 * ms));
  EXPECT_EQ(clock.position(90 * ms), 1000u);
}

TEST(AudibleClock, APretendDeviceIsFollowedByTheClockAlone) {
  audibleClock clock(audibleClock::source::realTime, rate, 960, 4800);
  clock.start(100 * ms);
  // The device's callbacks do not move it, however fast they come.
  clock.handed(48000, 101 * ms);
  EXPECT_EQ(clock.position(100 * ms), 0u);
  EXPECT_EQ(clock.position(150 * ms), 2400u);
  EXPECT_TRUE(clock.playing(150 * ms));
  // The scanned length ends it even before the decoder has got there.
  EXPECT_EQ(clock.position(250 * ms), 4800u);
  EXPECT_FALSE(clock.playing(250 * ms));
}

TEST(AudibleClock, APretendDeviceEndsEarlyWhenDecodingStopsShort) {
  audibleClock clock(audibleClock::source::realTime, rate, 960, 4800);
  clock.start(0);
  clock.decodedAll(1200);
  EXPECT_TRUE(clock.playing(20 * ms));
  EXPECT_FALSE(clock.playing(30 * ms));
  EXPECT_EQ(clock.position(40 * ms), 1200u);
}

}  // namespace
