#pragma once

// The scenes' random values, drawn from the show's generator (showRandom) in
// a fixed order, so every call advances the one shared sequence.
namespace scenes {

// 1 - (rand mod 10000) / 5000: a value in (-0.9998, 1]. One draw.
float randomSigned();

// A random direction: three randomSigned() values (x, y, z in that order)
// divided by their single-precision length, a length of 0 counting as 1.
// Three draws.
void randomUnit(float out[3]);

}  // namespace scenes
