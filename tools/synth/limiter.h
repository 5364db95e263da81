#pragma once

#include <vector>

#include "dsp.h"
#include "song.h"

// Look-ahead peak limiter on true peaks. The peak detector upsamples four
// times, so peaks between samples count too. Gain reduction starts
// `lookahead` before each peak and is a moving average of a forward-looking
// minimum, which guarantees that every frame's detected peak times its gain
// stays at or under the ceiling.

namespace songsynth {

// For every frame, the largest magnitude on either channel at the frame and
// at the interpolated points within one frame of it. Linear time (16-tap
// interpolation, three points per frame and channel).
std::vector<float> truePeakEnvelope(const stereoBuffer& audio);

struct limiterSettings {
  float ceiling = 0.891f;         // linear (-1 dB)
  double lookaheadSeconds = 0.003;
  double releaseSeconds = 0.08;
};

// Returns `input` times `gain`, limited. `peaks` is truePeakEnvelope(input);
// it scales with the gain, so one envelope serves any number of gains.
// `smallestGain` receives the deepest reduction (linear).
stereoBuffer limit(const stereoBuffer& input, float gain, const std::vector<float>& peaks,
                   const limiterSettings& settings, float* smallestGain = nullptr);

}  // namespace songsynth
