#pragma once

#include "api/render/texture.h"

namespace FWtexture {

// The texture type the sprite components create; it behaves exactly like
// FWrender::texture.
class dynTexture : public FWrender::texture {
 public:
  dynTexture() = default;
};

}  // namespace FWtexture
