#include "engine/components/tunnel.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/vertex_arrays.h"
#include "engine/item.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using testing_support::constantTrack;

class Tunnel : public testing_support::rocketTest {
 protected:
  void TearDown() override {
    NGcommon::deleteAllItems();
    rocketTest::TearDown();
  }

  // The picture of a strip from a camera inside the tube looking down +x,
  // every covering added up: a pixel drawn twice is twice as bright.
  static std::vector<uint8_t> coverage(const FWrender::VertexArraySet& strip, int32_t vertices,
                                       bool culled) {
    glViewport(0, 0, testing_support::kContextWidth, testing_support::kContextHeight);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.75, 0.75, -0.5, 0.5, 1.0, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(80.0f, 0.0f, 1.0f, 0.0f);
    glRotatef(7.0f, 1.0f, 0.0f, 0.0f);
    glTranslatef(40.0f, 6.0f, -4.0f);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    if (culled) {
      glEnable(GL_CULL_FACE);
    } else {
      glDisable(GL_CULL_FACE);
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    glColor4f(0.25f, 0.25f, 0.25f, 1.0f);
    FWrender::enableArrays(strip);
    glDrawArrays(FWrender::primitiveMode(strip.primitive), 0, vertices);
    FWrender::disableArrays(strip);
    glDisable(GL_BLEND);
    std::vector<uint8_t> pixels(static_cast<size_t>(testing_support::kContextWidth) *
                             testing_support::kContextHeight * 4);
    glReadPixels(0, 0, testing_support::kContextWidth, testing_support::kContextHeight, GL_RGBA,
                 GL_UNSIGNED_BYTE, pixels.data());
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    return pixels;
  }

  static void expectVertex(const NGcomp::tunnel& tube, int vertex, float x, float y, float z) {
    EXPECT_NEAR(tube.positions[vertex * 3], x, 1e-4f) << "vertex " << vertex;
    EXPECT_NEAR(tube.positions[vertex * 3 + 1], y, 1e-5f) << "vertex " << vertex;
    EXPECT_NEAR(tube.positions[vertex * 3 + 2], z, 1e-5f) << "vertex " << vertex;
  }
};

TEST_F(Tunnel, VertexCountIsTwiceTheTruncatedStepCount) {
  EXPECT_EQ(NGcomp::tunnelVertexTotal(50, 300, 1), 60000);
  EXPECT_EQ(NGcomp::tunnelVertexTotal(50, 300, 8), 7500);
  EXPECT_EQ(NGcomp::tunnelVertexTotal(0, 300, 8), 0);
  // 2 / 0.1f is a little under 20: truncation keeps 19 pairs.
  EXPECT_EQ(NGcomp::tunnelVertexTotal(1, 1, 0.1f), 38);
}

TEST_F(Tunnel, FineTubeStartsAtMinusHalfLengthOnTheZAxis) {
  NGcomp::tunnel& tube = *new NGcomp::tunnel("tube", 50, 300, 25, 1);
  EXPECT_EQ(tube.kind, 0);
  ASSERT_EQ(tube.vertexTotal, 60000);
  ASSERT_EQ(tube.positions.size(), 180000u);
  ASSERT_EQ(tube.texCoords.size(), 120000u);
  EXPECT_EQ(tube.positions[3 * 59999 + 2], 0.0f);  // zeroed before the build
  tube.buildGeometry();

  expectVertex(tube, 0, -300, 0, 25);
  expectVertex(tube, 1, -300, 3.1333308f, 24.802868f);
  EXPECT_NEAR(tube.normals[0], 0.0f, 1e-6f);
  EXPECT_NEAR(tube.normals[1], 0.0f, 1e-6f);
  EXPECT_NEAR(tube.normals[2], -1.0f, 1e-6f);
  EXPECT_NEAR(tube.normals[3], 0.0f, 1e-6f);
  EXPECT_NEAR(tube.normals[4], -0.1253332f, 1e-6f);
  EXPECT_NEAR(tube.normals[5], -0.9921147f, 1e-6f);
  EXPECT_NEAR(tube.texCoords[0], 0.0f, 1e-6f);
  EXPECT_NEAR(tube.texCoords[1], -37.699112f, 1e-4f);
  EXPECT_NEAR(tube.texCoords[2], 0.12566371f, 1e-6f);
  EXPECT_NEAR(tube.texCoords[3], -37.699112f, 1e-4f);
  // Scratch: (h, u, 0) and (u, u, 0).
  EXPECT_EQ(tube.scratch[0], 0.0f);
  EXPECT_EQ(tube.scratch[1], -300.0f);
  EXPECT_EQ(tube.scratch[3], -300.0f);
  EXPECT_EQ(tube.scratch[4], -300.0f);

  // One step on along the axis, then the end of the first band and the jump
  // back to -300 for the second.
  expectVertex(tube, 2, -299, 0, 25);
  expectVertex(tube, 1198, 299, 0, 25);
  expectVertex(tube, 1201, -300, std::sin(2 / 7.957747f) * 25, std::cos(2 / 7.957747f) * 25);
  EXPECT_EQ(tube.scratch[1200 * 3], 1.0f);  // h of the second band
  // The last band closes the ring at angle 2 pi.
  expectVertex(tube, 59999, 299, 0, 25);
}

TEST_F(Tunnel, CoarseTubeHasSeventyFiveStepsPerBand) {
  NGcomp::tunnel& tube = *new NGcomp::tunnel("outer", 50, 300, 100, 8);
  ASSERT_EQ(tube.vertexTotal, 7500);
  tube.buildGeometry();
  expectVertex(tube, 2 * 74, 292, 0, 100);
  expectVertex(tube, 2 * 75, -300, std::sin(1 / 7.957747f) * 100, std::cos(1 / 7.957747f) * 100);
  // Every normal is a unit vector pointing at the axis.
  for (int v = 0; v < tube.vertexTotal; v += 37) {
    const float* n = &tube.normals[v * 3];
    const float* p = &tube.positions[v * 3];
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-5f);
    EXPECT_NEAR(n[1] * p[1] + n[2] * p[2], -100.0f, 1e-3f);
  }
}

TEST_F(Tunnel, AStepThatAccumulatesOneTooManyStaysInsideTheArrays) {
  // -1 + 0.1f added 19 times is still below 1: the loop would take a
  // twentieth step that the count has no room for.
  NGcomp::tunnel& tube = *new NGcomp::tunnel("short", 1, 1, 1, 0.1f);
  ASSERT_EQ(tube.vertexTotal, 38);
  tube.buildGeometry();
  EXPECT_EQ(tube.positions.size(), 38u * 3);
  expectVertex(tube, 36, -1 + 18 * 0.1f, 0, 1);
  expectVertex(tube, 37, -1 + 18 * 0.1f, std::sin(6.2831853f), std::cos(6.2831853f));
}

TEST_F(Tunnel, TubeWithoutSegmentsIsEmptyAndDrawsNothing) {
  ASSERT_TRUE(testing_support::headlessGl());
  NGcomp::tunnel& tube = *new NGcomp::tunnel("none", 0, 300, 25, 1);
  EXPECT_EQ(tube.vertexTotal, 0);
  tube.buildGeometry();
  gfx::polygonCount = 0;
  gfx::vertexCount = 0;
  tube.begin();
  tube.draw();
  tube.end();
  EXPECT_EQ(gfx::polygonCount, 0);
  EXPECT_EQ(gfx::vertexCount, 0);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Tunnel, DrawingIsOneStripBetweenBeginAndEndAndCountsItsVertices) {
  ASSERT_TRUE(testing_support::headlessGl());
  NGcomp::tunnel& tube = *new NGcomp::tunnel("drawn", 50, 300, 25, 8);
  tube.buildGeometry();
  EXPECT_EQ(tube.arrays->primitive, 1);
  EXPECT_EQ(tube.arrays->vertexSlot.elements, 7500 * 3);
  EXPECT_EQ(tube.arrays->texcoordSlot.elements, 7500 * 2);
  EXPECT_EQ(tube.arrays->texcoordSlot.components, 2);
  gfx::polygonCount = 5;
  gfx::vertexCount = 0;
  tube.begin();
  EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_TRUE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  tube.draw();
  tube.end();
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_EQ(gfx::polygonCount, 5 + 7500);
  EXPECT_EQ(gfx::vertexCount, 7500 * 3);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

  void* data = nullptr;
  int32_t count = 0;
  tube.vertexData(0, &data, &count);
  EXPECT_EQ(data, tube.scratch.data());
  EXPECT_EQ(count, 7500);
}

// Only the end pairs of each band are drawn; every pixel must be covered
// as often as by the whole strip, the long triangles between bands included,
// and with back faces culled (as the show draws) the same faces must face
// the camera.
TEST_F(Tunnel, DrawnStripCoversThePixelsOfTheWholeStrip) {
  ASSERT_TRUE(testing_support::headlessGl());
  NGcomp::tunnel& tube = *new NGcomp::tunnel("drawn", 50, 300, 25, 8);
  tube.buildGeometry();
  EXPECT_EQ(tube.drawnStrip->vertexSlot.elements, 50 * 4 * 3);
  for (const bool culled : {false, true}) {
    const std::vector<uint8_t> whole = coverage(*tube.arrays, tube.vertexTotal, culled);
    const std::vector<uint8_t> drawn =
        coverage(*tube.drawnStrip, tube.drawnStrip->vertexSlot.elements / 3, culled);
    int differing = 0;
    int covered = 0;
    int twice = 0;
    for (size_t i = 0; i < whole.size(); i += 4) {
      if (whole[i] != drawn[i]) ++differing;
      if (whole[i] > 0) ++covered;
      if (whole[i] > 100) ++twice;
    }
    EXPECT_EQ(differing, 0) << (culled ? "culled" : "not culled");
    EXPECT_GT(covered, 500000) << (culled ? "culled" : "not culled");
    if (!culled) {
      EXPECT_GT(twice, 1000) << "the view shows no pixel drawn twice";
    }
  }
  glEnable(GL_CULL_FACE);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(Tunnel, LoadMakesTheActivityGroupAndAnInactiveTubeBuildsNothing) {
  usePack({{"script/sync_asleep.bind.track", constantTrack(0.0f)}});
  auto* tube = new NGcomp::tunnel("asleep", 6, 10, 5, 1);
  tube->load();
  ASSERT_NE(tube->bindGroup, nullptr);
  EXPECT_FALSE(tube->isActive());
  tube->buildGeometry();
  for (float value : tube->positions) ASSERT_EQ(value, 0.0f);
}

}  // namespace
