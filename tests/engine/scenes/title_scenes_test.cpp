// The title particle scene and the opening scene: what the set-up builds,
// the particles' formation and scatter, and the state the passes leave.
#include "engine/scenes/title_scenes.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/render/camera.h"
#include "api/render/render_target.h"
#include "engine/components/camera.h"
#include "engine/components/draw_shader.h"
#include "engine/components/model.h"
#include "engine/components/sprite.h"
#include "engine/item.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/title_scene_state.h"
#include "engine/shell.h"
#include "support/scene_frame.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using testing_support::constantTrackEntry;
using TitleScenes = testing_support::sceneFrameTest;

struct referenceRandom {
  uint32_t state = 1;
  int32_t next() {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
  }
  float signedValue() { return 1.0f - static_cast<float>(next() % 10000) / 5000.0f; }
  void skip(int count) {
    for (int i = 0; i < count; ++i) next();
  }
};

constexpr float rayDirections[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},
                                       {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};

float lengthOf(const float* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

void setUpTitleOnly() {
  scenes::sceneTarget = FWrender::createRenderTarget(4);
  scenes::setupTitleScenes();
}

TEST_F(TitleScenes, SetUpMakesItsItemsInOrderWithoutBindTracks) {
  setUpTitleOnly();
  const std::vector<std::string> names = {"cred0", "cred1", "cred2", "title",
                                          "tentacleSkybox_ejel12_45van", "particle_postfx",
                                          "particle1", "particle1_post", "particle1_post"};
  ASSERT_EQ(NGcommon::itemCount(), static_cast<int32_t>(names.size()));
  for (size_t i = 0; i < names.size(); ++i) {
    NGcommon::item* made = NGcommon::itemAt(static_cast<int32_t>(i));
    EXPECT_EQ(names[i], made->name);
    // Programs never build a bind group; everything else is switched off it.
    if (i < 6) {
      EXPECT_FALSE(made->bindable) << names[i];
    }
  }
  const scenes::titleSceneState& scene = scenes::titleScene();
  EXPECT_EQ(scene.skyboxProgram->fragmentFile, "skybox.frag");
  EXPECT_EQ(scenes::particleProgram(), scene.particleProgram);

  // Credits: the alpha companion on unit 1, loaded by the set-up itself
  // (the sprite loads only its own picture).
  for (size_t i = 0; i < 3; ++i) {
    const NGcomp::sprite& credit = *scene.creditSprites[i];
    ASSERT_GT(credit.quad->textures.size(), 1u);
    ASSERT_EQ(credit.quad->textures[1], scene.creditAlphas[i].get());
    EXPECT_EQ(scene.creditAlphas[i]->name, "image_0" + std::to_string(i + 1) + "a.jpg");
    EXPECT_NE(scene.creditAlphas[i]->glId, 0u);
    EXPECT_EQ(credit.quad->anchorX, 0.5f);  // laid out after the alignment was set
  }
  EXPECT_EQ(scene.colorBar->anchorX, 0.5f);

  // The composite covers the viewport and samples its corner of the target.
  const gfx::screenQuad& composite = *scene.composite->quad;
  EXPECT_EQ(composite.pixelMode, 1);
  EXPECT_EQ(composite.scaleX, 1024.0f);
  EXPECT_EQ(composite.scaleY, 768.0f);
  EXPECT_EQ(composite.s1, 1.0f);  // the compact target: 1024 for 1024 x 768
  EXPECT_EQ(composite.t0, 0.75f);
  EXPECT_EQ(composite.t1, 0.0f);
  EXPECT_EQ(composite.textures[0], scenes::sceneTarget->colourTextures[0].get());
  EXPECT_EQ(composite.textures[1], scenes::sceneTarget->colourTextures[1].get());
}

TEST_F(TitleScenes, OpeningParticlesFallAlongZInTheWarmPalette) {
  setUpTitleOnly();
  FWmodel::particles& cloud = *scenes::titleScene().openingParticles;
  ASSERT_EQ(cloud.positions.size(), 64u);
  EXPECT_EQ(cloud.getTexture(0), scenes::titleScene().puffTexture.get());
  EXPECT_EQ(scenes::titleScene().puffTexture->name, "PARTICLE0.JPG");
  referenceRandom reference;
  const float palette[3][3] = {{148, 114, 107}, {65, 51, 48}, {18, 15, 14}};
  for (size_t i = 0; i < 64; ++i) {
    float a[3], b[3];
    for (float* v : {a, b}) {
      for (int c = 0; c < 3; ++c) v[c] = reference.signedValue();
      float length = lengthOf(v);
      if (length == 0.0f) length = 1.0f;
      for (int c = 0; c < 3; ++c) v[c] /= length;
    }
    EXPECT_EQ(cloud.positions[i][0], 50.0f * (a[0] * b[0]));
    EXPECT_EQ(cloud.positions[i][1], 50.0f * (a[1] * b[1]));
    EXPECT_EQ(cloud.positions[i][2], 50.0f - 50.0f * static_cast<float>(i) / 64.0f);
    EXPECT_EQ(cloud.sizes[i], 2.0f);
    const float* entry = palette[reference.next() % 3];
    EXPECT_EQ(cloud.colors[i], (std::array<float, 4>{entry[0] / 255.0f, entry[1] / 255.0f,
                                                     entry[2] / 255.0f, 1.0f}));
  }
  EXPECT_EQ(cloud.positions[63][2], 0.78125f);
}

TEST_F(TitleScenes, RaysFollowTheirSplinesAlongTheirDirections) {
  setUpTitleOnly();
  const scenes::titleSceneState& scene = scenes::titleScene();
  ASSERT_EQ(scene.formation.size(), 1536u);
  ASSERT_EQ(scene.titleParticles->positions.size(), 1536u);
  EXPECT_EQ(scene.titleParticles->getTexture(0), scene.sparkTexture.get());
  EXPECT_EQ(scene.sparkTexture->name, "PARTICLE1.JPG");

  referenceRandom reference;
  reference.skip(64 * 7);  // the opening particles
  for (int ray = 0; ray < 6; ++ray) {
    SCOPED_TRACE("ray " + std::to_string(ray));
    // Sixteen random control points after the origin; the spline takes
    // fifteen of them, the sixteenth is drawn all the same.
    const scenes::rayPath& path = scene.titlePaths[static_cast<size_t>(ray)];
    for (int k = 1; k <= 16; ++k) {
      for (size_t c = 0; c < 3; ++c) {
        const float expected = 11.5f * reference.signedValue();
        if (k == 16) continue;
        float coefficients[4];
        path.axes[c].coefficients(k, coefficients);
        EXPECT_EQ(coefficients[0], expected) << k;
      }
    }
    for (size_t c = 0; c < 3; ++c) {
      ASSERT_EQ(path.axes[c].size(), 16);
      EXPECT_EQ(path.axes[c].at(0.0f), 0.0f);
    }
    reference.skip(256 * 4);  // the particles' offsets and scatter reaches
    for (int i = 0; i < 256; ++i) {
      const scenes::formationRecord& record = scene.formation[static_cast<size_t>(ray * 256 + i)];
      const float tau = 50.0f * record.t;
      ASSERT_EQ(record.index, ray * 256 + i);
      ASSERT_EQ(record.t, static_cast<float>(i) / 256.0f);
      for (size_t c = 0; c < 3; ++c) {
        const float along = rayDirections[ray][c];
        // Along its direction the ray advances by tau; across it, it
        // wanders by the spline.
        const float expected = along != 0.0f ? along * tau : path.axes[c].at(tau);
        EXPECT_FLOAT_EQ(record.target[c], expected) << i;
        EXPECT_EQ(scene.titleParticles->positions[static_cast<size_t>(record.index)][c],
                  record.target[c]);
      }
      EXPECT_NEAR(lengthOf(record.offset), 20.0f, 1e-3f);
      // S lies on the line from P along P + offset, a whole number m of
      // units away, m within 20 (plus the truncation) of |P + offset|.
      float pushed[3], moved[3];
      for (size_t c = 0; c < 3; ++c) {
        pushed[c] = record.target[c] + record.offset[c];
        moved[c] = record.scatter[c] - record.target[c];
      }
      const float reach = lengthOf(pushed);
      float m = 0.0f;
      for (size_t c = 0; c < 3; ++c) m += moved[c] * pushed[c] / reach;
      EXPECT_NEAR(m, std::round(m), 2e-3f);
      EXPECT_LT(std::fabs(m - reach), 21.0f);
      for (size_t c = 0; c < 3; ++c) EXPECT_NEAR(moved[c], pushed[c] / reach * m, 1e-3f);
      EXPECT_EQ(record.color[0], 1.0f - record.t);
      EXPECT_EQ(record.color[1], 0.8f);
      EXPECT_EQ(record.color[2], record.t);
      EXPECT_EQ(scene.titleParticles->colors[static_cast<size_t>(record.index)][3], 1.0f);
    }
    // The rays are evaluated only inside the node times.
    EXPECT_EQ(scene.formation[static_cast<size_t>(ray * 256 + 255)].t * 50.0f, 49.8046875f);
  }
  EXPECT_FLOAT_EQ(scene.titlePaths[0].axes[0].at(0.0f), 0.0f);
}

TEST_F(TitleScenes, FadeShowsTheRaysFromTheOriginOutwards) {
  setUpTitleOnly();
  scenes::titleSceneState& scene = scenes::titleScene();
  const auto alphaOf = [&](size_t record) {
    return scene.titleParticles->colors[static_cast<size_t>(scene.formation[record].index)][3];
  };
  for (float fade : {0.0f, -1.0f}) {
    scenes::arrangeTitleParticles(scene, fade, 0.0f);
    for (size_t r = 0; r < scene.formation.size(); ++r) ASSERT_EQ(alphaOf(r), 0.0f) << fade;
  }
  for (float fade : {2.0f, 5.0f}) {
    scenes::arrangeTitleParticles(scene, fade, 0.0f);
    for (size_t r = 0; r < scene.formation.size(); ++r) ASSERT_EQ(alphaOf(r), 1.0f) << fade;
  }
  scenes::arrangeTitleParticles(scene, 0.5f, 0.0f);
  for (size_t r = 0; r < scene.formation.size(); ++r) {
    ASSERT_FLOAT_EQ(alphaOf(r), std::max(0.0f, 0.5f - scene.formation[r].t));
    const auto& colour = scene.titleParticles->colors[static_cast<size_t>(scene.formation[r].index)];
    ASSERT_EQ(colour[0], scene.formation[r].color[0]);
    ASSERT_EQ(colour[2], scene.formation[r].color[2]);
  }
}

TEST_F(TitleScenes, ScatterPushesTheOuterParticlesFirst) {
  setUpTitleOnly();
  scenes::titleSceneState& scene = scenes::titleScene();
  const auto positionOf = [&](const scenes::formationRecord& record) {
    return scene.titleParticles->positions[static_cast<size_t>(record.index)];
  };
  // Displace everything, then no scatter puts every particle back on P.
  scenes::arrangeTitleParticles(scene, 1.0f, 1.0f);
  scenes::arrangeTitleParticles(scene, 1.0f, 0.0f);
  for (const auto& record : scene.formation) {
    ASSERT_EQ(positionOf(record), (std::array<float, 3>{record.target[0], record.target[1], record.target[2]}));
  }
  // Full scatter: s = t, subtracted from P's coordinates, not a blend.
  scenes::arrangeTitleParticles(scene, 1.0f, 1.0f);
  for (const auto& record : scene.formation) {
    const float s = record.t;
    for (size_t c = 0; c < 3; ++c) {
      ASSERT_FLOAT_EQ(positionOf(record)[c], record.target[c] - s + s * record.scatter[c]);
    }
  }
  EXPECT_EQ(positionOf(scene.formation[0])[0], scene.formation[0].target[0]);
  // Half way: W = 0.5; only particles past t = 0.5 move.
  scenes::arrangeTitleParticles(scene, 1.0f, 0.5f);
  for (const auto& record : scene.formation) {
    if (record.t <= 0.5f) {
      ASSERT_EQ(positionOf(record)[1], record.target[1]);
    } else {
      const float s = 0.5f * (record.t - 0.5f);
      ASSERT_FLOAT_EQ(positionOf(record)[1], record.target[1] - s + s * record.scatter[1]);
    }
  }
}

TEST_F(TitleScenes, ASingleTextureUnitLeavesUnitOneEmpty) {
  const int32_t units = gfx::maxTextureUnits;
  gfx::maxTextureUnits = 1;
  setUpTitleOnly();
  gfx::maxTextureUnits = units;
  const scenes::titleSceneState& scene = scenes::titleScene();
  for (NGcomp::sprite* credit : scene.creditSprites) {
    ASSERT_EQ(credit->quad->textures.size(), 1u);
    EXPECT_EQ(credit->quad->textures[0], nullptr);  // the sprite's own picture comes at load
  }
  ASSERT_EQ(scene.composite->quad->textures.size(), 1u);
  EXPECT_EQ(scene.composite->quad->textures[0], scenes::sceneTarget->colourTextures[0].get());
  // The companions are still made and loaded.
  for (const auto& alpha : scene.creditAlphas) EXPECT_NE(alpha->glId, 0u);
}

TEST_F(TitleScenes, WithoutTheSceneTargetTheSetUpHalts) {
  ASSERT_FALSE(scenes::sceneTarget);
  EXPECT_EQ(testing_support::thrownCode([] { scenes::setupTitleScenes(); }), 1);
}

TEST_F(TitleScenes, SwitchesAreStrictlyAboveSevenTenths) {
  useShowPackWith({constantTrackEntry("tent.bind", 0.7f), constantTrackEntry("eleje.bind", 0.7000001f)});
  buildScenes();
  setRow(50);
  EXPECT_FALSE(scenes::titleSceneActive());
  EXPECT_TRUE(scenes::openingSceneActive());
}

TEST_F(TitleScenes, ParticlePassNeedsItsSwitchAndLeavesAlphaBlendingOn) {
  useShowPackWith({constantTrackEntry("tent.bind", 0), constantTrackEntry("tent.fade", 0.25f),
                   constantTrackEntry("tent.eltol", 0)});
  buildScenes();
  beginFrame(50);
  scenes::drawTitleParticles();
  const scenes::titleSceneState& scene = scenes::titleScene();
  EXPECT_EQ(scene.titleParticles->colors[0][3], 1.0f);  // untouched

  useShowPackWith({constantTrackEntry("tent.bind", 1), constantTrackEntry("tent.fade", 0.25f),
                   constantTrackEntry("tent.eltol", 0)});
  buildScenes();
  beginFrame(50);
  FWrender::enter(*scenes::sceneTarget);
  scenes::drawTitleBackground();
  scenes::drawTitleParticles();
  FWrender::leave(*scenes::sceneTarget);
  const scenes::titleSceneState& lit = scenes::titleScene();
  EXPECT_EQ(lit.titleParticles->colors[0][3], 0.25f);
  EXPECT_EQ(lit.titleParticles->colors[255][3], 0.0f);
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  GLint source = 0, destination = 0;
  glGetIntegerv(GL_BLEND_SRC, &source);
  glGetIntegerv(GL_BLEND_DST, &destination);
  EXPECT_EQ(source, GL_SRC_ALPHA);
  EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TitleScenes, OpeningScrollsCreditsAndBarAndLeavesTheTitleCamera) {
  useShowPackWith({constantTrackEntry("eleje.bind", 1), constantTrackEntry("eleje.eltol", -1.5f)});
  buildScenes();
  beginFrame(40);
  scenes::drawOpeningScene();
  const scenes::titleSceneState& scene = scenes::titleScene();
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(scene.creditSprites[i]->quad->y, static_cast<float>(i) - 1.5f);
    EXPECT_EQ(scene.creditSprites[i]->quad->x, 0.0f);
  }
  EXPECT_FLOAT_EQ(scene.colorBar->y, 0.8164f);
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  float modelView[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(modelView[i], cam1->renderCamera->viewMatrix.m[i]) << i;
  EXPECT_NE(cam0->renderCamera->viewMatrix.m[12], cam1->renderCamera->viewMatrix.m[12]);
  // The bar's pale rose covers the picture from 0.8164 of its height down,
  // over the last credit; above it the credit's lettering shows.
  EXPECT_EQ(countPixels(0, 632, 1024, 136, 216, 205, 203, 6), 1024 * 136);
  EXPECT_EQ(countPixels(0, 380, 1024, 240, 216, 205, 203, 6), 0);
}

}  // namespace
