#include "music_theory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace songsynth {

namespace {

std::optional<int> pitchClassOf(char letter) {
  static const char letters[] = "CDEFGAB";
  static const int classes[] = {0, 2, 4, 5, 7, 9, 11};
  const char* found = std::strchr(letters, letter);
  if (letter == '\0' || found == nullptr) return std::nullopt;
  return classes[found - letters];
}

// Reads "A", "C#", "Bb" from the front of `text`; returns characters used.
size_t readRoot(const std::string& text, int& pitchClass) {
  if (text.empty()) return 0;
  std::optional<int> natural = pitchClassOf(text[0]);
  if (!natural) return 0;
  pitchClass = *natural;
  if (text.size() > 1 && (text[1] == '#' || text[1] == 'b')) {
    pitchClass = (pitchClass + (text[1] == '#' ? 1 : 11)) % 12;
    return 2;
  }
  return 1;
}

struct chordQuality {
  const char* suffix;
  std::vector<int> intervals;
};

const std::vector<chordQuality>& chordQualities() {
  static const std::vector<chordQuality> qualities = {
      {"", {0, 4, 7}},          {"m", {0, 3, 7}},          {"5", {0, 7}},
      {"7", {0, 4, 7, 10}},     {"m7", {0, 3, 7, 10}},     {"maj7", {0, 4, 7, 11}},
      {"sus2", {0, 2, 7}},      {"sus4", {0, 5, 7}},       {"add9", {0, 4, 7, 14}},
      {"madd9", {0, 3, 7, 14}}, {"m9", {0, 3, 7, 10, 14}}, {"dim", {0, 3, 6}},
      {"6", {0, 4, 7, 9}},      {"m6", {0, 3, 7, 9}},
  };
  return qualities;
}

}  // namespace

std::optional<int> parseNoteName(const std::string& text) {
  int pitchClass = 0;
  size_t used = readRoot(text, pitchClass);
  if (used == 0 || used == text.size()) return std::nullopt;
  std::string octaveText = text.substr(used);
  bool negative = octaveText[0] == '-';
  if (negative) octaveText.erase(0, 1);
  if (octaveText.size() != 1 || octaveText[0] < '0' || octaveText[0] > '9') return std::nullopt;
  int octave = (octaveText[0] - '0') * (negative ? -1 : 1);
  int note = 12 * (octave + 1) + pitchClass;
  if (note < 0 || note > 127) return std::nullopt;
  return note;
}

std::optional<chordSymbol> parseChordSymbol(const std::string& text) {
  chordSymbol chord;
  size_t used = readRoot(text, chord.rootPitchClass);
  if (used == 0) return std::nullopt;
  std::string suffix = text.substr(used);
  for (const chordQuality& quality : chordQualities()) {
    if (suffix == quality.suffix) {
      chord.name = text;
      chord.intervals = quality.intervals;
      return chord;
    }
  }
  return std::nullopt;
}

double noteFrequency(double midiNote) { return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0); }

int chordToneNote(const chordSymbol& chord, int index, int rootFloor) {
  int root = rootFloor + ((chord.rootPitchClass - rootFloor) % 12 + 12) % 12;
  int count = static_cast<int>(chord.intervals.size());
  return root + chord.intervals[index % count] + 12 * (index / count);
}

std::vector<int> closeVoicing(const chordSymbol& chord, int centre) {
  std::vector<int> notes;
  for (int interval : chord.intervals) {
    int pitchClass = (chord.rootPitchClass + interval) % 12;
    // The octave of this pitch class that lands in [centre - 6, centre + 6).
    int note = centre - 6 + ((pitchClass - (centre - 6)) % 12 + 12) % 12;
    if (std::find(notes.begin(), notes.end(), note) == notes.end()) notes.push_back(note);
  }
  std::sort(notes.begin(), notes.end());
  return notes;
}

}  // namespace songsynth
