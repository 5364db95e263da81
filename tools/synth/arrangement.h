#pragma once

#include <cstdint>
#include <vector>

#include "song.h"

// Turns the song's sections into what each instrument plays: timed notes
// and the ramped parameters over time, all in samples from the song start.

namespace songsynth {

struct noteEvent {
  int64_t start = 0;
  int64_t length = 0;       // samples the note is held
  float note = 60.0f;       // MIDI note
  float velocity = 0.8f;
  float glideFrom = -1.0f;  // MIDI note a legato note slides from; -1 for none
};

// A parameter over time: ramps where the song has them, the instrument's own
// value elsewhere.
class automationLane {
 public:
  explicit automationLane(float base = 0.0f) : base_(base) {}
  void addRamp(int64_t start, int64_t end, float from, float to);
  // Linear scan over the ramps: cheap for the handful a song has.
  float valueAt(int64_t sample) const;

 private:
  struct segment {
    int64_t start, end;
    float from, to;
  };
  float base_;
  std::vector<segment> segments_;
};

struct trackPlan {
  std::vector<noteEvent> notes;  // ordered by start
  automationLane cutoff, resonance, gainDb, reverb, delay;
};

// Sample position of the start of `step` (counted from the song start),
// with swing delaying every odd step when `swung`.
int64_t stepStartSample(const song& music, int64_t step, bool swung);

// One plan per instrument, in the song's instrument order.
std::vector<trackPlan> planTracks(const song& music);

}  // namespace songsynth
