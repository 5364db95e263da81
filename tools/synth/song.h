#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// The song description as read from a song file: timing, chord progressions,
// instruments with their sound and mix settings, step patterns and the
// sections that place patterns on bars.

namespace songsynth {

constexpr int sampleRate = 44100;

// Bad song files and bad command lines. The text names file and line where
// there is one ("song.txt:12: unknown instrument \"bas\"").
class songError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class waveform { sine, triangle, saw, square, noise };
enum class filterMode { lowpass, bandpass, highpass };
enum class instrumentKind { synth, kick, snare, clap, hat, crash, shaker, riser };

// Sound and mix settings of one instrument. Synth voices use the oscillator,
// envelope and filter fields; drums use pitch, punch, snap, tone and decay.
struct instrumentSettings {
  waveform osc1 = waveform::saw;
  waveform osc2 = waveform::saw;
  float osc2Level = 0.0f;
  float osc2Semitones = 0.0f;
  float subLevel = 0.0f;
  float noiseLevel = 0.0f;
  int unison = 1;
  float detuneCents = 0.0f;
  float stereoSpread = 0.5f;

  float attack = 0.005f;
  float decay = 0.2f;
  float sustain = 0.8f;
  float release = 0.1f;

  filterMode filter = filterMode::lowpass;
  float cutoff = 8000.0f;
  float resonance = 0.1f;
  float keytrack = 0.0f;
  float envelopeOctaves = 0.0f;
  float filterAttack = 0.001f;
  float filterDecay = 0.2f;
  float filterSustain = 0.0f;
  float filterRelease = 0.2f;
  float drive = 0.0f;
  float glide = 0.0f;
  float vibratoDepth = 0.0f;
  float vibratoRate = 5.0f;

  int rootFloor = 28;      // chord-tone patterns place the root in [rootFloor, rootFloor + 12)
  int voicingCentre = 64;  // whole chords are voiced closely around this note
  int hitNote = 57;        // the note a plain hit plays on a synth

  float pitch = 50.0f;     // drums: body frequency in Hz
  float punch = 3.0f;      // kick: start pitch as a multiple of `pitch`
  float snap = 0.5f;       // drums: amount of the noise or click part
  float tone = 6000.0f;    // drums and risers: filter frequency in Hz
  float humanize = 0.0f;   // random velocity spread, 0..1

  float gainDb = 0.0f;
  float pan = 0.0f;
  float width = 1.0f;
  float reverbSend = 0.0f;
  float delaySend = 0.0f;
  float duck = 0.0f;       // depth of the kick ducking, 0..1
  float chorus = 0.0f;     // chorus mix, 0..1
  bool swing = true;
};

struct instrument {
  std::string name;
  instrumentKind kind = instrumentKind::synth;
  instrumentSettings settings;
};

struct chordSymbol {
  std::string name;
  int rootPitchClass = 0;      // 0 = C
  std::vector<int> intervals;  // ascending semitones above the root, first is 0
};

struct chordSpan {
  chordSymbol chord;
  int bars = 1;
};

struct progression {
  std::string name;
  std::vector<chordSpan> chords;
};

enum class stepKind { rest, hold, note, chordTone, wholeChord, hit };

struct patternStep {
  stepKind kind = stepKind::rest;
  int value = 0;  // MIDI note for `note`, chord-tone index for `chordTone`
  float velocity = 0.8f;
};

struct pattern {
  std::string name;
  std::vector<patternStep> steps;
};

// The parameters a section may ramp over its bars.
enum class rampTarget { cutoff, resonance, gain, reverb, delay };

struct placement {
  int instrumentIndex = 0;
  int patternIndex = 0;
  int firstBar = 0;
  int lastBar = 0;
  int transpose = 0;
  float gainDb = 0.0f;
};

struct ramp {
  int instrumentIndex = 0;
  rampTarget target = rampTarget::cutoff;
  float from = 0.0f;
  float to = 0.0f;
  int firstBar = 0;
  int lastBar = 0;
};

struct section {
  std::string name;
  int firstBar = 0;
  int lastBar = 0;
  int progressionIndex = -1;  // -1: no chords in this section
  std::vector<placement> placements;
  std::vector<ramp> ramps;
};

struct masterSettings {
  float loudness = -14.0f;       // integrated loudness target, LUFS
  float ceiling = -1.0f;         // limiter ceiling, dB true peak
  float reverbSize = 0.8f;
  float reverbDamping = 0.4f;
  float reverbPredelay = 0.02f;  // seconds
  float reverbWidth = 1.0f;
  float delaySteps = 3.0f;       // echo time in steps
  float delayFeedback = 0.35f;
  float delayTone = 4000.0f;     // lowpass in the echo loop, Hz
  float duckRelease = 0.2f;      // seconds until a ducked part is back
  float fadeOut = 0.5f;          // seconds of final fade to silence
  int bitrate = 192;             // kb/s, constant bit rate
};

struct song {
  std::string title;
  std::string file;  // where it was read from, for messages
  float tempo = 120.0f;
  int stepsPerBar = 16;
  int bars = 0;
  float swing = 0.0f;
  uint32_t seed = 1;
  masterSettings master;
  std::vector<progression> progressions;
  std::vector<instrument> instruments;
  std::vector<pattern> patterns;
  std::vector<section> sections;

  // Samples in one step (not a whole number).
  double samplesPerStep() const { return sampleRate * 240.0 / (tempo * stepsPerBar); }
  // The song's whole length in samples.
  int64_t lengthSamples() const;
};

}  // namespace songsynth
