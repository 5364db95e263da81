#pragma once

#include <cstdint>
#include <vector>

// The small 8x8 pixel font built into the program, used by the statistics
// overlay. 512 glyphs in two sets of 256, 8 bytes per glyph, one byte per
// pixel row with the leftmost pixel in the most significant bit.
//
// Screen-code order within a set: 0 '@', 1-26 'a'-'z' (the second set; the
// first has 'A'-'Z' there), 27-31 '{' '|' '}' '~' and a checker block,
// 32-63 as ASCII, 65-90 'A'-'Z', 91-95 '[' '\' ']' '^' '_'; 128-255 are the
// inverse of 0-127.

namespace FWmodel {

constexpr int embeddedFontBytes = 4096;
constexpr int embeddedFontSecondSet = 2048;

// The 4096 font bytes, built on first use.
const uint8_t* embeddedFont();

// The glyph code of the second set that shows ASCII character `ascii`
// (32-127): 64 '@' -> 0, 96-127 -> code - 96, the rest unchanged.
int glyphCodeForAscii(int ascii);

// The glyph atlas: 128 x 128 single-channel pixels of value 0 or 1, one
// glyph per 8x8 cell, 16 cells a row, cell k showing ASCII 32 + k (cells
// 96-255 empty). Cell size 0.0625 in texture coordinates.
struct fontAtlas {
  std::vector<uint8_t> pixels;
  int size = 0;
  float cellWidth = 0;
  float cellHeight = 0;
};
fontAtlas buildEmbeddedFontAtlas();

}  // namespace FWmodel
