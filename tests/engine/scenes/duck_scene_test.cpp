// The duck scene and the full-screen fades: the set-up, and what a frame's
// last step draws for given track values.
#include "engine/scenes/duck_scene.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/render_target.h"
#include "engine/components/sprite.h"
#include "engine/item.h"
#include "engine/scenes/duck_scene_state.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/title_scene_state.h"
#include "engine/scenes/title_scenes.h"
#include "support/scene_frame.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using testing_support::constantTrackEntry;
using testing_support::zipEntry;
using DuckScene = testing_support::sceneFrameTest;

// A mid-grey picture, the duck off and both fades at the given levels; the
// other scenes off.
std::vector<zipEntry> fadeTracks(float duck, float white, float black) {
  return {constantTrackEntry("kacsa.bind", duck),  constantTrackEntry("feher.fade", white),
          constantTrackEntry("fekete.fade", black), constantTrackEntry("kacsa.fade", 1),
          constantTrackEntry("clear.c.r", 0.5f),    constantTrackEntry("clear.c.g", 0.5f),
          constantTrackEntry("clear.c.b", 0.5f),    constantTrackEntry("eleje.bind", 0),
          constantTrackEntry("tent.bind", 0),       constantTrackEntry("cso0.bind", 0)};
}

TEST_F(DuckScene, SetUpMakesFadesPicturesAndADarkLine) {
  scenes::sceneTarget = FWrender::createRenderTarget(4);
  scenes::setupTitleScenes();
  const int32_t before = NGcommon::itemCount();
  scenes::setupDuckScene();
  ASSERT_EQ(NGcommon::itemCount(), before + 2);
  const scenes::duckSceneState& scene = scenes::duckScene();
  EXPECT_STREQ(scene.duck->name, "kacsa");
  EXPECT_STREQ(scene.badge->name, "kacsa2");
  EXPECT_TRUE(scene.duck->bindable);
  EXPECT_FALSE(scene.badge->bindable);
  EXPECT_EQ(scene.duck->quad->textures[1], scene.duckAlpha.get());
  EXPECT_EQ(scene.badge->quad->textures[1], scene.badgeAlpha.get());
  EXPECT_NE(scene.badgeAlpha->glId, 0u);
  // Laid out after the alignment was set; sized and placed after that.
  EXPECT_EQ(scene.duck->quad->anchorX, 0.5f);
  EXPECT_EQ(scene.duck->quad->y, -0.1f);
  EXPECT_EQ(scene.badge->quad->anchorY, 1.0f);
  EXPECT_EQ(scene.badge->quad->scaleX, 0.75f);
  EXPECT_EQ(scene.blackFade->color[0], 0.0f);
  EXPECT_EQ(scene.blackFade->color[3], 1.0f);

  const FWmodel::particles& line = *scene.particles;
  ASSERT_EQ(line.positions.size(), 128u);
  EXPECT_EQ(scene.particles->textures[0], scenes::titleScene().puffTexture.get());
  for (size_t i = 0; i < 128; ++i) {
    EXPECT_EQ(line.positions[i][0], 100.0f - static_cast<float>(i) * (1.0f / 128.0f) * 200.0f);
    EXPECT_LE(std::fabs(line.positions[i][1]), 50.0f);
    EXPECT_EQ(line.sizes[i], 2.0f);
    EXPECT_EQ(line.colors[i], (std::array<float, 4>{0, 0, 0, 0.2f}));
  }
  EXPECT_EQ(line.positions[127][0], -98.4375f);
}

TEST_F(DuckScene, ASingleTextureUnitLeavesThePicturesWithoutCompanions) {
  scenes::sceneTarget = FWrender::createRenderTarget(4);
  const int32_t units = gfx::maxTextureUnits;
  gfx::maxTextureUnits = 1;
  scenes::setupTitleScenes();
  scenes::setupDuckScene();
  gfx::maxTextureUnits = units;
  EXPECT_EQ(scenes::duckScene().duck->quad->textures.size(), 1u);
  EXPECT_EQ(scenes::duckScene().badge->quad->textures.size(), 1u);
  EXPECT_NE(scenes::duckScene().duckAlpha->glId, 0u);
}

TEST_F(DuckScene, FadesAtZeroDrawNothing) {
  useShowPackWith(fadeTracks(0, 0, 0));
  buildScenes();
  beginFrame(100);
  const int grey = countPixels(0, 0, 1024, 768, 127, 127, 127, 1);
  ASSERT_EQ(grey, 1024 * 768);
  scenes::drawDuckAndFades();
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 127, 127, 127, 1), grey);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(DuckScene, FullBlackCoversEverythingAndGoesOverWhite) {
  useShowPackWith(fadeTracks(1, 1, 1));
  buildScenes();
  beginFrame(100);
  scenes::drawDuckAndFades();
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 0, 0, 0, 0), 1024 * 768);

  // Half white, then half black over it: grey 127 goes to 191, then 95 (the
  // other order would end at 159).
  useShowPackWith(fadeTracks(0, 0.5f, 0.5f));
  buildScenes();
  beginFrame(100);
  scenes::drawDuckAndFades();
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 95, 95, 95, 2), 1024 * 768);
}

TEST_F(DuckScene, FadeLevelsAboveOneReachTheQuadUnchanged) {
  useShowPackWith(fadeTracks(0, 1.5f, 0));
  buildScenes();
  beginFrame(100);
  scenes::drawDuckAndFades();
  EXPECT_EQ(scenes::duckScene().whiteFade->color[3], 1.5f);
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 255, 255, 255, 0), 1024 * 768);
}

TEST_F(DuckScene, TheBadgeShowsOnlyWithTheDuck) {
  // Badge pixels: the lower middle of the picture (it sits bottom-centre).
  useShowPackWith(fadeTracks(0, 0, 0));
  buildScenes();
  beginFrame(100);
  scenes::drawDuckAndFades();
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 127, 127, 127, 1), 1024 * 768);

  useShowPackWith(fadeTracks(1, 0, 0));
  buildScenes();
  beginFrame(100);
  scenes::drawDuckAndFades();
  // Both pictures and the particles change the grey: the badge's orange
  // face below the middle, the duck's pale yellow head near the top, and
  // the grey left round them where the alpha companions are dark.
  EXPECT_LT(countPixels(0, 0, 1024, 768, 127, 127, 127, 1), 1024 * 768 - 100000);
  const testing_support::rgba badge = testing_support::pixelAt(400, 400);
  EXPECT_GT(badge.r, 200);
  EXPECT_LT(badge.b, 100);
  const testing_support::rgba head = testing_support::pixelAt(440, 190);
  EXPECT_GT(head.r, 220);
  EXPECT_GT(head.g, 200);
  EXPECT_LT(head.b, 190);
  EXPECT_EQ(countPixels(0, 0, 250, 250, 127, 127, 127, 1), 250 * 250);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

}  // namespace
