// The tunnel scene: its tunnels, programs and particle layers, and the state
// its frame leaves behind.
#include "engine/scenes/tunnel_scene.h"

#include "api/gl/gl.h"
#include "engine/components/draw_shader.h"
#include "engine/components/tunnel.h"
#include "engine/item.h"
#include "engine/scenes/tunnel_scene_state.h"
#include "engine/show_random.h"
#include "support/scene_frame.h"

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

using testing_support::constantTrackEntry;
using TunnelScene = testing_support::sceneFrameTest;

// The show's generator, written out again so the test can follow the draws.
struct referenceRandom {
  uint32_t state = 1;
  int32_t next() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
  }
};

TEST(TunnelLayers, EachRingBelongsToTheLayerOutsideIt) {
  EXPECT_EQ(scenes::tunnelLayerOf(0.0f), 0);
  EXPECT_EQ(scenes::tunnelLayerOf(24.999998f), 0);
  EXPECT_EQ(scenes::tunnelLayerOf(25.0f), 1);
  EXPECT_EQ(scenes::tunnelLayerOf(74.99999f), 1);
  EXPECT_EQ(scenes::tunnelLayerOf(75.0f), 2);
  EXPECT_EQ(scenes::tunnelLayerOf(99.99999f), 2);
  EXPECT_EQ(scenes::tunnelLayerOf(100.0f), 3);
  EXPECT_EQ(scenes::tunnelLayerOf(141.4f), 3);
}

TEST_F(TunnelScene, SetUpMakesTunnelsThenThePrograms) {
  scenes::setupTunnelScene();
  const std::vector<std::string> names = {"cso0", "cso1", "cso2", "pointlight", "tunnelShader",
                                          "tunnelShader", "tunnelShader", "tunnelShader"};
  ASSERT_EQ(NGcommon::itemCount(), static_cast<int32_t>(names.size()));
  for (size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(names[i], NGcommon::itemAt(static_cast<int32_t>(i))->name) << i;
  }
  const scenes::tunnelSceneState& scene = scenes::tunnelScene();
  EXPECT_TRUE(scene.innerTunnel->bindable);
  EXPECT_FALSE(scene.middleTunnel->bindable);
  EXPECT_FALSE(scene.outerTunnel->bindable);
  EXPECT_EQ(scene.innerTunnel->vertexTotal, 60000);
  EXPECT_EQ(scene.middleTunnel->vertexTotal, 7500);
  EXPECT_EQ(scene.outerTunnel->vertexTotal, 7500);
  EXPECT_EQ(scene.innerTunnel->radius, 25.0f);
  EXPECT_EQ(scene.middleTunnel->radius, 75.0f);
  EXPECT_EQ(scene.outerTunnel->radius, 100.0f);
  // Built: the inner tunnel's first vertex sits on its wall.
  EXPECT_FLOAT_EQ(scene.innerTunnel->positions[0], -300.0f);
  EXPECT_FLOAT_EQ(scene.innerTunnel->positions[2], 25.0f);

  const std::array<const char*, 4> fragments = {"tunnel1.frag", "tunnel2.frag", "tunnel3.frag",
                                                "particle2.frag"};
  for (size_t i = 0; i < fragments.size(); ++i) {
    EXPECT_EQ(scene.programs[i]->fragmentFile, fragments[i]);
    EXPECT_EQ(scene.programs[i]->vertexFile, i < 3 ? "tunnel.vert" : "basic.vert");
  }
  EXPECT_EQ(scene.pointLight->vertexFile, "basic.vert");
  EXPECT_EQ(scene.pointLight->fragmentFile, "pointlight2.frag");

  ASSERT_NE(scene.dots, nullptr);
  EXPECT_EQ(scene.dots->name, "particle3.jpg");
  EXPECT_NE(scene.dots->glId, 0u);
  for (const auto& layer : scene.layers) EXPECT_EQ(layer->getTexture(0), scene.dots.get());
}

TEST_F(TunnelScene, TwoHundredFiftySixParticlesSortIntoLayersByDistance) {
  scenes::setupTunnelScene();
  // Every particle takes three draws, the first unused.
  referenceRandom reference;
  std::array<std::vector<std::array<float, 3>>, 4> expected;
  for (int f = 0; f < 256; ++f) {
    reference.next();
    const float y = (1.0f - static_cast<float>(reference.next() % 10000) / 5000.0f) * 100.0f;
    const float z = (1.0f - static_cast<float>(reference.next() % 10000) / 5000.0f) * 100.0f;
    const float x = (static_cast<float>(f) / 256.0f * 2.0f - 1.0f) * 300.0f;
    expected[static_cast<size_t>(scenes::tunnelLayerOf(std::sqrt(y * y + z * z)))].push_back({x, y, z});
  }
  const scenes::tunnelSceneState& scene = scenes::tunnelScene();
  size_t total = 0;
  float lowest = 1e9f, highest = -1e9f;
  for (size_t layer = 0; layer < 4; ++layer) {
    const FWmodel::particles& dots = *scene.layers[layer];
    ASSERT_EQ(dots.positions.size(), expected[layer].size()) << layer;
    total += dots.positions.size();
    for (size_t i = 0; i < dots.positions.size(); ++i) {
      EXPECT_EQ(dots.positions[i], expected[layer][i]) << layer << ", " << i;
      EXPECT_EQ(dots.sizes[i], 5.0f);
      EXPECT_EQ(dots.colors[i], (std::array<float, 4>{1, 1, 1, 1}));
      EXPECT_EQ(dots.texRects[i], (std::array<float, 4>{0, 0, 1, 1}));
      const float d = std::sqrt(dots.positions[i][1] * dots.positions[i][1] +
                                dots.positions[i][2] * dots.positions[i][2]);
      EXPECT_EQ(scenes::tunnelLayerOf(d), static_cast<int32_t>(layer));
      lowest = std::min(lowest, dots.positions[i][0]);
      highest = std::max(highest, dots.positions[i][0]);
    }
  }
  EXPECT_EQ(total, 256u);
  EXPECT_EQ(lowest, -300.0f);
  EXPECT_EQ(highest, 297.65625f);
  // The next set-up continues the sequence where these draws left it.
  EXPECT_EQ(showRandom(), reference.next());
}

TEST_F(TunnelScene, TheSwitchIsStrictlyAboveSevenTenths) {
  useShowPackWith({constantTrackEntry("cso0.bind", 0.7f)});
  buildScenes();
  setRow(100);
  EXPECT_FALSE(scenes::tunnelActive());
  useShowPackWith({constantTrackEntry("cso0.bind", 0.7000001f)});
  buildScenes();
  setRow(100);
  EXPECT_TRUE(scenes::tunnelActive());
}

TEST_F(TunnelScene, TheFrameEndsWithBlendingOffAndTheDepthBufferCleared) {
  useShowPackWith({constantTrackEntry("cso0.bind", 1), constantTrackEntry("tunnel.csoda", 1),
                   constantTrackEntry("tunnel.forgas", 45)});
  buildScenes();
  const float row = 1 + 32 * 30;
  beginFrame(row);
  ASSERT_TRUE(scenes::tunnelActive());
  scenes::drawTunnelScene();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  std::vector<float> depth(64 * 48, 0.0f);
  glReadPixels(480, 360, 64, 48, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  for (float value : depth) ASSERT_EQ(value, 1.0f);
  glReadPixels(0, 0, 64, 48, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  for (float value : depth) ASSERT_EQ(value, 1.0f);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  // The walls cover the picture round the far opening.
  EXPECT_EQ(countLit(0, 0, 200, 200), 200 * 200);
  EXPECT_EQ(countLit(824, 568, 200, 200), 200 * 200);
}

}  // namespace
