#pragma once

#include "engine/item.h"

#include <memory>
#include <string>

namespace gfx {
struct screenQuad;
}
namespace FWtexture {
class dynTexture;
}

namespace NGcomp {

// A screen-space rectangle as a scene item: scenes lay out `quad` and may
// put their own textures on its units; the sprite loads them with the
// other items and draws the quad while its activity track allows.
class sprite : public NGcommon::item {
 public:
  // A sprite without a texture of its own.
  explicit sprite(const char* name);
  // A sprite with its own texture `textureName` (from "textures/" or a
  // registered generator), used unless a scene fills the quad's unit 0.
  sprite(const char* textureName, const char* name);
  ~sprite() override;

  // Loads the sprite's own texture into the quad's unit 0, or else the
  // quad's textures from unit 0 up to the first empty unit; then the
  // activity track. Throws what texture loading and the track throw.
  void load() override;
  // When active: the quad in opaque white (a colour set by a scene does not
  // survive) with its textures. Allocation-free.
  void draw() override;

  std::unique_ptr<gfx::screenQuad> quad;
  std::unique_ptr<FWtexture::dynTexture> texture;  // null without a texture name
  std::string textureName;                         // empty without a texture name
};

}  // namespace NGcomp
