// Creator mode's grid arithmetic and keys: where a key sends the song and
// which bars a loop covers.
#include "engine/creator/timeline.h"

#include <gtest/gtest.h>

namespace {

using creator::timelineCommand;
using platform::keyPress;
using platform::pressedKey;

TEST(CreatorTimeline, GridPositionsMatchTheScriptRows) {
  EXPECT_EQ(creator::formatGrid(creator::gridPositionOf(1.0f)), "0:0:0");
  EXPECT_EQ(creator::formatGrid(creator::gridPositionOf(0.2f)), "0:0:0");
  // 1 + 32 * 10 + 8 * 3 + 5 = 350, anywhere inside that row.
  EXPECT_EQ(creator::formatGrid(creator::gridPositionOf(350.9f)), "10:3:5");
  EXPECT_EQ(creator::trackRowOf(creator::gridPositionOf(350.9f)), 350);
}

TEST(CreatorTimeline, KeysSeekByBarOrBeatWithinTheSong) {
  creator::timeline song(1 + 76 * 32);
  const float at = 350.5f;  // 10:3:5
  EXPECT_EQ(song.onKey({pressedKey::right, false}, at).row, 1 + 11 * 32);
  EXPECT_EQ(song.onKey({pressedKey::left, false}, at).row, 1 + 9 * 32);
  EXPECT_EQ(song.onKey({pressedKey::right, true}, at).row, 1 + 11 * 32);      // 11:0:0
  EXPECT_EQ(song.onKey({pressedKey::left, true}, at).row, 1 + 10 * 32 + 16);  // 10:2:0
  EXPECT_EQ(song.onKey({pressedKey::home, false}, at).row, 1);
  EXPECT_EQ(song.onKey({pressedKey::left, false}, 3.0f).row, 1);
  EXPECT_EQ(song.onKey({pressedKey::right, false}, 2430.0f).row, 1 + 76 * 32);
  EXPECT_EQ(song.onKey({pressedKey::space, false}, at).what, timelineCommand::togglePause);
  EXPECT_EQ(song.onKey({pressedKey::letterS, false}, at).what, timelineCommand::toggleStatistics);
}

TEST(CreatorTimeline, LoopCoversWholeBarsMarkedEitherWayAndClears) {
  creator::timeline song(1 + 76 * 32);
  song.onKey({pressedKey::letterL, false}, 1 + 12 * 32 + 20.5f);  // in bar 12
  EXPECT_TRUE(song.loopMarking());
  EXPECT_EQ(song.loopJump(1000.0f), -1);
  song.onKey({pressedKey::letterL, false}, 1 + 10 * 32 + 3.0f);  // back in bar 10
  ASSERT_TRUE(song.looping());
  EXPECT_EQ(song.loopText(), "loop 10:0:0-13:0:0");
  EXPECT_EQ(song.loopJump(1 + 13 * 32 - 0.5f), -1);
  EXPECT_EQ(song.loopJump(1 + 13 * 32), 1 + 10 * 32);
  song.onKey({pressedKey::letterL, false}, 1 + 11 * 32);
  EXPECT_FALSE(song.looping());
  EXPECT_EQ(song.loopJump(5000.0f), -1);
}

}  // namespace
