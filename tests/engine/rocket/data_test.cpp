#include "engine/rocket/data.h"

#include "engine/demo_clock.h"
#include "engine/rocket/track_file.h"
#include "engine/virtual_clock.h"
#include "support/rocket_fixture.h"

#include <cstring>
#include <string>

namespace {

using testing_support::keyRecord;
using testing_support::thrownCode;
using testing_support::trackFile;
using testing_support::trackFileClaiming;

// Count 2, (row 0, 0.0, linear), (row 16, 2.0, step): 22 bytes.
const std::string kTwoKeys = trackFile({{0, 0.0f, 1}, {16, 2.0f, 0}});

class TrackStore : public testing_support::rocketTest {};

TEST_F(TrackStore, TheTwentyTwoByteFileEvaluatesToOneAtRowEight) {
  ASSERT_EQ(kTwoKeys.size(), 22u);
  usePack({{"script/sync_a.b.track", kTwoKeys}});
  const sync_track* track = tracker_get_track("a.b");
  ASSERT_NE(track, nullptr);
  EXPECT_STREQ(track->name, "a.b");
  ASSERT_EQ(track->key_count, 2);
  EXPECT_EQ(track->keys[1].row, 16);
  EXPECT_EQ(track->keys[1].value, 2.0f);
  EXPECT_EQ(track->keys[0].type, KEY_LINEAR);
  EXPECT_EQ(sync_track_value(track, 8.0), 1.0f);
}

TEST_F(TrackStore, TheSameNameTwiceIsOneTrackReadOnce) {
  usePack({{"script/sync_a.b.track", kTwoKeys}});
  sync_track* first = tracker_get_track("a.b");
  // With the package gone a second read would fail with 258.
  testing_support::dropPackage();
  sync_track* second = nullptr;
  EXPECT_EQ(thrownCode([&] { second = tracker_get_track("a.b"); }), 0);
  EXPECT_EQ(second, first);
  EXPECT_EQ(trackerDevice->track_count, 1);
  EXPECT_EQ(sync_find_track(trackerDevice, "a.b"), 0);
  EXPECT_EQ(sync_find_track(trackerDevice, "A.B"), -1);
}

TEST_F(TrackStore, FindsByExactNameInCreationOrder) {
  tracker_device* d = trackerDevice;
  EXPECT_EQ(sync_find_track(d, "x"), -1);
  EXPECT_EQ(sync_add_track(d, "x"), 0);
  EXPECT_EQ(sync_add_track(d, "x.y"), 1);
  EXPECT_EQ(sync_add_track(d, "x.y.z"), 2);
  EXPECT_EQ(sync_find_track(d, "x.y"), 1);
  EXPECT_EQ(sync_find_track(d, "x.y."), -1);
  EXPECT_EQ(d->tracks[2]->key_count, 0);
  EXPECT_STREQ(d->base_path, "script/sync");
  EXPECT_STREQ(trackerHostAddress, "127.0.0.1");
}

TEST_F(TrackStore, AddingAPresentNameIsReportedAsAnAssertion) {
  sync_add_track(trackerDevice, "twice");
  testing::internal::CaptureStderr();
  sync_add_track(trackerDevice, "twice");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Assertion failed: sync_find_track(d, name) < 0, file source\\engine\\rocket\\data, "
            "line 22\n");
  EXPECT_EQ(sync_find_track(trackerDevice, "twice"), 0);
}

TEST_F(TrackStore, FileNamesFollowTheTrackName) {
  EXPECT_STREQ(tracker_track_path("tent.fade"), "script/sync_tent.fade.track");
  EXPECT_STREQ(tracker_track_path("cam0.e.x"), "script/sync_cam0.e.x.track");
}

TEST_F(TrackStore, AMissingFileThrows258AndLeavesTheTrackEmpty) {
  usePack({{"script/sync_a.b.track", kTwoKeys}});
  EXPECT_EQ(thrownCode([] { tracker_get_track("no.such"); }), 258);
  const int32_t index = sync_find_track(trackerDevice, "no.such");
  ASSERT_GE(index, 0);
  EXPECT_EQ(trackerDevice->tracks[index]->key_count, 0);
}

TEST_F(TrackStore, ANameTooLongForAFileNameFailsAsMissing) {
  usePack({{"script/sync_a.b.track", kTwoKeys}});
  const std::string longName(300, 'n');
  EXPECT_EQ(std::strlen(tracker_track_path(longName.c_str())), 259u);
  EXPECT_EQ(thrownCode([&] { tracker_get_track(longName.c_str()); }), 258);
}

TEST_F(TrackStore, WithoutADeviceRequestsFail) {
  tracker_device* saved = trackerDevice;
  trackerDevice = nullptr;
  EXPECT_EQ(thrownCode([] { tracker_get_track("a.b"); }), 4113);
  trackerDevice = saved;
}

TEST_F(TrackStore, ACountOfZeroGivesAnEmptyTrack) {
  usePack({{"script/sync_zero.v.track", trackFile({})}});
  const sync_track* track = tracker_get_track("zero.v");
  EXPECT_EQ(track->key_count, 0);
  EXPECT_EQ(sync_track_value(track, 5.0), 0.0f);
}

TEST_F(TrackStore, TypeByteFFIsMinusOneAndItsSpanIsZero) {
  usePack({{"script/sync_t.ff.track",
            trackFile({{0, 1.0f, static_cast<int8_t>(0xFF)}, {10, 2.0f, KEY_LINEAR},
                       {20, 3.0f, KEY_STEP}})}});
  const sync_track* track = tracker_get_track("t.ff");
  EXPECT_EQ(track->keys[0].type, -1);
  testing::internal::CaptureStderr();
  EXPECT_EQ(sync_track_value(track, 5.0), 0.0f);
  EXPECT_NE(testing::internal::GetCapturedStderr().find(
                "Assertion failed: 0, file source\\engine\\rocket\\track, line 59"),
            std::string::npos);
  EXPECT_EQ(sync_track_value(track, 15.0), 2.5f);
}

// What loading a broken file did: the code thrown, stderr, the track left.
struct loadOutcome {
  int code;
  std::string errors;
  const sync_track* track;
};

class BrokenTrackFile : public testing_support::rocketTest {
 protected:
  loadOutcome load(const std::string& bytes) {
    usePack({{"script/sync_bad.v.track", bytes}});
    loadOutcome outcome{};
    testing::internal::CaptureStderr();
    outcome.code = thrownCode([] { tracker_get_track("bad.v"); });
    outcome.errors = testing::internal::GetCapturedStderr();
    outcome.track = trackerDevice->tracks[sync_find_track(trackerDevice, "bad.v")];
    return outcome;
  }
};

TEST_F(BrokenTrackFile, ShorterThanItsCountIsRefusedWithCode3) {
  const loadOutcome outcome = load(trackFileClaiming(3, {{0, 0.0f, 1}, {16, 2.0f, 0}}));
  EXPECT_EQ(outcome.code, 3);
  EXPECT_NE(outcome.errors.find("track \"bad.v\""), std::string::npos) << outcome.errors;
  EXPECT_NE(outcome.errors.find("script/sync_bad.v.track"), std::string::npos);
  EXPECT_NE(outcome.errors.find("3 keys need 31 bytes, the file has 22"), std::string::npos)
      << outcome.errors;
  EXPECT_EQ(outcome.track->key_count, 0);
  EXPECT_EQ(outcome.track->keys, nullptr);
}

TEST_F(BrokenTrackFile, AKeyCutShortIsRefused) {
  std::string bytes = trackFile({{0, 0.0f, 1}, {16, 2.0f, 0}});
  bytes.pop_back();
  EXPECT_EQ(load(bytes).code, 3);
}

TEST_F(BrokenTrackFile, APartialCountIsRefused) {
  const loadOutcome outcome = load(std::string("\x01\x00", 2));
  EXPECT_EQ(outcome.code, 3);
  EXPECT_NE(outcome.errors.find("2 bytes are too few"), std::string::npos) << outcome.errors;
}

TEST_F(BrokenTrackFile, ANegativeCountIsRefused) {
  const loadOutcome outcome = load(trackFileClaiming(-1, {{0, 1.0f, 0}}));
  EXPECT_EQ(outcome.code, 3);
  EXPECT_NE(outcome.errors.find("track \"bad.v\""), std::string::npos);
  EXPECT_NE(outcome.errors.find("key count -1 is negative"), std::string::npos)
      << outcome.errors;
  EXPECT_EQ(outcome.track->key_count, 0);
}

TEST_F(BrokenTrackFile, AHugeCountIsRefusedBeforeAnythingIsAllocated) {
  const std::string bytes = trackFileClaiming(0x7FFFFFFF, {{0, 1.0f, 0}});
  const trackFileCheck check =
      checkTrackFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(check.result, trackFileCheck::tooShort);
  EXPECT_EQ(check.bytesNeeded, 4u + 9u * 0x7FFFFFFFull);
  EXPECT_EQ(load(bytes).code, 3);
}

TEST_F(BrokenTrackFile, KeysOutOfRowOrderAreReportedAndKept) {
  const loadOutcome outcome =
      load(trackFile({{0, 0.0f, 1}, {8, 1.0f, 1}, {8, 2.0f, 1}, {4, 3.0f, 0}}));
  EXPECT_EQ(outcome.code, 0);
  EXPECT_NE(outcome.errors.find("track \"bad.v\""), std::string::npos) << outcome.errors;
  EXPECT_NE(outcome.errors.find("key 2 (row 8) does not come after key 1 (row 8)"),
            std::string::npos)
      << outcome.errors;
  EXPECT_EQ(outcome.track->key_count, 4);
  // Whatever the rows, evaluation stays inside the keys.
  for (double row = -2.0; row < 12.0; row += 0.5) {
    const float value = sync_track_value(outcome.track, row);
    EXPECT_TRUE(value >= 0.0f && value <= 3.0f) << row << " gave " << value;
  }
}

TEST_F(BrokenTrackFile, BytesAfterTheLastKeyAreIgnored) {
  const loadOutcome outcome = load(kTwoKeys + "tail");
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.errors, "");
  EXPECT_EQ(sync_track_value(outcome.track, 8.0), 1.0f);
}

TEST(TrackBytes, ZeroBytesHoldNoDataAndLeaveTheTrackEmpty) {
  char name[] = "empty";
  sync_track track{name, nullptr, 0};
  EXPECT_EQ(tracker_load_track_bytes("empty.track", nullptr, 0, &track), 1);
  EXPECT_EQ(track.key_count, 0);
}

// Row queries: the music clock or, without music, position 0.
class TrackerRows : public testing_support::rocketTest {
 protected:
  virtualClock* useClock() {
    auto* clock = new virtualClock(44100.0f, 0.0f);
    music = makeSoundtrack(clock, 128.0);
    return clock;
  }
};

TEST_F(TrackerRows, WithoutMusicTheRowIsThatOfPositionZero) {
  EXPECT_EQ(tracker_row_now(), 1.0f);
  EXPECT_EQ(tracker_row_at(2.0f, TIME_BEATS), 17.0f);
  EXPECT_EQ(tracker_row_at(-1.0f, TIME_ROWS), 0.0f);
}

TEST_F(TrackerRows, FollowTheMusicPosition) {
  virtualClock* clock = useClock();
  EXPECT_EQ(tracker_row_now(), 1.0f);
  EXPECT_EQ(tracker_row_at(2.0f, TIME_BEATS), 17.0f);
  EXPECT_EQ(tracker_row_at(-1.0f, TIME_ROWS), 0.0f);
  EXPECT_EQ(tracker_row_at(58.59375f, TIME_MILLISECONDS), 2.0f);
  EXPECT_EQ(tracker_row_at(5.0f, 3), 1.0f);  // unknown unit: no offset
  clock->setPosition(44100);
  EXPECT_NEAR(tracker_row_now(), 18.0667f, 1e-4f);
  EXPECT_EQ(tracker_row_now(), rowPositionAt(44100, 44100.0f, 58.59375f));
}

TEST_F(TrackerRows, AZeroOffsetIsTheCurrentRowAtEveryPosition) {
  virtualClock* clock = useClock();
  for (uint32_t position = 0; position < 44100u * 600u; position += 7919u * 13u) {
    clock->setPosition(position);
    for (int32_t unit = 0; unit < 3; ++unit) {
      ASSERT_EQ(tracker_row_at(0.0f, unit), tracker_row_now()) << position;
    }
  }
}

TEST_F(TrackerRows, PositionsAboveTwoToTheThirtyFirstKeepRising) {
  virtualClock* clock = useClock();
  clock->setPosition(0x80000000u);
  const float before = tracker_row_now();
  clock->setPosition(0x80000000u + 44100u);
  EXPECT_GT(tracker_row_now(), before);
  EXPECT_GT(before, 1.0f);
}

}  // namespace
