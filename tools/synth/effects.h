#pragma once

#include "dsp.h"
#include "song.h"

// Whole-buffer effects: each processes a buffer start to end in one call,
// with its own state starting silent. Cost is linear in the frames.

namespace songsynth {

// Stereo reverb after the classic comb/allpass room design: eight damped
// combs and four allpasses per side, with pre-delay and a width control.
// Returns the wet signal only.
stereoBuffer reverbOf(const stereoBuffer& send, float size, float damping, float predelaySeconds, float width);

// Ping-pong echo: the first repeat on the left, the next on the right, each
// darker than the last. Returns the wet signal only.
stereoBuffer pingPongDelayOf(const stereoBuffer& send, double delaySamples, float feedback, float tone);

// Two slowly modulated short delays, one per side, mixed into `track`.
void applyChorus(stereoBuffer& track, float mix);

}  // namespace songsynth
