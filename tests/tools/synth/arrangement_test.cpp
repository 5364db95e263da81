#include "arrangement.h"
#include "music_theory.h"
#include "song_parser.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using namespace songsynth;

song timingSong(const std::string& instrumentLines, const std::string& notes) {
  return parseSong("tempo 128\nbars 2\nswing 0.2\nchords main Am F\n"
                   "instrument a synth\n" + instrumentLines + "end\n"
                   "notes n " + notes + "\n"
                   "section s 0-1\n  chords main\n  play a n\n  ramp a cutoff 100 500 bars 1-1\nend\n",
                   "timing.song");
}

int64_t stepSample(double step) { return std::llround(step * sampleRate * 60.0 / 128.0 / 4.0); }

TEST(MusicTheory, NamesNotesAndChords) {
  EXPECT_EQ(parseNoteName("A4"), 69);
  EXPECT_EQ(parseNoteName("C-1"), 0);
  EXPECT_EQ(parseNoteName("G9"), 127);
  EXPECT_EQ(parseNoteName("Bb1"), 34);
  EXPECT_FALSE(parseNoteName("G#9")) << "above MIDI's range";
  EXPECT_FALSE(parseNoteName("A"));
  EXPECT_FALSE(parseNoteName("H4"));
  EXPECT_NEAR(noteFrequency(69), 440.0, 1e-9);
  EXPECT_NEAR(noteFrequency(57), 220.0, 1e-9);

  chordSymbol am = *parseChordSymbol("Am");
  EXPECT_EQ(chordToneNote(am, 0, 28), 33) << "A1 is the first A from E1 up";
  EXPECT_EQ(chordToneNote(am, 1, 28), 36);
  EXPECT_EQ(chordToneNote(am, 3, 28), 45) << "the fourth tone of a triad is the root an octave up";
  EXPECT_EQ(closeVoicing(am, 64), (std::vector<int>{60, 64, 69}));
  EXPECT_EQ(closeVoicing(*parseChordSymbol("G"), 64), (std::vector<int>{59, 62, 67}));
  EXPECT_EQ(parseChordSymbol("Fmaj7")->intervals, (std::vector<int>{0, 4, 7, 11}));
  EXPECT_FALSE(parseChordSymbol("Amaj13"));
}

TEST(Arrangement, PlacesNotesOnTheStepGridWithSwingAndHolds) {
  song music = timingSong("", "A4 - - . B4 C5 - D5");
  EXPECT_EQ(music.lengthSamples(), stepSample(32)) << "two bars of 1.875 s";
  EXPECT_EQ(music.lengthSamples(), 165375);
  std::vector<trackPlan> plans = planTracks(music);
  ASSERT_EQ(plans.size(), 1u);
  const std::vector<noteEvent>& notes = plans[0].notes;
  ASSERT_EQ(notes.size(), 16u) << "four notes, the eight-step pattern looping four times";

  EXPECT_EQ(notes[0].start, 0);
  EXPECT_EQ(notes[0].length, stepSample(3.2)) << "held over two steps, ended by the (swung) rest";
  EXPECT_EQ(notes[0].note, 69.0f);
  EXPECT_EQ(notes[1].start, stepSample(4));
  EXPECT_EQ(notes[1].length, stepSample(5.2) - stepSample(4)) << "ends where the swung next note starts";
  EXPECT_EQ(notes[2].start, stepSample(5.2)) << "odd steps are swung";
  EXPECT_EQ(notes[2].length, stepSample(7.2) - stepSample(5.2));
  EXPECT_EQ(notes[3].start, stepSample(7.2));
  EXPECT_EQ(notes[4].start, stepSample(8));
  EXPECT_EQ(notes[15].start, stepSample(31.2));
  EXPECT_EQ(notes[15].length, stepSample(32) - stepSample(31.2)) << "the last note ends with its bars";
  for (const noteEvent& note : notes) EXPECT_FLOAT_EQ(note.glideFrom, -1.0f) << "no glide without a glide time";

  EXPECT_FLOAT_EQ(plans[0].cutoff.valueAt(stepSample(8)), 8000.0f) << "the instrument's own value outside ramps";
  EXPECT_NEAR(plans[0].cutoff.valueAt(stepSample(24)), 300.0f, 0.1f) << "half-way through the ramp";
}

TEST(Arrangement, FollowsChordsAndSlidesBetweenLegatoNotes) {
  song music = timingSong("  glide 0.05\n  root_from E1\n  voicing E4\n  swing off\n",
                          "c0 c1 - . chord -*11");
  std::vector<trackPlan> plans = planTracks(music);
  const std::vector<noteEvent>& notes = plans[0].notes;
  ASSERT_EQ(notes.size(), 10u);  // per bar: two chord tones and a three-note chord
  EXPECT_EQ(notes[0].note, 33.0f);  // A1 under Am
  EXPECT_FLOAT_EQ(notes[0].glideFrom, -1.0f);
  EXPECT_EQ(notes[1].note, 36.0f);  // C2
  EXPECT_FLOAT_EQ(notes[1].glideFrom, 33.0f) << "legato: slides from the note before";
  EXPECT_EQ(notes[2].note, 60.0f);
  EXPECT_FLOAT_EQ(notes[2].glideFrom, -1.0f) << "after a rest, and chords never slide";
  EXPECT_EQ(notes[2].length, stepSample(16) - stepSample(4));
  // Bar 1 plays over F: F1, A1 and the F chord voiced around E4.
  EXPECT_EQ(notes[5].note, 29.0f);
  EXPECT_EQ(notes[6].note, 33.0f);
  EXPECT_EQ(notes[7].note, 60.0f);
  EXPECT_EQ(notes[8].note, 65.0f);
  EXPECT_EQ(notes[9].note, 69.0f);
}

}  // namespace
