#pragma once

#include "dsp.h"
#include "song.h"

namespace songsynth {

struct masteringReport {
  double mixLoudness = 0.0;   // LUFS before mastering
  double gainDb = 0.0;        // make-up gain applied before the limiter
  double loudness = 0.0;      // LUFS after mastering
  double truePeakDb = 0.0;    // dB true peak after mastering
  double deepestLimitingDb = 0.0;
};

// Fades the last `fadeOut` seconds of `mix` to silence, then brings it to
// the target loudness under the true-peak ceiling: a gain, the limiter, the
// loudness measured again and the gain corrected (a few rounds, as limiting
// takes some loudness away). Audio shorter than one
// loudness block keeps unity gain. Costs a few passes over the audio.
masteringReport masterMix(stereoBuffer& mix, const masterSettings& settings);

}  // namespace songsynth
