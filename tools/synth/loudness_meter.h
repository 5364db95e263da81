#pragma once

#include <vector>

#include "dsp.h"
#include "song.h"

// Loudness after ITU-R BS.1770-4: K-weighting (a high shelf and a high-pass,
// designed for the given rate), mean square per channel over 400 ms blocks
// overlapping by 75 %, loudness -0.691 + 10 log10(sum over channels), and
// for the integrated value an absolute gate at -70 LUFS followed by a
// relative gate 10 LU under the absolutely gated mean. Both channels weigh 1.

namespace songsynth {

// Loudness in LUFS of every whole 400 ms block, 100 ms apart. Linear time.
std::vector<double> blockLoudness(const stereoBuffer& audio, double rate);

// Gated integrated loudness in LUFS; minus infinity when no block passes the
// gates (silence, or less than 400 ms of audio). Linear time.
double integratedLoudness(const stereoBuffer& audio, double rate);

}  // namespace songsynth
