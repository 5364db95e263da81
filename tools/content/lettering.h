#pragma once

#include "content/raster.h"

#include <memory>
#include <string>
#include <vector>

// The show's one lettering face (DejaVu Sans Bold) through FreeType: lines of
// text as anti-aliased coverage masks for the pictures, and as outlines for
// the extruded title. Not safe to share between threads: give each its own.
namespace content {

struct point2 {
  float x = 0, y = 0;
};

// A closed polygon; the last point connects back to the first.
using contour = std::vector<point2>;

struct textMask {
  plane coverage;        // ink coverage, 0..1
  float originX = 0;     // pen start, in mask pixels
  float baselineY = 0;   // baseline row, in mask pixels (y grows down)
  float advance = 0;     // pen travel over the whole line, pixels
  // Ink box in mask pixels, right and bottom exclusive; all 0 for blank text.
  int inkLeft = 0, inkTop = 0, inkRight = 0, inkBottom = 0;
};

class lettering {
 public:
  // Opens the face at `fontPath`. Throws contentError when FreeType cannot.
  explicit lettering(const std::string& fontPath);
  ~lettering();
  lettering(const lettering&) = delete;
  lettering& operator=(const lettering&) = delete;

  // The file of DejaVu Sans Bold: asked of fontconfig, else its path in
  // Debian's fonts-dejavu-core. Throws contentError when neither has it.
  // The first call loads fontconfig's configuration (tens of milliseconds);
  // later calls return the path found then.
  static std::string showFontPath();

  // Renders one line of `text` (ASCII) at an em size of `pixelHeight` pixels
  // with `tracking` extra pixels between letters, kerned, at sub-pixel pen
  // positions. Cost: one glyph rendering per character.
  textMask renderLine(const std::string& text, float pixelHeight, float tracking = 0.0f) const;

  // The glyph outlines of one line, scaled so that the em is `emHeight`
  // units: y up, baseline at 0, pen starting at x 0, curves flattened to
  // within `tolerance` units. Contours keep the font's own orientation.
  std::vector<contour> outlineLine(const std::string& text, float emHeight, float tolerance) const;

 private:
  struct face;
  std::unique_ptr<face> face_;
};

}  // namespace content
