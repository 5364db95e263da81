#pragma once

#include "engine/item.h"

#include <memory>
#include <string>

namespace FWmodel {
class pointsprite;
}
namespace FWtexture {
class dynTexture;
}

namespace NGcomp {

// A camera-facing textured square in the world as a scene item. Scenes set
// the wrapped sprite's position, size and texture rectangle directly.
class pointsprite : public NGcommon::item {
 public:
  // `textureName` (may be null) is what the sprite shows unless a scene
  // puts its own texture into unit 0 before loading. Labels pass the same
  // string for both names.
  pointsprite(const char* name, const char* textureName);
  ~pointsprite() override;

  // Creates and loads the named texture for unit 0, or else loads the
  // scene's textures (mipmapped, linear) from unit 0 up to the first empty
  // unit; then the activity track. Throws what texture loading and the
  // track throw.
  void load() override;
  // Draws the sprite when active. Allocation-free.
  void draw() override;

  std::unique_ptr<FWmodel::pointsprite> sprite;
  std::string textureName;
  bool hasTextureName = false;
  std::unique_ptr<FWtexture::dynTexture> ownTexture;  // made by load from textureName
};

}  // namespace NGcomp
