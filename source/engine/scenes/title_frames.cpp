#include "api/gl/gl.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "engine/components/camera.h"
#include "engine/components/draw_shader.h"
#include "engine/components/model.h"
#include "engine/components/skybox.h"
#include "engine/components/sprite.h"
#include "engine/item.h"
#include "engine/scenes/title_scene_state.h"
#include "engine/scenes/title_scenes.h"
#include "engine/shell.h"

#include <algorithm>

// The frames of the title particle scene and of the opening scene.
namespace scenes {

namespace {

constexpr float barBelowCredits = 2.3164f;

// The shader treatments of "particle1".
constexpr int32_t tintedMode = 1;   // sprites in their colour, the lit title model
constexpr int32_t creditMode = 2;   // pictures with their alpha companion
constexpr int32_t sparkMode = 3;    // title particles into the scene target
constexpr int32_t alphaMapUnit = 1;

bool above(const std::unique_ptr<trackGroup>& group) {
  return group != nullptr && group->valueNow() > NGcommon::activityThreshold;
}

float valueOf(const std::unique_ptr<trackGroup>& group) {
  return group != nullptr ? group->valueNow() : 0.0f;
}

}  // namespace

void arrangeTitleParticles(titleSceneState& scene, float fade, float scatter) {
  FWmodel::particles& sparks = *scene.titleParticles;
  const float ease = scatter * scatter * (3.0f - 2.0f * scatter);
  for (const formationRecord& record : scene.formation) {
    const size_t n = static_cast<size_t>(record.index);
    if (!sparks.holds(record.index) || n >= sparks.colors.size()) continue;
    const float alpha = std::clamp(fade - record.t, 0.0f, 1.0f);
    sparks.colors[n] = {record.color[0], record.color[1], record.color[2], alpha};
    std::array<float, 3>& position = sparks.positions[n];
    if (scatter > 0.0f && record.t > 1.0f - scatter) {
      // s is taken off every coordinate of P: a push that grows with s, not
      // a blend from P to S.
      const float s = ease * std::clamp(scatter + record.t - 1.0f, 0.0f, 1.0f);
      for (size_t c = 0; c < 3; ++c) {
        position[c] = record.target[c] - s + s * record.scatter[c];
      }
    } else {
      position = {record.target[0], record.target[1], record.target[2]};
    }
  }
}

bool titleSceneActive() { return above(titleScene().titleBind); }

bool openingSceneActive() { return above(titleScene().openingBind); }

void drawTitleBackground() {
  titleSceneState& scene = titleScene();
  if (!titleSceneActive() || scene.skyboxProgram == nullptr) return;
  scene.skyboxProgram->begin();
  scene.skybox->draw();
  scene.skyboxProgram->end();
}

void drawTitleParticles() {
  titleSceneState& scene = titleScene();
  if (!titleSceneActive() || scene.particleProgram == nullptr) return;
  NGcomp::drawShader& program = *scene.particleProgram;
  glBlendFunc(GL_DST_COLOR, GL_ONE);
  gfx::enableCapability(GL_BLEND);
  program.begin();
  gfx::setUniform(program.shader, "mode", sparkMode);
  arrangeTitleParticles(scene, valueOf(scene.titleFade), valueOf(scene.titleScatter));
  scene.titleParticles->draw();
  program.end();
  gfx::disableCapability(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfx::enableCapability(GL_BLEND);
}

void compositeTitleScene() {
  titleSceneState& scene = titleScene();
  if (scene.compositeProgram == nullptr) return;
  scene.compositeProgram->begin();
  gfx::setUniform(scene.compositeProgram->shader, "skybox", int32_t{1});
  scene.composite->draw();
  scene.compositeProgram->end();
}

void drawOpeningScene() {
  titleSceneState& scene = titleScene();
  if (!openingSceneActive() || scene.particleProgram == nullptr) return;
  NGcomp::drawShader& program = *scene.particleProgram;
  gfx::enableCapability(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ONE);
  program.begin();
  gfx::setUniform(program.shader, "mode", tintedMode);
  gfx::setUniform(program.shader, "alphaMap", alphaMapUnit);
  scene.openingParticles->draw();
  // From here on the frame looks through the title camera, the duck
  // pictures' particles included.
  if (cam1 != nullptr) cam1->draw();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfx::enableCapability(GL_BLEND);
  scene.titleModel->draw();

  gfx::setUniform(program.shader, "mode", creditMode);
  const float scroll = valueOf(scene.openingScroll);
  for (size_t i = 0; i < scene.creditSprites.size(); ++i) {
    NGcomp::sprite& credit = *scene.creditSprites[i];
    credit.quad->x = 0.0f;
    credit.quad->y = static_cast<float>(i) + scroll;
    credit.draw();
  }
  gfx::setUniform(program.shader, "mode", tintedMode);
  scene.colorBar->x = 0.0f;
  scene.colorBar->y = scroll + barBelowCredits;
  gfx::drawScreenQuad(*scene.colorBar);

  program.end();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfx::enableCapability(GL_BLEND);
  gfx::disableCapability(GL_BLEND);
}

}  // namespace scenes
