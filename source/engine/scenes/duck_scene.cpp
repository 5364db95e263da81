#include "engine/scenes/duck_scene.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "engine/components/draw_shader.h"
#include "engine/components/sprite.h"
#include "engine/scenes/duck_scene_state.h"
#include "engine/scenes/scene_random.h"
#include "engine/scenes/title_scene_state.h"
#include "engine/scenes/title_scenes.h"

namespace scenes {

namespace {

constexpr int32_t tintedMode = 1;
constexpr int32_t pictureMode = 4;
constexpr int32_t alphaMapUnit = 1;

std::unique_ptr<gfx::screenQuad> fullScreenQuad() {
  auto quad = std::make_unique<gfx::screenQuad>();
  quad->scaleX = 2.0f;
  quad->scaleY = 2.0f;
  return quad;
}

std::unique_ptr<FWtexture::dynTexture> loadedTexture(const char* name) {
  auto made = std::make_unique<FWtexture::dynTexture>();
  made->name = name;
  made->load();
  return made;
}

void putOnUnitOne(NGcomp::sprite& picture, FWrender::texture* alpha) {
  if (gfx::maxTextureUnits > 1 && picture.quad->textures.size() > 1) {
    picture.quad->textures[1] = alpha;
  }
}

void layOut(gfx::screenQuad& quad, int32_t alignment) {
  quad.alignment = alignment;
  gfx::layoutScreenQuad(quad);
  quad.scaleX = 0.75f;
  quad.scaleY = 0.75f;
}

void makeParticles(duckSceneState& scene) {
  scene.particles = std::make_unique<FWmodel::particles>();
  FWmodel::particles& line = *scene.particles;
  line.setTexture(0, titleScene().puffTexture.get());
  for (int32_t i = 0; i < duckParticleCount; ++i) {
    float a[3];
    float b[3];
    randomUnit(a);
    randomUnit(b);
    const float y = 50.0f * (a[1] * b[1]);
    const float z = 50.0f * (a[2] * b[2]);
    const float x = 100.0f - static_cast<float>(i) * (1.0f / 128.0f) * 200.0f;
    const size_t n = static_cast<size_t>(line.addParticle());
    line.sizes[n] = 2.0f;
    line.positions[n] = {x, y, z};
    line.colors[n] = {0.0f, 0.0f, 0.0f, 0.2f};
  }
}

// A fade quad at `level` when the level is above 0; over 1 is passed on.
void drawFade(gfx::screenQuad& quad, float level) {
  if (level <= 0.0f) return;
  quad.color[3] = level;
  gfx::drawScreenQuad(quad);
}

float valueOf(const std::unique_ptr<trackGroup>& group) {
  return group != nullptr ? group->valueNow() : 0.0f;
}

}  // namespace

duckSceneState& duckScene() {
  static duckSceneState state;
  return state;
}

void setupDuckScene() {
  duckSceneState& scene = duckScene();
  scene = duckSceneState{};
  scene.whiteFade = fullScreenQuad();
  scene.blackFade = fullScreenQuad();
  scene.blackFade->color[0] = scene.blackFade->color[1] = scene.blackFade->color[2] = 0.0f;

  scene.duck = new NGcomp::sprite("duck2.png", "kacsa");
  scene.badge = new NGcomp::sprite("badge12.png", "kacsa2");
  scene.badge->bindable = false;
  scene.duckAlpha = loadedTexture("duck2a.png");
  scene.badgeAlpha = loadedTexture("badge12a.png");
  putOnUnitOne(*scene.duck, scene.duckAlpha.get());
  putOnUnitOne(*scene.badge, scene.badgeAlpha.get());

  layOut(*scene.duck->quad, 17);
  scene.duck->quad->x = 0.0f;
  scene.duck->quad->y = -0.1f;
  layOut(*scene.badge->quad, 153);
  makeParticles(scene);
}

void bindDuckScene() {
  duckSceneState& scene = duckScene();
  scene.whiteLevel = std::make_unique<trackGroup>("feher", "fade", nullptr, levelValue);
  scene.blackLevel = std::make_unique<trackGroup>("fekete", "fade", nullptr, levelValue);
  scene.pictureFade = std::make_unique<trackGroup>("kacsa", "fade", nullptr, levelValue);
}

void drawDuckAndFades() {
  duckSceneState& scene = duckScene();
  if (scene.whiteFade == nullptr) return;
  gfx::enableCapability(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  NGcomp::drawShader* program = particleProgram();
  if (program != nullptr && scene.duck->isActive()) {
    program->begin();
    gfx::setUniform(program->shader, "mode", tintedMode);
    scene.particles->draw();
    gfx::setUniform(program->shader, "mode", pictureMode);
    gfx::setUniform(program->shader, "alphaMap", alphaMapUnit);
    gfx::setUniform(program->shader, "csoda", valueOf(scene.pictureFade));
    scene.duck->draw();
    scene.badge->draw();
    program->end();
  }
  drawFade(*scene.whiteFade, valueOf(scene.whiteLevel));
  drawFade(*scene.blackFade, valueOf(scene.blackLevel));
  gfx::disableCapability(GL_BLEND);
}

}  // namespace scenes
