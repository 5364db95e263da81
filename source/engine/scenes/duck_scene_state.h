#pragma once

#include "api/gl/screen_quad.h"
#include "api/model/particles.h"
#include "api/texture/dyn_texture.h"
#include "engine/rocket/track_group.h"

#include <cstdint>
#include <memory>

namespace NGcomp {
class sprite;
}

// What the duck set-up builds, for the scene's own code and tests. The
// sprites belong to the item list; the rest belongs to this record and is
// replaced by the next set-up.
namespace scenes {

constexpr int32_t duckParticleCount = 128;

struct duckSceneState {
  std::unique_ptr<gfx::screenQuad> whiteFade;
  std::unique_ptr<gfx::screenQuad> blackFade;
  NGcomp::sprite* duck = nullptr;   // "kacsa", the scene's switch
  NGcomp::sprite* badge = nullptr;  // "kacsa2", drawn only with the duck
  std::unique_ptr<FWtexture::dynTexture> duckAlpha;   // "duck2a.png"
  std::unique_ptr<FWtexture::dynTexture> badgeAlpha;  // "badge12a.png"
  std::unique_ptr<FWmodel::particles> particles;
  std::unique_ptr<trackGroup> whiteLevel;   // feher.fade
  std::unique_ptr<trackGroup> blackLevel;   // fekete.fade
  std::unique_ptr<trackGroup> pictureFade;  // kacsa.fade
};

// The scene's record (empty before the first set-up).
duckSceneState& duckScene();

}  // namespace scenes
