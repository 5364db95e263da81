#include "engine/scenes/frame_composition.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/light_state.h"
#include "api/render/render_target.h"
#include "engine/components/camera.h"
#include "engine/activity_notes.h"
#include "engine/components/light.h"
#include "engine/scenes/duck_scene.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/pass_times.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/title_scenes.h"
#include "engine/scenes/tunnel_scene.h"
#include "engine/shell.h"

namespace scenes {

namespace {

// The shell's reset, and the viewport back on the picture area (a render
// target's pass may have left it elsewhere).
void resetFrameProjection() {
  resetProjection();
  glViewport(gfx::viewportX, gfx::viewportY, gfx::viewportWidth, gfx::viewportHeight);
}

}  // namespace

const FWrender::LightState* beginShowFrame() {
  resetFrameProjection();
  const FWrender::LightState* currentLight = nullptr;
  if (cam0 != nullptr) cam0->draw();
  if (light0 != nullptr) {
    light0->draw();
    currentLight = light0->renderLight;
  }
  clearFrame();
  return currentLight;
}

void switchLightForTheScenes(const FWrender::LightState* current) {
  const bool wanted = current != nullptr && current->index != 0;
  if (wanted) {
    gfx::enableCapability(GL_LIGHT0);
  } else {
    gfx::disableCapability(GL_LIGHT0);
  }
  gfx::enableCapability(GL_LIGHTING);
}

namespace {

void drawTitleParticleScene() {
  FWrender::enter(*sceneTarget);
  clearFrame();
  drawTitleBackground();
  passDone("sky");
  drawTitleParticles();
  passDone("particles");
  // The composite reads every level where the picture's pixels fall.
  FWrender::leaveSampledCorner(*sceneTarget, FWrender::windowCorner(0));
  passDone("mipmaps");
  compositeTitleScene();
  passDone("composite");
}

}  // namespace

frameScenes showScenes() {
  return frameScenes{&greetingsActive,    &runPostProcessing, &tunnelActive,
                     &drawTunnelScene,    &titleSceneActive,  &drawTitleParticleScene,
                     &openingSceneActive, &drawOpeningScene,  &drawDuckAndFades};
}

frameScenes composedScenes = showScenes();

void composeFrame(float seconds) {
  const frameScenes& scene = composedScenes;
  startPassClock();
  const FWrender::LightState* currentLight = beginShowFrame();
  passDone("prelude");

  if (scene.greetingsActive()) {
    noteRenderingScene("greetings", seconds);
    scene.postProcessing();
  }

  switchLightForTheScenes(currentLight);

  // One scene at most, in this order of precedence.
  if (scene.tunnelActive()) {
    noteRenderingScene("tunnel", seconds);
    scene.tunnel();
  } else if (scene.titleActive()) {
    noteRenderingScene("title particles", seconds);
    scene.title();
  } else if (scene.openingActive()) {
    noteRenderingScene("opening", seconds);
    scene.opening();
    passDone("opening");
  }

  noteRenderingScene("pictures and fades", seconds);
  scene.duckAndFades();
  passDone("pictures and fades");
}

const char* sceneNameNow() {
  const frameScenes& scene = composedScenes;
  if (scene.greetingsActive()) return "greetings";
  if (scene.tunnelActive()) return "tunnel";
  if (scene.titleActive()) return "title particles";
  if (scene.openingActive()) return "opening";
  return "pictures and fades";
}

}  // namespace scenes
