#include "song_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace songsynth;

const char* goodSong = R"(# a comment line
title "Two Bar Test"
tempo 128
bars 4
swing 0.1
seed 99

master
  loudness -16   # trailing comment
  bitrate 256
end

chords main Am F:2 C#m

instrument lead synth
  osc square
  unison 3
  cutoff 1200
  root_from C3
  pan -0.5
  swing off
end
instrument kick kick
  gain -2
end

beat four x... x... x... x...
notes line
  A4! - . c1 chord? C#4*2
  x .*2
end

section one 0-1
  chords main
  play lead line bars 1-1 transpose -12 gain -6
  play kick four
  ramp lead cutoff 300 3000
end
section two 3-3
  play kick four
end
)";

std::string errorOf(const std::string& text) {
  try {
    parseSong(text, "test.song");
  } catch (const songError& error) {
    return error.what();
  }
  return "";
}

TEST(SongParser, ReadsEveryKindOfStatement) {
  song music = parseSong(goodSong, "test.song");
  EXPECT_EQ(music.title, "Two Bar Test");
  EXPECT_FLOAT_EQ(music.tempo, 128.0f);
  EXPECT_EQ(music.bars, 4);
  EXPECT_FLOAT_EQ(music.swing, 0.1f);
  EXPECT_EQ(music.seed, 99u);
  EXPECT_FLOAT_EQ(music.master.loudness, -16.0f);
  EXPECT_EQ(music.master.bitrate, 256);

  ASSERT_EQ(music.progressions.size(), 1u);
  const progression& chords = music.progressions[0];
  ASSERT_EQ(chords.chords.size(), 3u);
  EXPECT_EQ(chords.chords[0].chord.rootPitchClass, 9);
  EXPECT_EQ(chords.chords[0].chord.intervals, (std::vector<int>{0, 3, 7}));
  EXPECT_EQ(chords.chords[1].bars, 2);
  EXPECT_EQ(chords.chords[2].chord.rootPitchClass, 1);

  ASSERT_EQ(music.instruments.size(), 2u);
  const instrumentSettings& lead = music.instruments[0].settings;
  EXPECT_EQ(music.instruments[0].kind, instrumentKind::synth);
  EXPECT_EQ(lead.osc1, waveform::square);
  EXPECT_EQ(lead.unison, 3);
  EXPECT_FLOAT_EQ(lead.cutoff, 1200.0f);
  EXPECT_EQ(lead.rootFloor, 48);
  EXPECT_FLOAT_EQ(lead.pan, -0.5f);
  EXPECT_FALSE(lead.swing);
  EXPECT_EQ(music.instruments[1].kind, instrumentKind::kick);
  EXPECT_FLOAT_EQ(music.instruments[1].settings.gainDb, -2.0f);
  EXPECT_FLOAT_EQ(music.instruments[1].settings.pitch, 48.0f) << "drums start from their own defaults";

  ASSERT_EQ(music.patterns.size(), 2u);
  EXPECT_EQ(music.patterns[0].steps.size(), 16u);
  EXPECT_EQ(music.patterns[0].steps[4].kind, stepKind::hit);
  EXPECT_EQ(music.patterns[0].steps[5].kind, stepKind::rest);
  const std::vector<patternStep>& line = music.patterns[1].steps;
  ASSERT_EQ(line.size(), 10u);
  EXPECT_EQ(line[0].kind, stepKind::note);
  EXPECT_EQ(line[0].value, 69);
  EXPECT_FLOAT_EQ(line[0].velocity, 1.0f);
  EXPECT_EQ(line[1].kind, stepKind::hold);
  EXPECT_EQ(line[2].kind, stepKind::rest);
  EXPECT_EQ(line[3].kind, stepKind::chordTone);
  EXPECT_EQ(line[3].value, 1);
  EXPECT_EQ(line[4].kind, stepKind::wholeChord);
  EXPECT_FLOAT_EQ(line[4].velocity, 0.5f);
  EXPECT_EQ(line[5].value, 61) << "a '#' inside a word is a sharp, not a comment";
  EXPECT_EQ(line[6].value, 61);
  EXPECT_EQ(line[7].kind, stepKind::hit);
  EXPECT_EQ(line[9].kind, stepKind::rest);

  ASSERT_EQ(music.sections.size(), 2u);
  const section& one = music.sections[0];
  EXPECT_EQ(one.firstBar, 0);
  EXPECT_EQ(one.lastBar, 1);
  EXPECT_EQ(one.progressionIndex, 0);
  ASSERT_EQ(one.placements.size(), 2u);
  EXPECT_EQ(one.placements[0].firstBar, 1);
  EXPECT_EQ(one.placements[0].lastBar, 1);
  EXPECT_EQ(one.placements[0].transpose, -12);
  EXPECT_FLOAT_EQ(one.placements[0].gainDb, -6.0f);
  EXPECT_EQ(one.placements[1].firstBar, 0);
  EXPECT_EQ(one.placements[1].lastBar, 1);
  ASSERT_EQ(one.ramps.size(), 1u);
  EXPECT_EQ(one.ramps[0].target, rampTarget::cutoff);
  EXPECT_FLOAT_EQ(one.ramps[0].to, 3000.0f);
  EXPECT_EQ(music.sections[1].progressionIndex, -1);
}

TEST(SongParser, ErrorsNameFileAndLine) {
  const std::string head = "tempo 128\nbars 8\n";  // lines 1 and 2
  EXPECT_EQ(errorOf(head + "tempoo 120\n"), "test.song:3: unknown statement \"tempoo\"");
  EXPECT_EQ(errorOf(head + "tempo 900\n"), "test.song:3: \"900\" is outside 40 to 300");
  EXPECT_EQ(errorOf(head + "tempo fast\n"), "test.song:3: \"fast\" is not a number");
  EXPECT_EQ(errorOf(head + "\n\ninstrument a synth\n  cutoff 5\nend\n"),
            "test.song:6: cutoff 5 is outside 20 to 20000");
  EXPECT_EQ(errorOf(head + "instrument a synth\n  cutof 500\nend\n"),
            "test.song:4: unknown instrument setting \"cutof\"");
  EXPECT_EQ(errorOf(head + "instrument a flute\nend\n"), "test.song:3: unknown instrument type \"flute\"");
  EXPECT_EQ(errorOf(head + "instrument a synth\n  osc saw\n"), "test.song:3: instrument \"a\" has no \"end\"");
  EXPECT_EQ(errorOf(head + "chords c Am Hm\n"), "test.song:3: \"Hm\" is not a chord symbol");
  EXPECT_EQ(errorOf(head + "notes n A4 Q4\n"), "test.song:3: \"Q4\" is not a note, chord tone, hit, '-' or '.'");
  EXPECT_EQ(errorOf(head + "beat b x..y\n"), "test.song:3: 'y' is not a beat step (x X o . -)");
  EXPECT_EQ(errorOf(head + "notes n A4*0\n"), "test.song:3: \"A4*0\": the repeat count after '*' must be 1 to 1024");
}

TEST(SongParser, SectionsAreCheckedAgainstTheSong) {
  const std::string head = "bars 8\ninstrument a synth\nend\nnotes n c0 -\nbeat b x...\n";  // lines 1-5
  EXPECT_EQ(errorOf(head + "section s 0-3\n  play a n\nend\n"),
            "test.song:7: pattern \"n\" follows chords but the section has no \"chords\" before it");
  EXPECT_EQ(errorOf(head + "section s 0-3\n  play z b\nend\n"), "test.song:7: unknown instrument \"z\"");
  EXPECT_EQ(errorOf(head + "section s 0-3\n  play a q\nend\n"), "test.song:7: unknown pattern \"q\"");
  EXPECT_EQ(errorOf(head + "section s 0-3\n  play a b bars 2-5\nend\n"), "test.song:7: bars \"2-5\" are outside 0-3");
  EXPECT_EQ(errorOf(head + "section s 4-8\nend\n"), "test.song:6: bars \"4-8\" are outside 0-7");
  EXPECT_EQ(errorOf(head + "section s 3-1\nend\n"), "test.song:6: bar range \"3-1\" runs backwards");
  EXPECT_EQ(errorOf(head + "section s 0-3\nend\nsection t 3-5\nend\n"),
            "test.song:8: section \"t\" overlaps section \"s\"");
  EXPECT_EQ(errorOf(head + "section s 0-3\n  ramp a volume 0 1\nend\n"),
            "test.song:7: \"volume\" cannot be ramped (cutoff, resonance, gain, reverb, delay)");
  EXPECT_EQ(errorOf("section s 0-3\nend\n"), "test.song:1: \"bars\" must come before the first section");
  EXPECT_EQ(errorOf("tempo 120\n"), "test.song: the song has no \"bars\" statement");
}

TEST(SongParser, MissingFileIsReported) {
  EXPECT_THROW(loadSongFile("/nonexistent/song.song"), songError);
}

// The show's sync script is written against these bars; keep them in step.
TEST(SongParser, TheShowSongFollowsTheOutline) {
  song music = loadSongFile(AMBER_SOURCE_DIR "/content/song/marble_hollow_rhythm.song");
  EXPECT_FLOAT_EQ(music.tempo, 128.0f);
  EXPECT_EQ(music.stepsPerBar, 16);
  EXPECT_EQ(music.bars, 76);
  double seconds = music.lengthSamples() / static_cast<double>(sampleRate);
  EXPECT_GE(seconds, 140.0);
  EXPECT_LE(seconds, 180.0);
  EXPECT_GE(music.master.bitrate, 192);
  const std::vector<std::pair<int, int>> outline = {{0, 7}, {8, 23}, {24, 39}, {40, 47}, {48, 63}, {64, 75}};
  ASSERT_EQ(music.sections.size(), outline.size());
  for (size_t i = 0; i < outline.size(); ++i) {
    EXPECT_EQ(music.sections[i].firstBar, outline[i].first) << music.sections[i].name;
    EXPECT_EQ(music.sections[i].lastBar, outline[i].second) << music.sections[i].name;
  }
}

}  // namespace
