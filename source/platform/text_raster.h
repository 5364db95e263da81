#pragma once

#include <cstdint>

// Renders a line of text with a system font into a 32-bit pixel buffer, the
// way a desktop's text API draws white text on black: every pixel's first
// three bytes carry the text's coverage (0 background, 255 ink), the fourth
// byte is 0. The font is the installed face closest to `faceName`.

namespace platform {

struct textRequest {
  const char* text = nullptr;   // bytes in Windows-1252
  const char* faceName = "";    // e.g. "Times New Roman"; the nearest installed face is used
  int32_t cellHeight = 0;       // pixels from the top of the tallest ascender to the lowest descender
  bool bold = false;            // synthesised when the face has no bold
  bool italic = false;          // synthesised when the face has no italic
  int32_t extraSpacing = 0;     // pixels added after every character
  int32_t x = 0;                // left edge of the first character cell
  int32_t y = 0;                // top of the character cells
};

// Draws `request` into `pixels` (width x height x 4 bytes, top row first),
// which the caller has cleared. Returns false when no font could be found or
// loaded (the buffer is then untouched). Costs a font lookup per call.
bool rasterizeText(const textRequest& request, uint8_t* pixels, int32_t width, int32_t height);

}  // namespace platform
