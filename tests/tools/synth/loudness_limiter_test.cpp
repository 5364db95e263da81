#include "limiter.h"
#include "loudness_meter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using namespace songsynth;

stereoBuffer sine(double frequency, double seconds, float leftAmplitude, float rightAmplitude, double rate = sampleRate) {
  stereoBuffer audio(static_cast<size_t>(seconds * rate));
  for (size_t i = 0; i < audio.frames(); ++i) {
    float value = static_cast<float>(std::sin(2.0 * pi * frequency * i / rate));
    audio.left[i] = value * leftAmplitude;
    audio.right[i] = value * rightAmplitude;
  }
  return audio;
}

void append(stereoBuffer& audio, const stereoBuffer& more) {
  audio.left.insert(audio.left.end(), more.left.begin(), more.left.end());
  audio.right.insert(audio.right.end(), more.right.begin(), more.right.end());
}

const float minus20 = 0.1f;  // -20 dBFS

TEST(LoudnessMeter, ReadsSinesAsTheStandardDefines) {
  // A full-scale 1 kHz sine in one channel reads -3.01 LUFS, at 44.1 kHz
  // and at 48 kHz alike.
  EXPECT_NEAR(integratedLoudness(sine(1000, 5, 1.0f, 0.0f), sampleRate), -3.01, 0.05);
  EXPECT_NEAR(integratedLoudness(sine(1000, 5, 1.0f, 0.0f, 48000), 48000), -3.01, 0.05);
  // The same sine at -20 dBFS in both channels reads -20 LUFS.
  EXPECT_NEAR(integratedLoudness(sine(1000, 5, minus20, minus20), sampleRate), -20.0, 0.05);
}

TEST(LoudnessMeter, WeightsLowsDownAndHighsUp) {
  double middle = integratedLoudness(sine(1000, 5, minus20, minus20), sampleRate);
  EXPECT_LT(integratedLoudness(sine(25, 5, minus20, minus20), sampleRate), middle - 5.0);
  // The shelf gives about +4 dB up high and +0.7 dB at 1 kHz, which the
  // -0.691 offset cancels: 10 kHz reads about 3.3 dB louder.
  EXPECT_NEAR(integratedLoudness(sine(10000, 5, minus20, minus20), sampleRate), middle + 3.3, 0.15);
}

TEST(LoudnessMeter, GatesSilenceAndQuietPassages) {
  stereoBuffer withSilence = sine(1000, 5, minus20, minus20);
  append(withSilence, stereoBuffer(5 * sampleRate));
  // 47 whole blocks of sine, three that run into the silence (3/4, 1/2 and
  // 1/4 full, still over -70 LUFS), the rest gated away.
  EXPECT_NEAR(integratedLoudness(withSilence, sampleRate), -20.0 + 10.0 * std::log10(48.5 / 50.0), 0.02)
      << "absolute gate";

  // 30 dB quieter for as long: under the relative gate, so nearly ignored.
  stereoBuffer withQuiet = sine(1000, 5, minus20, minus20);
  append(withQuiet, sine(1000, 5, minus20 * 0.0316f, minus20 * 0.0316f));
  EXPECT_NEAR(integratedLoudness(withQuiet, sampleRate), -20.0, 0.3) << "relative gate";
  // Without gating the mean would sit about 3 dB lower.
  EXPECT_GT(integratedLoudness(withQuiet, sampleRate), -21.0);

  EXPECT_TRUE(std::isinf(integratedLoudness(stereoBuffer(3 * sampleRate), sampleRate)));
  EXPECT_TRUE(std::isinf(integratedLoudness(sine(1000, 0.3, 1.0f, 1.0f), sampleRate))) << "shorter than a block";
}

TEST(LoudnessMeter, BlocksStepEveryTenthOfASecond) {
  std::vector<double> blocks = blockLoudness(sine(1000, 2.0, minus20, minus20), sampleRate);
  EXPECT_EQ(blocks.size(), 17u);  // 400 ms blocks starting every 100 ms within 2 s
  for (double block : blocks) EXPECT_NEAR(block, -20.0, 0.1);
}

TEST(Limiter, FindsPeaksBetweenSamples) {
  // A quarter-rate sine sampled 45 degrees off its crests: every sample is
  // at 0.707, the wave itself reaches 1.
  stereoBuffer audio(4000);
  for (size_t i = 0; i < audio.frames(); ++i) {
    audio.left[i] = audio.right[i] = static_cast<float>(std::sin(pi / 2.0 * i + pi / 4.0));
  }
  std::vector<float> peaks = truePeakEnvelope(audio);
  EXPECT_NEAR(*std::max_element(peaks.begin() + 100, peaks.end() - 100), 1.0f, 0.02f);
  EXPECT_NEAR(std::fabs(audio.left[1000]), 0.7071f, 0.001f);
}

TEST(Limiter, NeverExceedsItsCeiling) {
  // Noise with sharp bursts, pushed 12 dB: far over the ceiling.
  randomSource random(5);
  stereoBuffer audio(sampleRate * 3);
  for (size_t i = 0; i < audio.frames(); ++i) {
    float burst = (i / 4410) % 5 == 0 ? 1.0f : 0.2f;
    audio.left[i] = random.bipolar() * burst;
    audio.right[i] = static_cast<float>(std::sin(i * 0.05)) * burst;
  }
  limiterSettings settings;
  settings.ceiling = 0.891f;
  float deepest = 1.0f;
  stereoBuffer limited = limit(audio, 4.0f, truePeakEnvelope(audio), settings, &deepest);
  float samplePeak = 0.0f;
  for (size_t i = 0; i < limited.frames(); ++i) {
    samplePeak = std::max({samplePeak, std::fabs(limited.left[i]), std::fabs(limited.right[i])});
  }
  EXPECT_LE(samplePeak, settings.ceiling * 1.0001f);
  std::vector<float> after = truePeakEnvelope(limited);
  float truePeak = *std::max_element(after.begin(), after.end());
  EXPECT_LE(truePeak, settings.ceiling * 1.01f);
  EXPECT_GT(truePeak, settings.ceiling * 0.95f) << "limits to the ceiling, not far below it";
  EXPECT_LT(deepest, 0.3f);
}

TEST(Limiter, LeavesQuietAudioAlone) {
  stereoBuffer audio = sine(440, 1.0, 0.5f, 0.25f);
  stereoBuffer limited = limit(audio, 1.5f, truePeakEnvelope(audio), limiterSettings{});
  for (size_t i = 0; i < audio.frames(); i += 97) {
    ASSERT_FLOAT_EQ(limited.left[i], audio.left[i] * 1.5f);
    ASSERT_FLOAT_EQ(limited.right[i], audio.right[i] * 1.5f);
  }
}

}  // namespace
