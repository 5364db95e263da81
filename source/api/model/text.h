#pragma once

#include "api/gl/gl.h"

#include <cstdint>

namespace FWrender {
class texture;
}

namespace FWmodel {

// A short string drawn in screen space from a glyph atlas, one display list
// per character code. Layout units are viewport pixels in pixel mode, else
// the 16:9 space (1.7777778 x 1.0) with the origin top-left, y down.
class text {
 public:
  static constexpr int capacity = 4096;

  text();
  virtual ~text();
  text(const text&) = delete;
  text& operator=(const text&) = delete;

  // Compiles the 256 character lists for `atlas`, whose cells are
  // cellWidth x cellHeight in texture coordinates (cell 0 is the space).
  // Needs a current context. The atlas is not owned.
  void buildGlyphLists(FWrender::texture* atlas, float cellWidth, float cellHeight);

  // Copies `value` into the string (cut at capacity - 1 characters).
  void setString(const char* value);

  // Draws the string inside a 2D bracket: one list call and one translation
  // per character.
  void draw();

  GLuint glyphLists[256] = {};
  FWrender::texture* font = nullptr;
  float x = 0.0f;
  float y = 0.0f;
  float glyphWidth = 0.1f;
  float glyphHeight = 0.1f;
  float advance = 0.0f;
  char* string;  // capacity bytes, zero-terminated
  int32_t pixelMode = 0;
  float color[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

}  // namespace FWmodel
