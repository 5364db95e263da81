#pragma once

#include "api/texture/bitmap.h"

namespace FWtexture {

// A procedural texture generator: fills a pixel buffer that a texture then
// uploads.
class gen {
 public:
  virtual ~gen() = default;
  // Draws into `target`'s pixels (width x height x channels bytes). Returns
  // non-zero when something was drawn.
  virtual int generate(bitmap& target) = 0;
};

}  // namespace FWtexture
