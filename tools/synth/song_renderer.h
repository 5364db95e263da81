#pragma once

#include <vector>

#include "dsp.h"
#include "song.h"

namespace songsynth {

// Renders the unmastered mix of bars firstBar..lastBar (inclusive): every
// instrument with its sends, the echo and reverb returns, and a low cut
// against DC. Notes that began before the first bar still sound into it;
// echoes and reverb start silent there. Single-threaded and deterministic;
// the whole song takes a few seconds.
// `barPower`, when given, receives for every instrument the mean power of
// its part of the mix (after gain, pan and ducking) in each rendered bar,
// followed by the echo return and the reverb return.
stereoBuffer renderMix(const song& music, int firstBar, int lastBar,
                       std::vector<std::vector<double>>* barPower = nullptr);

}  // namespace songsynth
