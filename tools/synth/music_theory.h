#pragma once

#include <optional>
#include <string>

#include "song.h"

// Note names and chord symbols as written in song files.

namespace songsynth {

// "A4" -> 69, "C#5" -> 73, "Bb1" -> 34, "C-1" -> 0; nothing when the text is
// not a note name or the note is outside MIDI's 0..127.
std::optional<int> parseNoteName(const std::string& text);

// "Am" -> A minor triad, "Fmaj7", "Csus4", "G", "Am9" ...; nothing when the
// root or the quality is unknown.
std::optional<chordSymbol> parseChordSymbol(const std::string& text);

// Frequency in Hz of a (fractional) MIDI note, A4 = 440 Hz.
double noteFrequency(double midiNote);

// The note of chord tone `index` counted up from the root (0 root, 1 the
// next chord tone ..., wrapping up an octave), with the root placed in
// [rootFloor, rootFloor + 12).
int chordToneNote(const chordSymbol& chord, int index, int rootFloor);

// Every tone of the chord placed closest to `centre`, within half an octave,
// ascending.
std::vector<int> closeVoicing(const chordSymbol& chord, int centre);

}  // namespace songsynth
