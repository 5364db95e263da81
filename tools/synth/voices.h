#pragma once

#include <cstdint>

#include "arrangement.h"
#include "dsp.h"
#include "song.h"

// One note of one instrument, rendered from its start until it has died
// away. The voice adds itself into `out`, whose first frame is the song's
// sample `windowStart`; frames outside the buffer are computed but dropped.
// Cost grows with the note's length and, for synths, with unison voices.

namespace songsynth {

// Subtractive synth note: unison oscillators, filter with envelope, ADSR.
void renderSynthNote(const instrumentSettings& settings, const trackPlan& plan, const noteEvent& event,
                     uint32_t seed, int64_t windowStart, stereoBuffer& out);

// Drum hit or riser of `kind`; the note's length matters only to risers,
// whose sweep lasts the note.
void renderDrumHit(instrumentKind kind, const instrumentSettings& settings, const trackPlan& plan,
                   const noteEvent& event, uint32_t seed, int64_t windowStart, stereoBuffer& out);

}  // namespace songsynth
