// The sound output on SDL's dummy driver, which consumes samples without a
// sound card, with MP3s encoded on the spot.
#include "platform/audio_stream.h"

#include "support/test_mp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>

namespace {

using testing_support::encodeToneMp3;
using testing_support::toneSpec;

// The stream reads `mp3` while it plays: keep it alive until the stream goes.
std::unique_ptr<musicStream> open(const std::string& mp3) {
  return std::unique_ptr<musicStream>(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size())));
}

struct playback {
  uint32_t finalPosition = 0;
  double seconds = 0.0;       // from play until isPlaying turned false
  bool neverWentBack = true;
  bool ended = false;
};

// Plays `stream` to its end (or for `limit`), polling every 2 ms.
playback playToTheEnd(musicStream& stream, std::chrono::seconds limit) {
  playback run;
  const auto start = std::chrono::steady_clock::now();
  stream.play();
  uint32_t last = 0;
  while (std::chrono::steady_clock::now() - start < limit) {
    const uint32_t position = stream.positionPcm();
    if (position < last) run.neverWentBack = false;
    last = position;
    if (!stream.isPlaying()) {
      run.ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.finalPosition = stream.positionPcm();
  return run;
}

TEST(AudioStream, TakesRateAndLengthFromTheStream) {
  toneSpec stereo;
  stereo.seconds = 0.5;
  const std::string stereoMp3 = encodeToneMp3(stereo);
  auto stream = open(stereoMp3);
  EXPECT_EQ(stream->frequency(), 44100.0f);
  EXPECT_EQ(stream->lengthSeconds(), 0.5f);
  EXPECT_FALSE(stream->isPlaying());
  EXPECT_EQ(stream->positionPcm(), 0u);

  toneSpec mono;
  mono.seconds = 1.25;
  mono.sampleRate = 22050;
  mono.channels = 1;
  mono.kilobitsPerSecond = 64;
  stream.reset();  // one device at a time
  const std::string monoMp3 = encodeToneMp3(mono);
  stream = open(monoMp3);
  EXPECT_EQ(stream->frequency(), 22050.0f);
  EXPECT_EQ(stream->lengthSeconds(), 1.25f);
}

TEST(AudioStream, PlaysInRealTimeWithoutGoingBackAndStopsAfterTheLastSample) {
  toneSpec tone;
  tone.seconds = 0.6;
  const std::string mp3 = encodeToneMp3(tone);
  auto stream = open(mp3);
  const playback run = playToTheEnd(*stream, std::chrono::seconds(10));
  ASSERT_TRUE(run.ended);
  EXPECT_TRUE(run.neverWentBack);
  EXPECT_EQ(run.finalPosition, 26460u);  // every sample of 0.6 s at 44100 Hz
  EXPECT_GT(run.seconds, 0.55);
  EXPECT_LT(run.seconds, 3.0);
}

TEST(AudioStream, ATruncatedStreamEndsWhereItsDataEnds) {
  toneSpec tone;
  tone.seconds = 1.0;
  std::string mp3 = encodeToneMp3(tone);
  mp3.resize(mp3.size() / 2);
  auto stream = open(mp3);
  const playback run = playToTheEnd(*stream, std::chrono::seconds(10));
  ASSERT_TRUE(run.ended);
  EXPECT_TRUE(run.neverWentBack);
  EXPECT_GT(run.finalPosition, 44100u / 4);
  EXPECT_LT(run.finalPosition, 44100u * 3 / 4);
}

TEST(AudioStream, AStreamThatCannotBeDecodedIsReportedAndNeverPlays) {
  for (const std::string& bytes : {std::string(4000, 'x'), std::string()}) {
    testing::internal::CaptureStderr();
    auto stream = open(bytes);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("The soundtrack could not be decoded"), std::string::npos) << errors;
    stream->play();
    EXPECT_FALSE(stream->isPlaying());
    EXPECT_EQ(stream->positionPcm(), 0u);
    EXPECT_GT(stream->frequency(), 0.0f);  // times derived from it stay finite
  }
}

TEST(AudioStream, WithoutASoundDeviceItStillPlaysInRealTime) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  toneSpec tone;
  tone.seconds = 0.3;
  testing::internal::CaptureStderr();
  const std::string mp3 = encodeToneMp3(tone);
  auto stream = open(mp3);
  const std::string errors = testing::internal::GetCapturedStderr();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_NE(errors.find("no sound device could be opened"), std::string::npos) << errors;
  const playback run = playToTheEnd(*stream, std::chrono::seconds(10));
  ASSERT_TRUE(run.ended);
  EXPECT_EQ(run.finalPosition, 13230u);
  EXPECT_GT(run.seconds, 0.25);
}

}  // namespace
