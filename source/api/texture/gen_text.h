#pragma once

#include "api/texture/gen.h"

#include <cstdint>

namespace FWtexture {

// The faces a text generator can ask for, by fontIndex; the nearest
// installed face stands in for each.
constexpr int32_t fontFaceCount = 12;
extern const char* const fontFaces[fontFaceCount];

// White text on black with its coverage in alpha: one line rendered with a
// system font into the target.
class gen_text : public gen {
 public:
  // Renders `text` at (x, y) with a cell height of (target width x
  // sizeFactor) >> 8 pixels and overwrites every pixel of the target: the
  // colour channels take the coverage (white on black) and a fourth
  // channel takes it as alpha. Returns 0 without drawing when there is no
  // text, the target has no pixels or no font could be had. Costs a font
  // lookup and a width x height x 4 scratch buffer: loading phase only.
  int generate(bitmap& target) override;

  const char* text = nullptr;  // Windows-1252, not owned
  int32_t sizeFactor = 0;
  int32_t spacing = 0;  // extra pixels after every character
  int32_t x = 0;
  int32_t y = 0;
  bool bold = false;
  bool italic = false;
  int32_t fontIndex = 0;  // into fontFaces; outside it the default face is used
};

}  // namespace FWtexture
