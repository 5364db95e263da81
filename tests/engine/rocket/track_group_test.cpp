#include "engine/rocket/track_group.h"

#include "engine/virtual_clock.h"
#include "support/rocket_fixture.h"

#include <cmath>

namespace {

using testing_support::constantTrack;
using testing_support::thrownCode;
using testing_support::trackFile;

class TrackGroup : public testing_support::rocketTest {};

TEST_F(TrackGroup, KindOneIsOneTrackReadAsAVector) {
  usePack({{"script/sync_o.p.track", constantTrack(4.0f)}});
  trackGroup group("o", "p", "xyz", 1);
  ASSERT_EQ(group.count(), 1);
  EXPECT_STREQ(group.track(0)->name, "o.p");
  EXPECT_EQ(group.valueNow(), 4.0f);
  float v[3] = {9.0f, 9.0f, 9.0f};
  group.vectorNow(v);
  EXPECT_EQ(v[0], 4.0f);
  EXPECT_EQ(v[1], 0.0f);
  EXPECT_EQ(v[2], 0.0f);
}

TEST_F(TrackGroup, KindTwoWithoutLettersIsOneTrackNamedOwnerParam) {
  usePack({{"script/sync_tent.fade.track", constantTrack(0.5f)}});
  trackGroup group("tent", "fade", nullptr, 2);
  ASSERT_EQ(group.count(), 1);
  EXPECT_EQ(group.letters(), "xyzw ");
  EXPECT_STREQ(group.track(0)->name, "tent.fade");
  EXPECT_EQ(trackerDevice->track_count, 1);
  EXPECT_EQ(group.valueNow(), 0.5f);
}

TEST_F(TrackGroup, KindFourIsTwoTracksAndAZeroZ) {
  // No file for o.p.z: asking for it would throw.
  usePack({{"script/sync_o.p.x.track", constantTrack(1.0f)},
           {"script/sync_o.p.y.track", constantTrack(2.0f)}});
  trackGroup group("o", "p", nullptr, 4);
  ASSERT_EQ(group.count(), 2);
  EXPECT_STREQ(group.track(0)->name, "o.p.x");
  EXPECT_STREQ(group.track(1)->name, "o.p.y");
  EXPECT_EQ(trackerDevice->track_count, 2);
  float v[3] = {9.0f, 9.0f, 9.0f};
  group.vectorNow(v);
  EXPECT_EQ(v[0], 1.0f);
  EXPECT_EQ(v[1], 2.0f);
  EXPECT_EQ(v[2], 0.0f);
}

TEST_F(TrackGroup, KindFiveUsesOnlyTheFirstThreeLetters) {
  usePack({{"script/sync_clear.c.r.track", constantTrack(0.25f)},
           {"script/sync_clear.c.g.track", constantTrack(0.5f)},
           {"script/sync_clear.c.b.track", constantTrack(0.75f)}});
  trackGroup group("clear", "c", "rgba", 5);
  ASSERT_EQ(group.count(), 3);
  EXPECT_EQ(sync_find_track(trackerDevice, "clear.c.a"), -1);
  float v[3];
  group.vectorNow(v);
  EXPECT_EQ(v[0], 0.25f);
  EXPECT_EQ(v[1], 0.5f);
  EXPECT_EQ(v[2], 0.75f);
  float values[4] = {9.0f, 9.0f, 9.0f, 9.0f};
  group.valuesNow(values);
  EXPECT_EQ(values[0], 0.25f);
  EXPECT_EQ(values[2], 0.75f);
  EXPECT_EQ(values[3], 9.0f);  // only count elements are written
}

TEST_F(TrackGroup, KindSixIsFourTracks) {
  usePack({{"script/sync_q.v.a.track", constantTrack(1.0f)},
           {"script/sync_q.v.b.track", constantTrack(2.0f)},
           {"script/sync_q.v.c.track", constantTrack(3.0f)},
           {"script/sync_q.v.d.track", constantTrack(4.0f)}});
  trackGroup group("q", nullptr, "abcd", 6);
  float values[4];
  group.valuesNow(values);
  EXPECT_EQ(values[3], 4.0f);
}

TEST_F(TrackGroup, AnAbsentParamIsV) {
  usePack({{"script/sync_owner.v.track", constantTrack(3.0f)}});
  trackGroup unnamed("owner");
  trackGroup named("owner", "v");
  EXPECT_STREQ(unnamed.track(0)->name, "owner.v");
  EXPECT_EQ(unnamed.track(0), named.track(0));
  EXPECT_EQ(unnamed.valueNow(), 3.0f);
}

TEST_F(TrackGroup, TwoGroupsOfTheSameNamesShareTracksReadOnce) {
  usePack({{"script/sync_cam0.e.x.track", constantTrack(1.0f)},
           {"script/sync_cam0.e.y.track", constantTrack(2.0f)},
           {"script/sync_cam0.e.z.track", constantTrack(3.0f)}});
  trackGroup first("cam0", "e", "xyz", 5);
  testing_support::dropPackage();  // a second read would throw 258
  trackGroup* second = nullptr;
  EXPECT_EQ(thrownCode([&] { second = new trackGroup("cam0", "e", "xyz", 5); }), 0);
  ASSERT_NE(second, nullptr);
  for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(second->track(i), first.track(i));
  EXPECT_EQ(trackerDevice->track_count, 3);
  delete second;
}

TEST_F(TrackGroup, AnUnknownKindHasNoTracksAndEvaluatesToZero) {
  usePack({{"readme", "nothing"}});
  trackGroup group("o", "p", "xyz", 7);
  EXPECT_EQ(group.count(), 0);
  EXPECT_EQ(trackerDevice->track_count, 0);
  EXPECT_EQ(group.valueNow(), 0.0f);
  float v[3] = {9.0f, 9.0f, 9.0f};
  group.vectorAt(v, 1.0f, TIME_BEATS);
  EXPECT_EQ(v[0], 0.0f);
  EXPECT_EQ(v[2], 0.0f);
}

TEST_F(TrackGroup, TooFewLettersAreRefused) {
  usePack({{"script/sync_o.p.x.track", constantTrack(1.0f)},
           {"script/sync_o.p.y.track", constantTrack(1.0f)}});
  testing::internal::CaptureStderr();
  EXPECT_EQ(thrownCode([] { trackGroup group("o", "p", "xy", 5); }), 3);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("o.p"), std::string::npos);
}

TEST_F(TrackGroup, AMissingFileStopsTheConstruction) {
  usePack({{"script/sync_o.p.x.track", constantTrack(1.0f)}});
  EXPECT_EQ(thrownCode([] { trackGroup group("o", "p", "xyz", 5); }), 258);
}

TEST_F(TrackGroup, EvaluatesAtTheMusicRowAndAtOffsets) {
  // 0.0 at row 1 rising by 1.0 per row up to 16.0 at row 17.
  usePack({{"script/sync_m.v.x.track", trackFile({{1, 0.0f, 1}, {17, 16.0f, 0}})},
           {"script/sync_m.v.y.track", trackFile({{1, 0.0f, 1}, {17, 16.0f, 0}})},
           {"script/sync_m.v.z.track", constantTrack(-1.0f)}});
  auto* clock = new virtualClock(44100.0f, 0.0f);
  music = makeSoundtrack(clock, 128.0);
  trackGroup group("m", "v", nullptr, 5);
  float v[3];
  group.vectorNow(v);
  EXPECT_EQ(v[0], 0.0f);
  group.vectorAt(v, 2.0f, TIME_BEATS);  // row 17
  EXPECT_EQ(v[0], 16.0f);
  EXPECT_EQ(v[1], 16.0f);
  EXPECT_EQ(v[2], -1.0f);
  group.vectorAt(v, 4.0f, TIME_ROWS);
  EXPECT_FLOAT_EQ(v[0], 4.0f);
  // Four rows of music later.
  clock->setPosition(static_cast<uint32_t>(std::lround(4 * 58.59375 * 44.1)));
  EXPECT_NEAR(group.valueNow(), 4.0f, 1e-3f);
  group.vectorAt(v, -58.59375f * 4.0f, TIME_MILLISECONDS);
  EXPECT_NEAR(v[1], 0.0f, 1e-3f);
}

}  // namespace
