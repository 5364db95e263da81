#include "audio_files.h"
#include "loudness_meter.h"
#include "mastering.h"
#include "song_parser.h"
#include "song_renderer.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace songsynth;

int64_t stepSample(double step) { return std::llround(step * sampleRate * 60.0 / 128.0 / 4.0); }

// Frequency from rising zero crossings between two sample positions.
double frequencyOf(const std::vector<float>& samples, size_t from, size_t to) {
  size_t first = 0, last = 0, count = 0;
  for (size_t i = from + 1; i < to; ++i) {
    if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
      if (count == 0) first = i;
      last = i;
      ++count;
    }
  }
  return count < 2 ? 0.0 : (count - 1) * static_cast<double>(sampleRate) / static_cast<double>(last - first);
}

double rms(const std::vector<float>& samples, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < to; ++i) sum += samples[i] * samples[i];
  return std::sqrt(sum / static_cast<double>(to - from));
}

TEST(SongRender, SynthNotesSoundAtTheirPitch) {
  song music = parseSong("tempo 128\nbars 1\ninstrument tone synth\n  osc sine\n  cutoff 20000\nend\n"
                         "notes n A4 -*7 E5 -*7\nsection s 0-0\n  play tone n\nend\n",
                         "pitch.song");
  stereoBuffer audio = renderMix(music, 0, 0);
  ASSERT_EQ(audio.frames(), static_cast<size_t>(stepSample(16)));
  EXPECT_NEAR(frequencyOf(audio.left, stepSample(1), stepSample(7)), 440.0, 0.5);
  EXPECT_NEAR(frequencyOf(audio.right, stepSample(9), stepSample(15)), 659.26, 0.5);
}

TEST(SongRender, TheKickDucksThePad) {
  song music = parseSong("tempo 128\nbars 1\n"
                         "instrument kick kick\n  gain -60\nend\n"
                         "instrument pad synth\n  osc sine\n  attack 0\n  sustain 1\n  duck 0.8\nend\n"
                         "beat four x... .... x... ....\nnotes held A4 -*15\n"
                         "section s 0-0\n  play kick four\n  play pad held\nend\n",
                         "duck.song");
  stereoBuffer audio = renderMix(music, 0, 0);
  const size_t beat = static_cast<size_t>(stepSample(8));
  const size_t ms = sampleRate / 1000;
  double ducked = rms(audio.left, beat + 4 * ms, beat + 20 * ms);
  double open = rms(audio.left, beat - 60 * ms, beat - 10 * ms);
  EXPECT_LT(ducked, open * 0.4);
  EXPECT_GT(ducked, open * 0.1) << "ducked, not muted";
}

// A few bars of the show's song: rendering twice gives identical samples and
// identical MP3 bytes, and the MP3 decodes to exactly the rendered length,
// under full scale, at the target loudness.
TEST(SongRender, IsDeterministicAndEncodesToTheExactLength) {
  song music = loadSongFile(AMBER_SOURCE_DIR "/content/song/marble_hollow_rhythm.song");
  stereoBuffer first = renderMix(music, 24, 25);
  stereoBuffer second = renderMix(music, 24, 25);
  ASSERT_EQ(first.frames(), static_cast<size_t>(stepSample(26 * 16) - stepSample(24 * 16)));
  ASSERT_EQ(first.frames(), second.frames());
  EXPECT_EQ(std::memcmp(first.left.data(), second.left.data(), first.frames() * sizeof(float)), 0);
  EXPECT_EQ(std::memcmp(first.right.data(), second.right.data(), first.frames() * sizeof(float)), 0);

  masteringReport report = masterMix(first, music.master);
  EXPECT_NEAR(report.loudness, music.master.loudness, 0.1);
  EXPECT_LE(report.truePeakDb, music.master.ceiling + 0.1);
  std::vector<unsigned char> mp3 = encodeMp3(first, music.master.bitrate);
  EXPECT_EQ(mp3, encodeMp3(first, music.master.bitrate));

  const std::string path = testing_support::makeTempFolder() + "/excerpt.mp3";
  writeFileAtomically(path, mp3);
  decodedAudio decoded = decodeMp3File(path);
  EXPECT_EQ(decoded.rate, sampleRate);
  EXPECT_EQ(decoded.channels, 2);
  EXPECT_EQ(decoded.audio.frames(), first.frames());
  float peak = 0.0f;
  for (size_t i = 0; i < decoded.audio.frames(); ++i) {
    peak = std::max({peak, std::fabs(decoded.audio.left[i]), std::fabs(decoded.audio.right[i])});
  }
  EXPECT_LT(peak, 1.0f);
  EXPECT_GT(peak, 0.5f);
  EXPECT_NEAR(integratedLoudness(decoded.audio, sampleRate), music.master.loudness, 0.5);
}

TEST(SongRender, EndsInSilence) {
  song music = loadSongFile(AMBER_SOURCE_DIR "/content/song/marble_hollow_rhythm.song");
  stereoBuffer ending = renderMix(music, music.bars - 1, music.bars - 1);
  masterMix(ending, music.master);
  EXPECT_EQ(ending.left.back(), 0.0f);
  EXPECT_EQ(ending.right.back(), 0.0f);
}

}  // namespace
