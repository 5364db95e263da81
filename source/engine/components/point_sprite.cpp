#include "engine/components/point_sprite.h"

#include "api/model/point_sprite.h"
#include "api/texture/dyn_texture.h"

namespace NGcomp {

namespace {
constexpr int32_t kPointSpriteKind = 2;
}

pointsprite::pointsprite(const char* name, const char* spriteTextureName)
    : NGcommon::item(name), sprite(std::make_unique<FWmodel::pointsprite>()) {
  kind = kPointSpriteKind;
  hasTextureName = spriteTextureName != nullptr;
  if (hasTextureName) textureName = spriteTextureName;
}

pointsprite::~pointsprite() = default;

void pointsprite::load() {
  if (hasTextureName && sprite->getTexture(0) == nullptr) {
    ownTexture = std::make_unique<FWtexture::dynTexture>();
    ownTexture->name = textureName;
    ownTexture->load();
    sprite->setTexture(0, ownTexture.get());
  } else {
    for (int32_t unit = 0; FWrender::texture* texture = sprite->getTexture(unit); ++unit) {
      texture->params.generateMipmap = true;
      texture->params.minFilter = FWrender::filterLinear;
      texture->load();
    }
  }
  loadBindGroup();
}

void pointsprite::draw() {
  if (isActive()) sprite->draw();
}

}  // namespace NGcomp
