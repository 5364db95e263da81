#include "engine/scenes/title_scenes.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/render/render_target.h"
#include "engine/components/draw_shader.h"
#include "engine/components/model.h"
#include "engine/components/skybox.h"
#include "engine/components/sprite.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/scene_random.h"
#include "engine/scenes/title_scene_state.h"
#include "engine/show_random.h"

#include <cmath>

// The set-up and track binding of the title particle scene and the opening
// scene; their drawing is in title_frames.cpp.
namespace scenes {

namespace {

constexpr float rayLength = 50.0f;
constexpr float controlSpread = 11.5f;
constexpr float scatterOffset = 20.0f;
// Without the scene target there is nothing to composite: the same code the
// render targets throw when framebuffer objects fail.
constexpr int32_t missingRenderTarget = 1;

struct creditRow {
  const char* name;
  const char* image;
  const char* alphaImage;
};
constexpr creditRow creditRows[3] = {
    {"cred0", "image_01.jpg", "image_01a.jpg"},
    {"cred1", "image_02.jpg", "image_02a.jpg"},
    {"cred2", "image_03.jpg", "image_03a.jpg"},
};

// The opening particles' warm browns.
constexpr float openingPalette[3][4] = {
    {148, 114, 107, 255},
    {65, 51, 48, 255},
    {18, 15, 14, 255},
};

// Direction D of each ray and the mask M of the axes it wanders along.
constexpr float rayDirections[rayCount][3] = {
    {1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1},
};
constexpr float rayMasks[rayCount][3] = {
    {0, 1, 1}, {0, 1, 1}, {1, 0, 1}, {1, 0, 1}, {1, 1, 0}, {1, 1, 0},
};

std::unique_ptr<FWtexture::dynTexture> loadedTexture(const char* name) {
  auto made = std::make_unique<FWtexture::dynTexture>();
  made->name = name;
  made->load();
  return made;
}

// Puts `texture` on `unit` of the quad when the hardware has that unit.
void assignUnit(gfx::screenQuad& quad, size_t unit, FWrender::texture* texture) {
  if (gfx::maxTextureUnits > static_cast<int32_t>(unit) && unit < quad.textures.size()) {
    quad.textures[unit] = texture;
  }
}

void makeCredits(titleSceneState& scene) {
  for (size_t i = 0; i < 3; ++i) {
    auto* credit = new NGcomp::sprite(creditRows[i].image, creditRows[i].name);
    credit->bindable = false;
    scene.creditAlphas[i] = loadedTexture(creditRows[i].alphaImage);
    assignUnit(*credit->quad, 1, scene.creditAlphas[i].get());
    credit->quad->scaleX = 1.0f;
    credit->quad->scaleY = 1.0f;
    credit->quad->alignment = 17;
    gfx::layoutScreenQuad(*credit->quad);
    scene.creditSprites[i] = credit;
  }
}

void makeOpeningParticles(titleSceneState& scene) {
  scene.openingParticles = std::make_unique<FWmodel::particles>();
  FWmodel::particles& cloud = *scene.openingParticles;
  cloud.setTexture(0, scene.puffTexture.get());
  for (int32_t i = 0; i < openingParticleCount; ++i) {
    float a[3];
    float b[3];
    randomUnit(a);
    randomUnit(b);
    const float p[3] = {50.0f * (a[0] * b[0]), 50.0f * (a[1] * b[1]), 50.0f * (a[2] * b[2])};
    const size_t n = static_cast<size_t>(cloud.addParticle());
    cloud.sizes[n] = 2.0f;
    cloud.positions[n] = {p[0], p[1], 50.0f - 50.0f * static_cast<float>(i) / 64.0f};
    const float* entry = openingPalette[static_cast<uint32_t>(showRandom()) % 3u];
    cloud.colors[n] = {entry[0] / 255.0f, entry[1] / 255.0f, entry[2] / 255.0f, entry[3] / 255.0f};
  }
}

rayPath makeRayPath() {
  std::vector<float> times(raySplinePairs);
  std::array<std::vector<float>, 3> values;
  for (auto& axis : values) axis.assign(raySplinePairs, 0.0f);
  const float fourteenth = 1.0f / 14.0f;
  for (int32_t k = 1; k < rayControlPoints; ++k) {
    float point[3];
    for (float& coordinate : point) coordinate = controlSpread * randomSigned();
    // Point 16 is drawn (it keeps the sequence) but not part of the spline.
    if (k >= raySplinePairs) continue;
    times[static_cast<size_t>(k)] = static_cast<float>(k) * fourteenth * rayLength;
    for (size_t axis = 0; axis < 3; ++axis) values[axis][static_cast<size_t>(k)] = point[axis];
  }
  rayPath path;
  for (size_t axis = 0; axis < 3; ++axis) path.axes[axis] = cubicSpline(times, values[axis]);
  return path;
}

float lengthOf(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void makeRay(titleSceneState& scene, int32_t ray) {
  FWmodel::particles& sparks = *scene.titleParticles;
  const rayPath& path = scene.titlePaths[static_cast<size_t>(ray)];
  const float* direction = rayDirections[ray];
  const float* mask = rayMasks[ray];
  for (int32_t i = 0; i < particlesPerRay; ++i) {
    formationRecord record{};
    record.index = sparks.addParticle();
    record.t = static_cast<float>(i) / static_cast<float>(particlesPerRay);
    const float tau = rayLength * record.t;
    for (size_t c = 0; c < 3; ++c) {
      record.target[c] = direction[c] * tau + path.axes[c].at(tau) * mask[c];
    }
    const size_t n = static_cast<size_t>(record.index);
    sparks.positions[n] = {record.target[0], record.target[1], record.target[2]};

    float unit[3];
    randomUnit(unit);
    for (size_t c = 0; c < 3; ++c) record.offset[c] = scatterOffset * unit[c];
    float pushed[3];
    for (size_t c = 0; c < 3; ++c) pushed[c] = record.target[c] + record.offset[c];
    const float reach = lengthOf(pushed);
    const int32_t distance = static_cast<int32_t>(reach + scatterOffset * randomSigned());
    float norm = lengthOf(pushed);
    if (norm == 0.0f) norm = 1.0f;
    for (size_t c = 0; c < 3; ++c) {
      record.scatter[c] = record.target[c] + pushed[c] / norm * static_cast<float>(distance);
    }

    record.color[0] = 1.0f - record.t;
    record.color[1] = 0.8f;
    record.color[2] = record.t;
    sparks.colors[n] = {record.color[0], record.color[1], record.color[2], 1.0f};
    scene.formation.push_back(record);
  }
}

// The full-viewport composite of the scene target's first two attachments.
void makeComposite(titleSceneState& scene) {
  if (!sceneTarget || sceneTarget->colourTextures.size() < 2) throw missingRenderTarget;
  auto* composite = new NGcomp::sprite("particle_postfx");
  composite->bindable = false;
  gfx::screenQuad& quad = *composite->quad;
  quad.pixelMode = 1;
  gfx::layoutScreenQuad(quad);
  // The scene target was drawn with the display viewport, so the picture
  // sits at the viewport's origin inside it (above the bottom bar when
  // letterboxed); the quad samples exactly that area.
  const float left = static_cast<float>(gfx::viewportX);
  const float bottom = static_cast<float>(gfx::viewportY);
  const float width = static_cast<float>(gfx::viewportWidth);
  const float height = static_cast<float>(gfx::viewportHeight);
  const float targetWidth = static_cast<float>(sceneTarget->width);
  const float targetHeight = static_cast<float>(sceneTarget->height);
  quad.x = 0.0f;
  quad.y = 0.0f;
  quad.scaleX = width;
  quad.scaleY = height;
  quad.s0 = left / targetWidth;
  quad.s1 = (left + width) / targetWidth;
  quad.t0 = (bottom + height) / targetHeight;
  quad.t1 = bottom / targetHeight;
  assignUnit(quad, 0, sceneTarget->colourTextures[0].get());
  assignUnit(quad, 1, sceneTarget->colourTextures[1].get());
  scene.composite = composite;
}

}  // namespace

titleSceneState& titleScene() {
  static titleSceneState state;
  return state;
}

void setupTitleScenes() {
  titleSceneState& scene = titleScene();
  scene = titleSceneState{};
  scene.puffTexture = loadedTexture("PARTICLE0.JPG");
  scene.sparkTexture = loadedTexture("PARTICLE1.JPG");

  scene.colorBar = std::make_unique<gfx::screenQuad>();
  scene.colorBar->scaleX = 2.0f;
  scene.colorBar->scaleY = 2.0f;
  scene.colorBar->alignment = 17;
  gfx::layoutScreenQuad(*scene.colorBar);
  scene.colorBar->color[0] = 0.847f;
  scene.colorBar->color[1] = 0.803f;
  scene.colorBar->color[2] = 0.796f;

  makeCredits(scene);
  makeOpeningParticles(scene);

  scene.titleModel = new NGcomp::model3ds("title.3ds", "title");
  scene.titleModel->bindable = false;

  scene.titleParticles = std::make_unique<FWmodel::particles>();
  scene.titleParticles->setTexture(0, scene.sparkTexture.get());
  scene.formation.reserve(static_cast<size_t>(rayCount * particlesPerRay));
  for (int32_t ray = 0; ray < rayCount; ++ray) {
    scene.titlePaths[static_cast<size_t>(ray)] = makeRayPath();
    makeRay(scene, ray);
  }

  scene.skybox = new NGcomp::skybox();
  scene.skybox->bindable = false;
  makeComposite(scene);

  scene.particleProgram = new NGcomp::drawShader("basic.vert", "particle1", "particle1.frag");
  scene.compositeProgram =
      new NGcomp::drawShader("passthrough.vert", "particle1_post", "particle1_post.frag");
  scene.skyboxProgram = new NGcomp::drawShader("passthrough.vert", "particle1_post", "skybox.frag");
}

void bindTitleScenes() {
  titleSceneState& scene = titleScene();
  scene.titleBind = std::make_unique<trackGroup>("tent", "bind", nullptr, sceneSwitch);
  scene.titleFade = std::make_unique<trackGroup>("tent", "fade", nullptr, scalarValue);
  scene.titleScatter = std::make_unique<trackGroup>("tent", "eltol", nullptr, scalarValue);
  scene.openingBind = std::make_unique<trackGroup>("eleje", "bind", nullptr, sceneSwitch);
  scene.openingScroll = std::make_unique<trackGroup>("eleje", "eltol", nullptr, scalarValue);
}

NGcomp::drawShader* particleProgram() { return titleScene().particleProgram; }

}  // namespace scenes
