#include "audio_files.h"
#include "effects.h"
#include "instrument_settings_table.h"
#include "voices.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

using namespace songsynth;

double energy(const std::vector<float>& samples, size_t from, size_t to) {
  double sum = 0.0;
  for (size_t i = from; i < std::min(to, samples.size()); ++i) sum += samples[i] * samples[i];
  return sum;
}

size_t loudestIndex(const std::vector<float>& samples, size_t from) {
  size_t best = from;
  for (size_t i = from; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) > std::fabs(samples[best])) best = i;
  }
  return best;
}

TEST(Envelope, RisesHoldsAndReleases) {
  envelope adsr(0.01f, 0.1f, 0.5f, 0.1f, 1000.0);
  for (int i = 0; i < 10; ++i) adsr.next(true);
  EXPECT_NEAR(adsr.level(), 1.0f, 1e-4f) << "linear attack reaches the top in its time";
  for (int i = 0; i < 1000; ++i) adsr.next(true);
  EXPECT_NEAR(adsr.level(), 0.5f, 1e-3f) << "decays to the sustain level";
  for (int i = 0; i < 100; ++i) adsr.next(false);
  EXPECT_NEAR(adsr.level(), 0.5f * std::exp(-3.0f), 1e-3f) << "release: about 5 % left after its time";
}

TEST(Voices, SynthNotesAndDrumsDieAway) {
  instrumentSettings synth = defaultSettingsFor(instrumentKind::synth);
  synth.release = 0.2f;
  trackPlan plan;
  plan.cutoff = automationLane(synth.cutoff);
  noteEvent note;
  note.start = 100;
  note.length = sampleRate / 4;
  stereoBuffer out(sampleRate * 2);
  renderSynthNote(synth, plan, note, 1, 0, out);
  EXPECT_EQ(energy(out.left, 0, 100), 0.0) << "nothing before the note";
  EXPECT_GT(energy(out.left, 100, 100 + sampleRate / 4), 1.0);
  EXPECT_EQ(energy(out.left, sampleRate, out.frames()), 0.0) << "silent well after the release";

  for (instrumentKind kind : {instrumentKind::kick, instrumentKind::snare, instrumentKind::clap, instrumentKind::hat,
                              instrumentKind::crash, instrumentKind::shaker}) {
    stereoBuffer hit(sampleRate * 8);
    noteEvent tap;
    renderDrumHit(kind, defaultSettingsFor(kind), plan, tap, 7, 0, hit);
    EXPECT_GT(energy(hit.left, 0, sampleRate / 10), 0.01) << static_cast<int>(kind);
    EXPECT_EQ(energy(hit.left, sampleRate * 7, hit.frames()), 0.0) << static_cast<int>(kind);
  }
}

TEST(Voices, RisersSwellOverTheirNote) {
  instrumentSettings riser = defaultSettingsFor(instrumentKind::riser);
  noteEvent note;
  note.length = sampleRate * 2;
  stereoBuffer out(sampleRate * 3);
  trackPlan plan;
  renderDrumHit(instrumentKind::riser, riser, plan, note, 3, 0, out);
  double early = energy(out.left, 0, sampleRate / 2);
  double late = energy(out.left, sampleRate * 3 / 2, sampleRate * 2);
  EXPECT_GT(late, early * 10.0);
  EXPECT_EQ(energy(out.left, sampleRate * 2 + sampleRate / 20, out.frames()), 0.0) << "stops with its note";
}

TEST(Voices, WindowedRenderingMatchesTheWhole) {
  instrumentSettings synth = defaultSettingsFor(instrumentKind::synth);
  trackPlan plan;
  plan.cutoff = automationLane(2000.0f);
  noteEvent note;
  note.start = 1000;
  note.length = 20000;
  stereoBuffer whole(40000), part(10000);
  renderSynthNote(synth, plan, note, 9, 0, whole);
  renderSynthNote(synth, plan, note, 9, 15000, part);
  EXPECT_EQ(std::memcmp(part.left.data(), whole.left.data() + 15000, part.frames() * sizeof(float)), 0);
}

TEST(Effects, PingPongEchoesAlternateSides) {
  stereoBuffer impulse(20000);
  impulse.left[0] = impulse.right[0] = 1.0f;
  stereoBuffer wet = pingPongDelayOf(impulse, 5000.0, 0.5f, 20000.0f);
  size_t firstLeft = loudestIndex(wet.left, 0);
  size_t firstRight = loudestIndex(wet.right, 0);
  EXPECT_NEAR(static_cast<double>(firstLeft), 5000.0, 3.0);
  EXPECT_NEAR(static_cast<double>(firstRight), 10000.0, 3.0);
  EXPECT_LT(std::fabs(wet.left[firstLeft + 10000]), std::fabs(wet.left[firstLeft])) << "each repeat quieter";
  EXPECT_LT(energy(wet.right, 0, 9000), 1e-6) << "the right side only answers the left";
}

TEST(Effects, ReverbTailDecays) {
  stereoBuffer burst(sampleRate * 6);
  for (size_t i = 0; i < 2000; ++i) burst.left[i] = burst.right[i] = std::sin(i * 0.3f);
  stereoBuffer wet = reverbOf(burst, 0.8f, 0.4f, 0.02f, 1.0f);
  double first = energy(wet.left, 0, sampleRate);
  double later = energy(wet.left, sampleRate * 4, sampleRate * 5);
  EXPECT_GT(first, 0.0);
  EXPECT_LT(later, first * 0.01);
  EXPECT_EQ(energy(wet.left, 0, sampleRate / 100), 0.0) << "pre-delay";
  double sum = 0.0;
  for (float value : wet.left) sum += value;
  EXPECT_LT(std::fabs(sum / wet.frames()), 1e-4) << "no DC";
}

TEST(Settings, AreCheckedByName) {
  instrumentSettings s;
  EXPECT_EQ(applySetting(s, "cutoff", "1500"), "");
  EXPECT_FLOAT_EQ(s.cutoff, 1500.0f);
  EXPECT_EQ(applySetting(s, "voicing", "C5"), "");
  EXPECT_EQ(s.voicingCentre, 72);
  EXPECT_EQ(applySetting(s, "unison", "2.5"), "unison is a whole number from 1 to 16");
  EXPECT_EQ(applySetting(s, "osc", "pulse"), "\"pulse\" is not a waveform (sine, triangle, saw, square, noise)");
  EXPECT_EQ(applySetting(s, "swing", "yes"), "swing is \"on\" or \"off\"");
  EXPECT_EQ(applySetting(s, "pan", "2"), "pan 2 is outside -1 to 1");
  EXPECT_FALSE(defaultSettingsFor(instrumentKind::kick).swing) << "the kick stays on the grid";
  EXPECT_FALSE(instrumentKindNamed("tuba"));
}

TEST(AudioFiles, WavHeaderDescribesTheSamples) {
  stereoBuffer audio(3);
  audio.left = {0.0f, 1.0f, -2.0f};
  audio.right = {0.5f, -1.0f, 0.0f};
  const std::string path = testing_support::makeTempFolder() + "/three.wav";
  writeWavFile(path, audio);
  std::string bytes = testing_support::readWholeFile(path);
  ASSERT_EQ(bytes.size(), 44u + 12u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(bytes.substr(36, 4), "data");
  auto sampleAt = [&](size_t index) {
    return static_cast<int16_t>(static_cast<uint8_t>(bytes[44 + 2 * index]) |
                                (static_cast<uint8_t>(bytes[45 + 2 * index]) << 8));
  };
  EXPECT_EQ(sampleAt(1), 16384);   // right 0.5
  EXPECT_EQ(sampleAt(2), 32767);   // left 1.0
  EXPECT_EQ(sampleAt(4), -32767);  // left -2.0, clipped
  EXPECT_THROW(decodeMp3File(path + ".missing"), songError);
}

}  // namespace
