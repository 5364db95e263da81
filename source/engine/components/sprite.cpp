#include "engine/components/sprite.h"

#include "api/gl/extensions.h"
#include "api/gl/screen_quad.h"
#include "api/texture/dyn_texture.h"

namespace NGcomp {

namespace {
constexpr int32_t kSpriteKind = 2;
}

sprite::sprite(const char* name) : NGcommon::item(name), quad(std::make_unique<gfx::screenQuad>()) {
  kind = kSpriteKind;
}

sprite::sprite(const char* ownTextureName, const char* name) : sprite(name) {
  if (ownTextureName == nullptr) return;
  textureName = ownTextureName;
  texture = std::make_unique<FWtexture::dynTexture>();
  texture->name = textureName;
}

sprite::~sprite() = default;

void sprite::load() {
  std::vector<FWrender::texture*>& units = quad->textures;
  if (texture != nullptr && (units.empty() || units[0] == nullptr)) {
    texture->load();
    if (!units.empty()) units[0] = texture.get();
  } else {
    for (size_t unit = 0; unit < units.size() && static_cast<int32_t>(unit) < gfx::maxTextureUnits;
         ++unit) {
      if (units[unit] == nullptr) break;
      units[unit]->load();
    }
  }
  loadBindGroup();
}

void sprite::draw() {
  if (!isActive()) return;
  for (float& channel : quad->color) channel = 1.0f;
  gfx::drawScreenQuad(*quad);
}

}  // namespace NGcomp
