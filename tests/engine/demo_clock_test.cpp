#include "engine/demo_clock.h"
#include "engine/music.h"
#include "engine/virtual_clock.h"

#include <gtest/gtest.h>

namespace {

const float kMsPerRow = msPerRowFor(128.0f);

TEST(DemoClock, TempoGivesTheRowLength) {
  EXPECT_EQ(kMsPerRow, 58.59375f);
  soundtrack* song = makeSoundtrack(new virtualClock(44100.0f, 2.0f), 128.0);
  EXPECT_EQ(song->msPerRow, 58.59375f);
  EXPECT_EQ(song->rowsPerBeat, 8.0f);
  EXPECT_EQ(song->lengthSeconds, 2.0f);
  delete song->stream;
  delete song;
}

TEST(DemoClock, TheFirstSampleIsRowOne) {
  EXPECT_EQ(rowPositionAt(0, 44100.0f, kMsPerRow), 1.0f);
  EXPECT_EQ(rowIndexOf(1.0f), 1);
  EXPECT_EQ(secondsAt(0, 44100.0f), 0.0f);
}

TEST(DemoClock, OneSecondIsAboutSeventeenRows) {
  EXPECT_FLOAT_EQ(secondsAt(44100, 44100.0f), 1.0f);
  EXPECT_EQ(rowPositionAt(44100, 44100.0f, kMsPerRow), 18.066668f);
  EXPECT_EQ(rowIndexOf(18.066668f), 18);
}

TEST(DemoClock, RowIndexRoundsAnExactHalfDown) {
  EXPECT_EQ(rowIndexOf(7.5f), 7);
  EXPECT_EQ(rowIndexOf(7.5005f), 8);
  EXPECT_EQ(rowIndexOf(7.49f), 7);
  EXPECT_EQ(rowIndexOf(7.51f), 8);
}

TEST(DemoClock, PositionsAboveTwoToTheThirtyFirstStayIncreasing) {
  const uint32_t large = 0x80000000u;
  EXPECT_GT(rowPositionAt(large + 44100u, 44100.0f, kMsPerRow),
            rowPositionAt(large, 44100.0f, kMsPerRow));
  EXPECT_GT(secondsAt(large, 44100.0f), 0.0f);
}

TEST(VirtualClock, PlaysFromTheCallersPositionAndStopsAtTheEnd) {
  virtualClock clock(48000.0f, 2.0f);
  EXPECT_FALSE(clock.isPlaying());
  clock.play();
  EXPECT_TRUE(clock.isPlaying());
  clock.setPosition(48000);
  EXPECT_EQ(clock.positionPcm(), 48000u);
  EXPECT_TRUE(clock.isPlaying());
  clock.setPosition(96000);
  EXPECT_FALSE(clock.isPlaying());
}

}  // namespace
