// Pausing and seeking the soundtrack's stream on a sound device (SDL's dummy
// driver under the tests), followed by its callbacks or by the real-time
// clock, and silent on the real-time clock (--no-music): the position read
// back is the row asked for, and a held song stands still.
#include "engine/demo_clock.h"
#include "platform/audio_stream.h"
#include "support/test_mp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

constexpr float msPerRow = 58.59375f;

uint32_t samplesAtRow(float row, float frequency) {
  return static_cast<uint32_t>((row - 1.0f + 0.01f) * msPerRow / 1000.0f * frequency);
}

float rowOf(musicStream& stream) {
  return rowPositionAt(stream.positionPcm(), stream.frequency(), msPerRow);
}

void pauseFor(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

TEST(CreatorClock, SeekLandsOnTheRowAndPauseStopsTheClock) {
  testing_support::toneSpec tone;
  tone.seconds = 10.0;
  const std::string mp3 = testing_support::encodeToneMp3(tone);
  ASSERT_FALSE(mp3.empty());
  for (const auto source : {platform::positionSource::followDevice,
                            platform::positionSource::realTime, platform::positionSource::silent}) {
    SCOPED_TRACE(static_cast<int>(source));
    std::unique_ptr<musicStream> stream(platform::openAudioStream(
        reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size()), source));
    const float frequency = stream->frequency();
    EXPECT_FALSE(stream->seek(samplesAtRow(50.0f, frequency)));  // not before play
    stream->play();

    // Within one row of the one asked for, plus whatever time a busy
    // machine let pass before the read.
    const auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(stream->seek(samplesAtRow(120.0f, frequency)));
    const float landed = rowOf(*stream);
    const std::chrono::duration<float, std::milli> passed =
        std::chrono::steady_clock::now() - before;
    EXPECT_GE(landed, 120.0f);
    EXPECT_LT(landed, 121.0f + passed.count() / msPerRow);

    ASSERT_TRUE(stream->pause(true));
    const uint32_t held = stream->positionPcm();
    pauseFor(150);
    EXPECT_EQ(stream->positionPcm(), held);
    EXPECT_TRUE(stream->isPlaying());

    // Seeking a held song moves it and keeps it held.
    ASSERT_TRUE(stream->seek(samplesAtRow(40.0f, frequency)));
    EXPECT_EQ(static_cast<int>(rowOf(*stream)), 40);
    pauseFor(50);
    EXPECT_EQ(static_cast<int>(rowOf(*stream)), 40);

    ASSERT_TRUE(stream->pause(false));
    pauseFor(200);
    const float resumed = rowOf(*stream);
    EXPECT_GT(resumed, 40.5f);
    EXPECT_LT(resumed, 40.0f + 5000.0f / msPerRow);  // not back at row 120, nor anywhere else
  }
}

}  // namespace
