#pragma once

#include <cstdint>

// The show's random numbers. Every random table (particle clouds, cube
// records, the occlusion kernel and noise) draws from this one generator in
// start-up order, never seeded, so the pictures are the same on every run
// and every machine: state = state * 214013 + 2531011, result
// (state >> 16) & 0x7FFF, first state 1.

// The next number, 0 to 32767. Not thread-safe (main thread only).
int32_t showRandom();

// Back to the first state (tests, and the offline renderer's repeat runs).
void resetShowRandom();
