#include "engine/music.h"

#include "api/gl/display.h"
#include "engine/demo_clock.h"
#include "engine/errors.h"
#include "engine/package.h"
#include "engine/settings.h"
#include "engine/shell.h"
#include "platform/audio_stream.h"
#include "support/headless_gl.h"
#include "support/test_mp3.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

const char* const soundtrackEntry = "sfx/MarbleHollow_Rhythm.mp3";

std::string toneOf(double seconds) {
  toneSpec tone;
  tone.seconds = seconds;
  return encodeToneMp3(tone);
}

class Music : public ::testing::Test {
 protected:
  void TearDown() override {
    musicOn = true;
    loopOn = false;
    releaseMusic();
    dropPackage();
    frameCallback = nullptr;
    activePresenter = windowPresenter();
  }
  // Opens a package holding `entries` as the show's package.
  void usePackageWith(const std::vector<zipEntry>& entries) {
    const std::string path = makeTempFolder() + "/pack.zip";
    ASSERT_TRUE(writeZip(path, entries));
    usePackage(path);
  }
  int codeOfOpenMusic() {
    try {
      openMusic(128.0);
    } catch (int code) {
      return code;
    }
    return 0;
  }
};

TEST_F(Music, RefusesToOpenWithoutAPackageBeforeReadingAnything) {
  ASSERT_EQ(package, nullptr);
  musicBuffer.allocate(4, 1025);
  EXPECT_EQ(codeOfOpenMusic(), errorCode::engineNoPackage);
  EXPECT_EQ(music, nullptr);
  EXPECT_EQ(musicBuffer.length, 4u);
}

TEST_F(Music, AMissingSoundtrackIs258AndReleaseStillFreesTheBuffer) {
  usePackageWith({{"sfx/another_song.mp3", toneOf(0.2)}});
  musicBuffer.allocate(4, 1025);
  EXPECT_EQ(codeOfOpenMusic(), errorCode::packageEntryMissing);
  EXPECT_EQ(music, nullptr);
  releaseMusic();
  EXPECT_EQ(musicBuffer.data, nullptr);
  EXPECT_EQ(musicBuffer.length, 0u);
  EXPECT_EQ(musicBuffer.capacity, 0u);
  releaseMusic();  // and again, with nothing left
  EXPECT_EQ(musicBuffer.data, nullptr);
}

TEST_F(Music, OpensTheSoundtrackWithTheStreamsTimingAndReleasesIt) {
  const std::string mp3 = toneOf(0.5);
  usePackageWith({{"readme.txt", "x"}, {"SFX/marblehollow_rhythm.MP3", mp3}});
  ASSERT_EQ(codeOfOpenMusic(), 0);
  ASSERT_NE(music, nullptr);
  ASSERT_NE(music->stream, nullptr);
  EXPECT_EQ(music->tempo, 128.0f);
  EXPECT_EQ(music->rowsPerBeat, 8.0f);
  EXPECT_EQ(music->msPerRow, 58.59375f);
  EXPECT_EQ(music->lengthSeconds, 0.5f);
  EXPECT_EQ(musicBuffer.length, mp3.size());
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(musicBuffer.data), musicBuffer.length), mp3);

  // The demo clock at 44100 samples of this stream: one second, row 18.066668.
  const float frequency = music->stream->frequency();
  EXPECT_EQ(frequency, 44100.0f);
  EXPECT_EQ(secondsAt(44100, frequency), 1.0f);
  EXPECT_EQ(rowPositionAt(44100, frequency, music->msPerRow), 18.066668f);

  releaseMusic();
  EXPECT_EQ(music, nullptr);
  EXPECT_EQ(musicBuffer.data, nullptr);
  EXPECT_EQ(musicBuffer.length, 0u);
}

// Presents nothing; asks to quit only if the song has not ended after ten
// seconds, so a loop that never ends fails instead of hanging.
class deadlinePresenter : public presenter {
 public:
  void swap() override { ++swaps; }
  bool pumpMessages() override {
    quitAsked = std::chrono::steady_clock::now() - started > std::chrono::seconds(10);
    return quitAsked;
  }
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  int swaps = 0;
  bool quitAsked = false;
};

std::vector<float> secondsSeen;
void recordSeconds(float seconds) { secondsSeen.push_back(seconds); }

TEST_F(Music, TheEndOfTheSongEndsTheMainLoop) {
  ASSERT_TRUE(headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  usePackageWith({{soundtrackEntry, toneOf(0.4), true}});
  ASSERT_EQ(codeOfOpenMusic(), 0);
  deadlinePresenter screen;
  activePresenter = &screen;
  secondsSeen.clear();
  frameCallback = &recordSeconds;

  runMainLoop();
  EXPECT_FALSE(screen.quitAsked);
  EXPECT_FALSE(music->stream->isPlaying());
  EXPECT_EQ(music->stream->positionPcm(), 17640u);  // all 0.4 s at 44100 Hz
  ASSERT_GT(screen.swaps, 2);
  EXPECT_EQ(secondsSeen.size(), static_cast<size_t>(screen.swaps));
  for (size_t i = 1; i < secondsSeen.size(); ++i) EXPECT_GE(secondsSeen[i], secondsSeen[i - 1]);
  EXPECT_LE(secondsSeen.back(), 0.4f);
}

TEST_F(Music, AnUndecodableSoundtrackEndsTheLoopAfterItsFirstFrame) {
  loopOn = true;  // a song with nothing to hear is not looped either
  ASSERT_TRUE(headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  usePackageWith({{soundtrackEntry, std::string(3000, 'z')}});
  testing::internal::CaptureStderr();
  ASSERT_EQ(codeOfOpenMusic(), 0);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("could not be decoded"), std::string::npos);
  deadlinePresenter screen;
  activePresenter = &screen;
  secondsSeen.clear();
  frameCallback = &recordSeconds;

  runMainLoop();
  EXPECT_EQ(screen.swaps, 1);
  ASSERT_EQ(secondsSeen.size(), 1u);
  EXPECT_EQ(secondsSeen[0], 0.0f);
}

// Quits once the song has started over twice, or after ten seconds.
class restartCountingPresenter : public deadlinePresenter {
 public:
  bool pumpMessages() override {
    if (secondsSeen.size() >= 2 &&
        secondsSeen[secondsSeen.size() - 1] + 0.1f < secondsSeen[secondsSeen.size() - 2]) {
      ++restarts;
    }
    return restarts >= 2 || deadlinePresenter::pumpMessages();
  }
  int restarts = 0;
};

TEST_F(Music, WithLoopOnTheSongStartsOverFromTheFirstRowUntilAQuit) {
  ASSERT_TRUE(headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  usePackageWith({{soundtrackEntry, toneOf(0.3), true}});
  ASSERT_EQ(codeOfOpenMusic(), 0);
  loopOn = true;
  restartCountingPresenter screen;
  activePresenter = &screen;
  secondsSeen.clear();
  frameCallback = &recordSeconds;

  runMainLoop();
  ASSERT_EQ(screen.restarts, 2) << "the loop ended with the song, or never quit";
  EXPECT_FALSE(screen.quitAsked);
  // Each pass reached the end of the song and the next began near row 1.
  int passes = 1;
  for (size_t i = 1; i < secondsSeen.size(); ++i) {
    if (secondsSeen[i] >= secondsSeen[i - 1]) continue;
    ++passes;
    EXPECT_GT(secondsSeen[i - 1], 0.25f);
    EXPECT_LT(secondsSeen[i], 0.1f);
  }
  EXPECT_EQ(passes, 3);
  EXPECT_NE(music, nullptr);
  EXPECT_TRUE(music->stream->isPlaying());  // the quit came mid-song
}

TEST_F(Music, WithMusicOffTheSongRunsSilentlyOnTheRealTimeClock) {
  ASSERT_TRUE(headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  usePackageWith({{soundtrackEntry, toneOf(0.4), true}});
  musicOn = false;
  // A driver that cannot open would be reported: a silent song never asks.
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(codeOfOpenMusic(), 0);
  const std::string errors = testing::internal::GetCapturedStderr();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EQ(errors, "");
  const platform::audioDeviceReport report = platform::deviceReportOf(music->stream);
  EXPECT_STREQ(report.driver, "");
  EXPECT_FALSE(report.followsDevice);
  EXPECT_EQ(music->lengthSeconds, 0.4f);

  deadlinePresenter screen;
  activePresenter = &screen;
  secondsSeen.clear();
  frameCallback = &recordSeconds;
  const auto started = std::chrono::steady_clock::now();
  runMainLoop();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  EXPECT_FALSE(screen.quitAsked);
  EXPECT_EQ(music->stream->positionPcm(), 17640u);
  EXPECT_GT(seconds, 0.39);
  EXPECT_LT(seconds, 1.5);
  ASSERT_GT(secondsSeen.size(), 2u);
  EXPECT_GT(secondsSeen.back(), 0.3f);
}

}  // namespace
