#pragma once

#include "api/model/particles.h"
#include "api/texture/dyn_texture.h"
#include "engine/rocket/track_group.h"

#include <array>
#include <cstdint>
#include <memory>

namespace NGcomp {
class tunnel;
class drawShader;
}  // namespace NGcomp

// What the tunnel scene's set-up builds, for the scene's own code and for
// tests. The components (tunnels, programs) belong to the item list; the
// rest belongs to this record and is replaced by the next set-up.
namespace scenes {

// The ring table: the tunnels' radii, which split the particles into layers.
constexpr float tunnelRings[3] = {25.0f, 75.0f, 100.0f};
constexpr int32_t tunnelParticleCount = 256;

struct tunnelSceneState {
  NGcomp::tunnel* innerTunnel = nullptr;   // "cso0", the scene switch
  NGcomp::tunnel* middleTunnel = nullptr;  // "cso1"
  NGcomp::tunnel* outerTunnel = nullptr;   // "cso2"
  std::unique_ptr<FWtexture::dynTexture> dots;  // "particle3.jpg"
  // Layer 0 inside the inner tunnel, 1 between inner and middle, 2 between
  // middle and outer, 3 outside the outer one.
  std::array<std::unique_ptr<FWmodel::particles>, 4> layers;
  NGcomp::drawShader* pointLight = nullptr;  // loaded, never drawn
  // 0 draws "cso2", 1 "cso0", 2 "cso1", 3 the particle layers.
  std::array<NGcomp::drawShader*, 4> programs{};
  std::unique_ptr<trackGroup> turn;   // tunnel.forgas
  std::unique_ptr<trackGroup> pulse;  // tunnel.csoda
};

// The scene's record (empty before the first set-up).
tunnelSceneState& tunnelScene();

// The layer of a particle at `distance` from the tunnel axis: 0 below 25,
// 1 from 25, 2 from 75, 3 from 100.
int32_t tunnelLayerOf(float distance);

}  // namespace scenes
