// The show's own soundtrack, as the built pack carries it.
#include "audio_files.h"
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "loudness_meter.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#ifndef AMBER_PACK_HAS_SOUNDTRACK
#define AMBER_PACK_HAS_SOUNDTRACK 0
#endif

namespace {

using songsynth::decodedAudio;
using songsynth::decodeMp3File;
using songsynth::integratedLoudness;

TEST(ShowSoundtrack, DecodesToAFullSongUnderFullScaleAtNormalLoudness) {
  if (!AMBER_PACK_HAS_SOUNDTRACK) GTEST_SKIP() << "this build's pack has no soundtrack";
  testing_support::usePackage(AMBER_PACK_PATH);
  fileBuffer mp3;
  readFile("sfx/MarbleHollow_Rhythm.mp3", mp3);
  const std::string folder = testing_support::makeTempFolder();
  const std::string path = folder + "/soundtrack.mp3";
  testing_support::writeWholeFile(path,
                                  std::string(reinterpret_cast<char*>(mp3.data), mp3.length));
  testing_support::dropPackage();

  const decodedAudio decoded = decodeMp3File(path);
  EXPECT_EQ(decoded.rate, 44100);
  EXPECT_EQ(decoded.channels, 2);
  const double seconds = static_cast<double>(decoded.audio.frames()) / decoded.rate;
  EXPECT_GE(seconds, 140.0);
  EXPECT_LE(seconds, 180.0);
  // The song is made of whole bars of 1.875 s.
  EXPECT_NEAR(std::fmod(seconds, 1.875), 0.0, 0.01);

  float peak = 0.0f;
  for (size_t i = 0; i < decoded.audio.frames(); ++i) {
    peak = std::max({peak, std::fabs(decoded.audio.left[i]), std::fabs(decoded.audio.right[i])});
  }
  EXPECT_LT(peak, 1.0f);
  EXPECT_NEAR(integratedLoudness(decoded.audio, decoded.rate), -14.0, 1.0);
}

}  // namespace
