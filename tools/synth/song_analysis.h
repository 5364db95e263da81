#pragma once

#include <cstdio>

#include "dsp.h"
#include "song.h"

namespace songsynth {

// Prints what the rendered song looks like to a meter, so it can be judged
// without ears: level and loudness per bar, spectrum bands, stereo width,
// correlation and pitch classes per section, DC, and the tempo found from
// the onsets.
// `firstBar` is the bar the audio starts at. A few passes over the audio.
void printAnalysis(const stereoBuffer& audio, const song& music, int firstBar, std::FILE* out);

// Prints each instrument's level per section (dB of its mean power in the
// unmastered mix, from renderMix's `barPower`).
void printTrackLevels(const std::vector<std::vector<double>>& barPower, const song& music, int firstBar,
                      std::FILE* out);

}  // namespace songsynth
