#pragma once

#include <cstdint>

// The demo clock: music position in samples to rows and seconds. The sync
// side's current-row query uses the same arithmetic and must stay identical.

// Fractional row at `position` samples; the first sample is row 1.0.
float rowPositionAt(uint32_t position, float frequency, float msPerRow);

// The row shown in the statistics: the row position rounded to nearest,
// with an exact .5 rounding down.
int32_t rowIndexOf(float rowPosition);

// Seconds at `position` samples.
float secondsAt(uint32_t position, float frequency);
