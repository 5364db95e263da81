#include "engine/shell.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/model/text.h"
#include "engine/music.h"
#include "engine/statistics.h"
#include "engine/virtual_clock.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Presents nothing; asks to quit after a given number of frames.
class scriptedPresenter : public presenter {
 public:
  void swap() override { ++swaps; }
  bool pumpMessages() override { return quitAfter > 0 && swaps >= quitAfter; }
  int swaps = 0;
  int quitAfter = 0;
};

virtualClock* clock60 = nullptr;
std::vector<float> seenSeconds;

// A frame routine that records the time it was given and moves the clock on
// by one sixtieth of a second, as an offline renderer would.
void recordAndAdvance(float seconds) {
  seenSeconds.push_back(seconds);
  const uint32_t next = clock60->positionPcm() + 44100 / 60;
  clock60->setPosition(next);
}

class ShellLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    activePresenter = &presenter_;
    seenSeconds.clear();
  }
  void TearDown() override {
    activePresenter = windowPresenter();
    frameCallback = nullptr;
    releaseMusic();
    clock60 = nullptr;
  }
  scriptedPresenter presenter_;
};

TEST_F(ShellLoop, PresentingCountsTheFrameAndResetsTheDrawCounters) {
  gfx::frameCount = 5;
  gfx::polygonCount = 12;
  gfx::vertexCount = 36;
  presentFrame();
  EXPECT_EQ(gfx::frameCount, 6);
  EXPECT_EQ(gfx::polygonCount, 0);
  EXPECT_EQ(gfx::vertexCount, 0);
  EXPECT_EQ(presenter_.swaps, 1);
}

TEST_F(ShellLoop, RunsUntilTheSongEndsFollowingTheMusicClock) {
  clock60 = new virtualClock(44100.0f, 0.5f);
  music = makeSoundtrack(clock60, 128.0);
  frameCallback = &recordAndAdvance;
  runMainLoop();
  // 0.5 s at 60 frames per second: frames at 0, 1/60, ... 29/60.
  ASSERT_EQ(seenSeconds.size(), 30u);
  EXPECT_EQ(seenSeconds.front(), 0.0f);
  for (size_t i = 1; i < seenSeconds.size(); ++i) {
    EXPECT_NEAR(seenSeconds[i] - seenSeconds[i - 1], 735.0f / 44100.0f, 1e-6f);
  }
  EXPECT_EQ(presenter_.swaps, 30);
}

TEST_F(ShellLoop, AQuitEndsTheLoopAfterPresentingTheCurrentFrame) {
  clock60 = new virtualClock(44100.0f, 100.0f);
  music = makeSoundtrack(clock60, 128.0);
  frameCallback = &recordAndAdvance;
  presenter_.quitAfter = 3;
  runMainLoop();
  EXPECT_EQ(seenSeconds.size(), 3u);
  EXPECT_EQ(presenter_.swaps, 3);
}

TEST_F(ShellLoop, AStreamThatNeverPlaysEndsAfterTheFirstFrame) {
  class silentStream : public virtualClock {
   public:
    silentStream() : virtualClock(44100.0f, 10.0f) {}
    void play() override {}
  };
  music = makeSoundtrack(new silentStream, 128.0);
  runMainLoop();
  EXPECT_EQ(presenter_.swaps, 1);
}

TEST_F(ShellLoop, EachFrameClearsWithTheClearColourAndTracksTheRow) {
  clock60 = new virtualClock(44100.0f, 100.0f);
  music = makeSoundtrack(clock60, 128.0);
  clock60->play();
  clock60->setPosition(44100);
  clearColor[0] = 1.0f;
  clearColor[1] = 0.0f;
  clearColor[2] = 1.0f;
  loopState state;
  EXPECT_TRUE(runFrame(state, false));
  EXPECT_EQ(state.rowPosition, 18.066668f);
  EXPECT_EQ(state.rowIndex, 18);
  const testing_support::rgba pixel = testing_support::pixelAt(10, 10);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_EQ(pixel.g, 0);
  EXPECT_EQ(pixel.b, 255);
  clearColor[0] = clearColor[1] = clearColor[2] = 0.0f;
}

TEST_F(ShellLoop, FrameRateCountsOnlyWithStatisticsOn) {
  loopState state;
  ASSERT_TRUE(runFrame(state, false));
  EXPECT_EQ(state.fpsCounter, 0);
  EXPECT_GE(state.wallSeconds, 0.0f);
  state.fpsLast = state.wallSeconds + 10.0f;  // far from a full second
  ASSERT_TRUE(runFrame(state, true));
  ASSERT_TRUE(runFrame(state, true));
  EXPECT_EQ(state.fpsCounter, 2);
  state.fpsLast = state.wallSeconds - 2.0f;  // a second has passed
  ASSERT_TRUE(runFrame(state, true));
  EXPECT_EQ(state.fpsShown, 2);
  EXPECT_EQ(state.fpsCounter, 0);
}

TEST_F(ShellLoop, WithStatisticsOnTheFrameCarriesTheOverlay) {
  clock60 = new virtualClock(44100.0f, 100.0f);
  music = makeSoundtrack(clock60, 128.0);
  clock60->play();
  createStatistics();
  clearColor[0] = clearColor[1] = clearColor[2] = 1.0f;

  loopState state;
  ASSERT_TRUE(runFrame(state, false));
  EXPECT_STREQ(statTexts[10]->string, "");  // off: nothing updated or drawn
  EXPECT_EQ(testing_support::pixelAt(240, 90).r, 255);

  clock60->setPosition(44100);
  ASSERT_TRUE(runFrame(state, true));
  EXPECT_STREQ(statTexts[8]->string, "1.00");
  EXPECT_STREQ(statTexts[10]->string, "   2 /  2 : 18.06667");
  EXPECT_STREQ(statTexts[3]->string, "0");
  EXPECT_STREQ(statTexts[4]->string, " 0.0");
  EXPECT_NEAR(testing_support::pixelAt(240, 90).r, 128, 2);  // the box is in the frame
  EXPECT_EQ(testing_support::pixelAt(300, 90).r, 255);

  deleteStatistics();
  clearColor[0] = clearColor[1] = clearColor[2] = 0.0f;
}

}  // namespace
