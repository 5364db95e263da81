#pragma once

#include <cstdint>
#include <string>

// Renders a line of text with a system font into a 32-bit pixel buffer, the
// way a desktop's text API draws white text on black: every pixel's first
// three bytes carry the text's coverage (0 background, 255 ink), the fourth
// byte is 0. The font comes from the substitution table for `faceName`
// (font_substitutes.h): the first installed family of its list whose
// characters cover the text; a text face never gets a symbol font.

namespace platform {

struct textRequest {
  const char* text = nullptr;   // bytes in Windows-1252
  const char* faceName = "";    // e.g. "Times New Roman"; see font_substitutes.h
  int32_t cellHeight = 0;       // pixels from the top of the tallest ascender to the lowest descender
  bool bold = false;            // synthesised when the face has no bold
  bool italic = false;          // synthesised when the face has no italic
  int32_t extraSpacing = 0;     // pixels added after every character
  int32_t x = 0;                // left edge of the first character cell
  int32_t y = 0;                // top of the character cells
};

// The font a request is drawn with.
struct fontChoice {
  std::string family;     // empty when no usable font is installed
  std::string file;
  int32_t index = 0;      // face within the file
  bool bold = false;      // the face itself is bold
  bool italic = false;    // the face itself is italic or oblique
  bool symbol = false;    // a symbol or dingbat font
  bool rawBytes = false;  // the text's bytes are the font's codes (a symbol face on a symbol font)
};

// Picks the font for `request` (its face name, weight, slant and text).
// Costs a few fontconfig queries and opens each candidate file once.
fontChoice chooseFont(const textRequest& request);

// Draws `request` into `pixels` (width x height x 4 bytes, top row first),
// which the caller has cleared. Returns false when no font could be found or
// loaded (the buffer is then untouched); the first such failure of the
// process says on stderr which package to install. Costs a font choice per
// call.
bool rasterizeText(const textRequest& request, uint8_t* pixels, int32_t width, int32_t height);

// Makes fontconfig use the configuration file `path` from now on, or the
// system's configuration when `path` is null; false when it cannot be read.
// Rescans the fonts it names; meant for tests that pin the installed fonts.
bool useFontConfiguration(const char* path);

}  // namespace platform
