#pragma once

#include <cstdint>
#include <vector>

namespace FWrender {
class texture;
}

namespace gfx {

// A textured rectangle in screen space, laid out in 16:9 units of the
// picture's height or, in pixel mode, in viewport pixels. `alignment` picks
// which point of the screen is the origin (anchor) and which point of the
// rectangle x, y name (offset); see layoutScreenQuad.
struct screenQuad {
  // Allocates one empty texture slot per texture unit (needs the GL layer
  // set up, or there is a single slot).
  screenQuad();

  float x = 0, y = 0;
  float scaleX = 1, scaleY = 1;
  float s0 = 0, t0 = 0, s1 = 1, t1 = 1;
  float extentWidth = 1.7777778f, extentHeight = 1.0f;
  float offsetX = 0, offsetY = 0;
  float anchorX = 0, anchorY = 0;
  float viewportWidthF = 0, viewportHeightF = 0;
  float aspect = 1.7777778f;
  float color[4] = {1, 1, 1, 1};
  std::vector<FWrender::texture*> textures;  // not owned
  int32_t pixelMode = 0;
  int32_t alignment = 0;
};

// Takes the viewport size and decodes `alignment`: bits 0-1 offsetX (1 half,
// 2 whole), bits 2-3 offsetY (4, 8), bits 4-5 anchorX (0x10, 0x20), bits 6-7
// anchorY (0x40, 0x80). Call after changing pixelMode or alignment.
void layoutScreenQuad(screenQuad& quad);

// Draws the quad inside a 2D bracket with its textures on their units.
// Adds 6 to polygonCount.
void drawScreenQuad(screenQuad& quad);

}  // namespace gfx
