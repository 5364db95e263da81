#pragma once

#include "api/gl/screen_quad.h"
#include "api/model/particles.h"
#include "api/texture/dyn_texture.h"
#include "engine/rocket/track_group.h"
#include "engine/scenes/cubic_spline.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace NGcomp {
class drawShader;
class model3ds;
class skybox;
class sprite;
}  // namespace NGcomp

// What the title set-up builds (the title particle scene and the opening
// scene share it), for the scenes' own code, the duck scene and tests. The
// components belong to the item list; the rest belongs to this record and is
// replaced by the next set-up.
namespace scenes {

constexpr int32_t rayCount = 6;
constexpr int32_t particlesPerRay = 256;
constexpr int32_t openingParticleCount = 64;
// Control points per ray: point 0 at the origin and 16 random ones, of
// which the spline takes the first 16 pairs.
constexpr int32_t rayControlPoints = 17;
constexpr int32_t raySplinePairs = 16;

// Where one title particle sits on its ray and where it scatters to.
struct formationRecord {
  float t;           // position along the ray, 0 to 255/256
  float target[3];   // formation point P on the ray
  float offset[3];   // random vector of length 20
  float scatter[3];  // scattered point S
  float color[3];    // colour K, amber at the origin to cyan at the tip
  int32_t index;     // the particle in titleParticles
};
static_assert(sizeof(formationRecord) == 14 * 4, "14 fields of 32 bits");

// A ray's wander across its direction: one spline per axis over time.
struct rayPath {
  std::array<cubicSpline, 3> axes;
};

struct titleSceneState {
  std::unique_ptr<FWtexture::dynTexture> puffTexture;   // "PARTICLE0.JPG"
  std::unique_ptr<FWtexture::dynTexture> sparkTexture;  // "PARTICLE1.JPG"
  std::unique_ptr<gfx::screenQuad> colorBar;
  std::array<NGcomp::sprite*, 3> creditSprites{};
  std::array<std::unique_ptr<FWtexture::dynTexture>, 3> creditAlphas;
  std::unique_ptr<FWmodel::particles> openingParticles;
  NGcomp::model3ds* titleModel = nullptr;
  std::unique_ptr<FWmodel::particles> titleParticles;
  std::array<rayPath, rayCount> titlePaths;
  std::vector<formationRecord> formation;
  NGcomp::skybox* skybox = nullptr;
  NGcomp::sprite* composite = nullptr;  // "particle_postfx"
  NGcomp::drawShader* particleProgram = nullptr;   // "particle1"
  NGcomp::drawShader* compositeProgram = nullptr;  // "particle1_post", particle1_post.frag
  NGcomp::drawShader* skyboxProgram = nullptr;     // "particle1_post", skybox.frag
  std::unique_ptr<trackGroup> titleBind;     // tent.bind
  std::unique_ptr<trackGroup> titleFade;     // tent.fade
  std::unique_ptr<trackGroup> titleScatter;  // tent.eltol
  std::unique_ptr<trackGroup> openingBind;   // eleje.bind
  std::unique_ptr<trackGroup> openingScroll; // eleje.eltol
};

// The scenes' record (empty before the first set-up).
titleSceneState& titleScene();

// Moves every title particle for fade F and scatter E: colour (K, clamp(F -
// t, 0, 1)); with E > 0 and t > 1 - E the position P - s + s S per
// coordinate, s = E^2 (3 - 2E) clamp(E + t - 1, 0, 1), otherwise P.
void arrangeTitleParticles(titleSceneState& scene, float fade, float scatter);

}  // namespace scenes
