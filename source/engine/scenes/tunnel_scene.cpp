#include "engine/scenes/tunnel_scene.h"

#include "api/gl/gl.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "engine/components/draw_shader.h"
#include "engine/components/tunnel.h"
#include "engine/scenes/pass_times.h"
#include "engine/scenes/tunnel_scene_state.h"
#include "engine/show_random.h"

#include <cmath>

namespace scenes {

namespace {

constexpr float tunnelSegments = 50.0f;
constexpr float tunnelHalfLength = 300.0f;
constexpr float particleSize = 5.0f;

// One coordinate across the axis: 1 - (rand mod 10000) / 5000, times 100.
float acrossAxis(int32_t draw) {
  return (1.0f - static_cast<float>(draw % 10000) / 5000.0f) * 100.0f;
}

void placeParticles(tunnelSceneState& scene) {
  for (int32_t f = 0; f < tunnelParticleCount; ++f) {
    showRandom();  // drawn and not used: keeps the sequence of the show
    const float y = acrossAxis(showRandom());
    const float z = acrossAxis(showRandom());
    const float x = (static_cast<float>(f) / static_cast<float>(tunnelParticleCount) * 2.0f - 1.0f) * tunnelHalfLength;
    const float distance = std::sqrt(y * y + z * z);
    FWmodel::particles& layer = *scene.layers[static_cast<size_t>(tunnelLayerOf(distance))];
    const int32_t index = layer.addParticle();
    if (!layer.holds(index)) continue;
    layer.positions[static_cast<size_t>(index)] = {x, y, z};
    layer.sizes[static_cast<size_t>(index)] = particleSize;
  }
}

void clearDepth() {
  glClearDepth(1.0);
  glClear(GL_DEPTH_BUFFER_BIT);
}

// One tunnel under its program, with the turn and the pulse.
void drawTunnel(NGcomp::drawShader& program, NGcomp::tunnel& tube, float turn, float pulse) {
  program.begin();
  gfx::setUniform(program.shader, "forgas", turn);
  gfx::setUniform(program.shader, "fade", pulse);
  tube.begin();
  tube.draw();
  tube.end();
  program.end();
}

void drawLayer(NGcomp::drawShader& program, FWmodel::particles& layer) {
  program.begin();
  layer.draw();
  program.end();
}

}  // namespace

tunnelSceneState& tunnelScene() {
  static tunnelSceneState state;
  return state;
}

int32_t tunnelLayerOf(float distance) {
  if (distance >= tunnelRings[2]) return 3;
  if (distance < tunnelRings[0]) return 0;
  if (distance < tunnelRings[1]) return 1;
  return 2;
}

void setupTunnelScene() {
  tunnelSceneState& scene = tunnelScene();
  scene = tunnelSceneState{};
  scene.innerTunnel = new NGcomp::tunnel("cso0", tunnelSegments, tunnelHalfLength, tunnelRings[0], 1);
  scene.middleTunnel = new NGcomp::tunnel("cso1", tunnelSegments, tunnelHalfLength, tunnelRings[1], 8);
  scene.outerTunnel = new NGcomp::tunnel("cso2", tunnelSegments, tunnelHalfLength, tunnelRings[2], 8);
  scene.middleTunnel->bindable = false;
  scene.outerTunnel->bindable = false;
  scene.innerTunnel->buildGeometry();
  scene.middleTunnel->buildGeometry();
  scene.outerTunnel->buildGeometry();

  scene.dots = std::make_unique<FWtexture::dynTexture>();
  scene.dots->name = "particle3.jpg";
  scene.dots->load();
  for (auto& layer : scene.layers) {
    layer = std::make_unique<FWmodel::particles>();
    layer->setTexture(0, scene.dots.get());
  }
  placeParticles(scene);

  scene.pointLight = new NGcomp::drawShader("basic.vert", "pointlight", "pointlight2.frag");
  scene.programs[0] = new NGcomp::drawShader("tunnel.vert", "tunnelShader", "tunnel1.frag");
  scene.programs[1] = new NGcomp::drawShader("tunnel.vert", "tunnelShader", "tunnel2.frag");
  scene.programs[2] = new NGcomp::drawShader("tunnel.vert", "tunnelShader", "tunnel3.frag");
  scene.programs[3] = new NGcomp::drawShader("basic.vert", "tunnelShader", "particle2.frag");
}

void bindTunnelScene() {
  tunnelSceneState& scene = tunnelScene();
  scene.turn = std::make_unique<trackGroup>("tunnel", "forgas", nullptr, scalarValue);
  scene.pulse = std::make_unique<trackGroup>("tunnel", "csoda", nullptr, scalarValue);
}

bool tunnelActive() {
  tunnelSceneState& scene = tunnelScene();
  return scene.innerTunnel != nullptr && scene.innerTunnel->isActive();
}

void drawTunnelScene() {
  tunnelSceneState& scene = tunnelScene();
  if (scene.innerTunnel == nullptr) return;
  const float turn = scene.turn ? scene.turn->valueNow() : 0.0f;
  const float pulse = scene.pulse ? scene.pulse->valueNow() : 0.0f;
  gfx::enableCapability(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

  // Outside in: every layer is composited over what lies beyond it.
  NGcomp::drawShader& dotsProgram = *scene.programs[3];
  drawLayer(dotsProgram, *scene.layers[3]);
  passDone("dots outside");
  drawTunnel(*scene.programs[0], *scene.outerTunnel, turn, pulse);
  passDone("outer tunnel");
  drawLayer(dotsProgram, *scene.layers[2]);
  clearDepth();
  passDone("dots outer-middle");
  drawTunnel(*scene.programs[2], *scene.middleTunnel, turn, pulse);
  clearDepth();
  passDone("middle tunnel");
  drawLayer(dotsProgram, *scene.layers[1]);
  passDone("dots middle-inner");
  drawTunnel(*scene.programs[1], *scene.innerTunnel, turn, pulse);
  passDone("inner tunnel");
  drawLayer(dotsProgram, *scene.layers[0]);

  gfx::disableCapability(GL_BLEND);
  clearDepth();
  passDone("dots inside");
}

}  // namespace scenes
