#pragma once

#include "api/texture/bitmap.h"

#include <cstdint>

namespace FWtexture {

// The built-in two-entry palette: black (index 0) and white (index 1) as
// bytes 0,0,0,0,255,255,255,255.
extern const uint8_t paletteTable[8];

// Expands `count` index bytes into `output` (count x image.channels bytes)
// from paletteTable read with `kind` bytes per entry: 1 value, 2 value and
// alpha, 3 RGB, 4 RGBA (the missing alpha is 255). Only indices 0 and 1
// exist; any other index is read as 1. Kinds outside 1-4 write nothing.
void expandPalette(const uint8_t* indices, uint8_t* output, const bitmap& image, int32_t kind,
                   int32_t count);

}  // namespace FWtexture
