#include "api/model/particles.h"
#include "api/model/point_sprite.h"
#include "api/model/skybox_cube.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/render/texture.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using testing_support::pixelAt;
using testing_support::rgba;

bool isColour(rgba pixel, int r, int g, int b, int tolerance = 3) {
  return std::abs(pixel.r - r) <= tolerance && std::abs(pixel.g - g) <= tolerance &&
         std::abs(pixel.b - b) <= tolerance;
}

// A texture made straight from RGB pixels (first row first), nearest
// filtered, outside the cache.
std::unique_ptr<FWrender::texture> rgbTexture(int width, int height,
                                              const std::vector<uint8_t>& pixels) {
  auto made = std::make_unique<FWrender::texture>();
  made->params.width = width;
  made->params.height = height;
  made->params.channels = 3;
  made->params.magFilter = made->params.minFilter = 1;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  made->glId = gfx::createTexture(made->params, pixels.data());
  return made;
}

// Red, green on the first row; blue, yellow on the second.
std::unique_ptr<FWrender::texture> quartersTexture() {
  return rgbTexture(2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0});
}

struct screenPoint {
  int x, y;  // from the top-left
};

// Where a view-space point lands in the window.
screenPoint viewToScreen(float x, float y, float z) {
  double model[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  double projection[16];
  GLint viewport[4];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double wx = 0, wy = 0, wz = 0;
  gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
  return {static_cast<int>(std::lround(wx)),
          testing_support::kContextHeight - static_cast<int>(std::lround(wy))};
}

// Where a world point lands with the current modelview.
screenPoint worldToScreen(float x, float y, float z) {
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  return viewToScreen(m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
                      m[2] * x + m[6] * y + m[10] * z + m[14]);
}

struct stackDepths {
  GLint modelview, projection, attributes, matrixMode;
  bool operator==(const stackDepths& other) const {
    return modelview == other.modelview && projection == other.projection &&
           attributes == other.attributes && matrixMode == other.matrixMode;
  }
};

stackDepths currentDepths() {
  stackDepths depths{};
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depths.modelview);
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depths.projection);
  glGetIntegerv(GL_ATTRIB_STACK_DEPTH, &depths.attributes);
  glGetIntegerv(GL_MATRIX_MODE, &depths.matrixMode);
  return depths;
}

// A perspective camera 20 units up the z axis looking at the origin, with
// depth testing on.
class Billboards : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
    gfx::clearScreen(0, 0, 0);
    lookFrom(0, 0, 20);
    gfx::polygonCount = 0;
    gfx::vertexCount = 0;
  }
  void TearDown() override {
    testing_support::resetGlBetweenTests();
    glDepthMask(GL_TRUE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  static void lookFrom(float x, float y, float z) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gfx::perspective(3.0f, 800.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(x, y, z, 0, 0, 0, 0, 1, 0);
  }

  // An opaque square of one colour in the plane z = `z`, with depth.
  static void solidSquare(float half, float z, float r, float g, float b) {
    glColor3f(r, g, b);
    glBegin(GL_QUADS);
    glVertex3f(-half, -half, z);
    glVertex3f(half, -half, z);
    glVertex3f(half, half, z);
    glVertex3f(-half, half, z);
    glEnd();
  }
};

TEST_F(Billboards, APointSpriteFacesTheCameraUprightAtItsPosition) {
  lookFrom(14, 3, 14);  // an oblique camera: a world-space square would be skewed
  auto quarters = quartersTexture();
  FWmodel::pointsprite sprite;
  sprite.setTexture(quarters.get());
  sprite.position[0] = 1;
  sprite.position[1] = -2;
  sprite.position[2] = 0.5f;
  sprite.halfWidth = 3;
  sprite.halfHeight = 2;
  const screenPoint centre = worldToScreen(1, -2, 0.5f);
  sprite.draw();

  // The same point in view space, so the corners can be found on screen.
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  const float vx = m[0] * 1 + m[4] * -2 + m[8] * 0.5f + m[12];
  const float vy = m[1] * 1 + m[5] * -2 + m[9] * 0.5f + m[13];
  const float vz = m[2] * 1 + m[6] * -2 + m[10] * 0.5f + m[14];
  const screenPoint topLeft = viewToScreen(vx - 3, vy + 2, vz);
  const screenPoint bottomRight = viewToScreen(vx + 3, vy - 2, vz);
  // The texture's first row is at the top, its first column on the left.
  EXPECT_TRUE(isColour(pixelAt(topLeft.x + 4, topLeft.y + 4), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(bottomRight.x - 4, topLeft.y + 4), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(topLeft.x + 4, bottomRight.y - 4), 0, 0, 255));
  EXPECT_TRUE(isColour(pixelAt(bottomRight.x - 4, bottomRight.y - 4), 255, 255, 0));
  // An axis-aligned rectangle: nothing just outside its corners.
  EXPECT_TRUE(isColour(pixelAt(topLeft.x - 3, topLeft.y + 4), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(topLeft.x + 4, topLeft.y - 3), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(bottomRight.x + 3, bottomRight.y - 4), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(bottomRight.x - 4, bottomRight.y + 3), 0, 0, 0));
  EXPECT_GT(bottomRight.x - topLeft.x, 100);
  EXPECT_NEAR((topLeft.x + bottomRight.x) / 2, centre.x, 1);
  EXPECT_NEAR((topLeft.y + bottomRight.y) / 2, centre.y, 1);
}

TEST_F(Billboards, DrawingRestoresTheStateItChanges) {
  FWmodel::particles cloud;
  cloud.addParticle();
  glMatrixMode(GL_PROJECTION);
  const stackDepths before = currentDepths();
  float modelview[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
  ASSERT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  ASSERT_FALSE(glIsEnabled(GL_BLEND));

  cloud.draw();
  cloud.drawFlat();
  static_cast<FWmodel::pointsprite&>(cloud).pointsprite::draw();

  EXPECT_TRUE(currentDepths() == before);
  float after[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, after);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(after[i], modelview[i]);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, GL_TRUE);
  glMatrixMode(GL_MODELVIEW);
}

TEST_F(Billboards, AParticleBehindGeometryStillShowsAndWritesNoDepth) {
  // A red wall at z = 0, with depth, in front of the particle at z = -10.
  solidSquare(4, 0, 1, 0, 0);
  FWmodel::particles cloud;
  const int32_t hidden = cloud.addParticle();
  cloud.positions[hidden] = {0, 0, -10};
  // A second particle in front of everything, off the wall.
  const int32_t front = cloud.addParticle();
  cloud.positions[front] = {7, 0, 5};
  cloud.draw();
  const screenPoint behind = worldToScreen(0, 0, -10);
  const screenPoint before = worldToScreen(7, 0, 5);
  EXPECT_TRUE(isColour(pixelAt(behind.x, behind.y), 255, 255, 255));
  EXPECT_TRUE(isColour(pixelAt(before.x, before.y), 255, 255, 255));

  // A blue wall behind the front particle covers it: the particle left the
  // depth buffer as it was.
  glDepthFunc(GL_LESS);
  solidSquare(30, 0, 0, 0, 1);
  EXPECT_TRUE(isColour(pixelAt(before.x, before.y), 0, 0, 255));
  glDepthFunc(GL_LEQUAL);
}

TEST_F(Billboards, ParticlesBlendInIndexOrderInTheirOwnColours) {
  FWmodel::particles cloud;
  const int32_t first = cloud.addParticle();
  const int32_t second = cloud.addParticle();
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  cloud.colors[first] = {1, 0, 0, 1};
  cloud.colors[second] = {0, 1, 0, 0.5f};
  cloud.positions[second] = {1, 0, 0};  // overlaps the first on its right half
  cloud.sizes[second] = 1.5f;
  cloud.draw();
  const screenPoint left = worldToScreen(-0.8f, 0, 0);
  const screenPoint overlap = worldToScreen(0.5f, 0, 0);
  const screenPoint right = worldToScreen(2.3f, 0, 0);
  EXPECT_TRUE(isColour(pixelAt(left.x, left.y), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(overlap.x, overlap.y), 128, 128, 0));
  EXPECT_TRUE(isColour(pixelAt(right.x, right.y), 0, 128, 0));
  EXPECT_EQ(gfx::polygonCount, 4);
  EXPECT_EQ(gfx::vertexCount, 8);
}

TEST_F(Billboards, ParticlesShowTheirOwnTextureRectangles) {
  auto quarters = quartersTexture();
  FWmodel::particles cloud;
  cloud.setTexture(quarters.get());
  const int32_t green = cloud.addParticle();
  cloud.positions[green] = {-3, 0, 0};
  cloud.texRects[green] = {0.5f, 0, 1, 0.5f};
  const int32_t blue = cloud.addParticle();
  cloud.positions[blue] = {3, 0, 0};
  cloud.texRects[blue] = {0, 0.5f, 0.5f, 1};
  cloud.draw();
  const screenPoint a = worldToScreen(-3, 0, 0);
  const screenPoint b = worldToScreen(3, 0, 0);
  EXPECT_TRUE(isColour(pixelAt(a.x, a.y), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(b.x, b.y), 0, 0, 255));
}

TEST_F(Billboards, DrawFlatLiesInTheWorldAndIgnoresTheColours) {
  glRotatef(60, 0, 1, 0);  // the world turned: flat squares are foreshortened
  FWmodel::particles cloud;
  const int32_t only = cloud.addParticle();
  cloud.sizes[only] = 2;
  cloud.colors[only] = {1, 0, 0, 0};  // transparent red: drawFlat paints opaque white
  const screenPoint centre = worldToScreen(0, 0, 0);
  const screenPoint facingEdge = viewToScreen(1.6f, 0, -20);
  cloud.drawFlat();
  EXPECT_EQ(gfx::polygonCount, 2);
  EXPECT_EQ(gfx::vertexCount, 4);
  EXPECT_TRUE(isColour(pixelAt(centre.x, centre.y), 255, 255, 255));
  // cos 60 halves the flat square's width on screen.
  EXPECT_TRUE(isColour(pixelAt(facingEdge.x, facingEdge.y), 0, 0, 0));

  gfx::clearScreen(0, 0, 0);
  cloud.colors[only] = {1, 1, 1, 1};
  cloud.draw();  // camera-facing: full width
  EXPECT_TRUE(isColour(pixelAt(facingEdge.x, facingEdge.y), 255, 255, 255));
}

TEST_F(Billboards, AnEmptyParticleSetDrawsNothing) {
  FWmodel::particles cloud;
  const stackDepths before = currentDepths();
  cloud.draw();
  cloud.drawFlat();
  EXPECT_TRUE(currentDepths() == before);
  EXPECT_EQ(gfx::polygonCount, 0);
  EXPECT_EQ(gfx::vertexCount, 0);
  for (int x = 0; x < 1024; x += 64) {
    for (int y = 0; y < 768; y += 64) ASSERT_TRUE(isColour(pixelAt(x, y), 0, 0, 0));
  }
}

TEST_F(Billboards, ParticlesStartWithDefaultsAndTextureSlotsIgnoreUnknownUnits) {
  FWmodel::particles cloud;
  EXPECT_FALSE(cloud.holds(0));
  EXPECT_EQ(cloud.addParticle(), 0);
  EXPECT_EQ(cloud.addParticle(), 1);
  EXPECT_TRUE(cloud.holds(1));
  EXPECT_FALSE(cloud.holds(2));
  EXPECT_FALSE(cloud.holds(-1));
  EXPECT_EQ(cloud.positions[1], (std::array<float, 3>{0, 0, 0}));
  EXPECT_EQ(cloud.texRects[1], (std::array<float, 4>{0, 0, 1, 1}));
  EXPECT_EQ(cloud.sizes[1], 1.0f);
  EXPECT_EQ(cloud.colors[1], (std::array<float, 4>{1, 1, 1, 1}));

  FWrender::texture one;
  FWrender::texture two;
  const int32_t units = gfx::maxTextureUnits;
  ASSERT_GE(units, 2);
  EXPECT_EQ(cloud.setTexture(1, &one), 1);
  cloud.setTexture(&two);
  EXPECT_EQ(cloud.getTexture(1), &one);
  EXPECT_EQ(cloud.getTexture(), &two);
  EXPECT_EQ(cloud.setTexture(units, &one), units);
  EXPECT_EQ(cloud.getTexture(units), nullptr);
  EXPECT_EQ(cloud.setTexture(-1, &one), -1);
  EXPECT_EQ(cloud.getTexture(-1), nullptr);
}

TEST_F(Billboards, EachTextureTransformsItsOwnUnit) {
  auto quarters = quartersTexture();
  quarters->scale[0] = 0.5f;   // only the right half of the texture
  quarters->offset[0] = 0.5f;
  quarters->unit = 3;          // drawing puts it on the unit it sits in
  FWmodel::pointsprite sprite;
  sprite.setTexture(quarters.get());
  sprite.halfWidth = sprite.halfHeight = 2;
  sprite.draw();
  EXPECT_EQ(quarters->unit, 0);
  const screenPoint topLeft = worldToScreen(-1.5f, 1.5f, 0);
  const screenPoint bottomLeft = worldToScreen(-1.5f, -1.5f, 0);
  EXPECT_TRUE(isColour(pixelAt(topLeft.x, topLeft.y), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(bottomLeft.x, bottomLeft.y), 255, 255, 0));
}

// The skybox cube seen from inside, one colour per face texture.
class SkyboxCube : public Billboards {
 protected:
  void SetUp() override {
    Billboards::SetUp();
    static const uint8_t colours[6][3] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                          {255, 255, 0}, {0, 255, 255}, {255, 0, 255}};
    for (int face = 0; face < 6; ++face) {
      std::vector<uint8_t> pixels;
      for (int p = 0; p < 4; ++p) pixels.insert(pixels.end(), colours[face], colours[face] + 3);
      faces[face] = rgbTexture(2, 2, pixels);
      cube.faces[face] = faces[face].get();
      expected[face] = {colours[face][0], colours[face][1], colours[face][2], 255};
    }
  }
  std::unique_ptr<FWrender::texture> faces[6];
  rgba expected[6];
  FWmodel::skyboxCube cube;
};

TEST_F(SkyboxCube, EachViewDirectionSeesItsFaceWhereverTheEyeIs) {
  struct direction {
    float x, y, z, upX, upY, upZ;
    int face;
  };
  const direction looks[] = {{0, 0, -1, 0, 1, 0, 1}, {0, 0, 1, 0, 1, 0, 0},
                             {0, 1, 0, 0, 0, 1, 4},  {0, -1, 0, 0, 0, 1, 5},
                             {1, 0, 0, 0, 1, 0, 3},  {-1, 0, 0, 0, 1, 0, 2}};
  for (const direction& look : looks) {
    SCOPED_TRACE(look.face);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // Far from the origin: only the camera's rotation matters.
    gluLookAt(300, -40, 500, 300 + look.x, -40 + look.y, 500 + look.z, look.upX, look.upY,
              look.upZ);
    gfx::clearScreen(0, 0, 0);
    FWmodel::drawSkyboxCube(cube);
    const rgba centre = pixelAt(512, 384);
    EXPECT_TRUE(isColour(centre, expected[look.face].r, expected[look.face].g,
                         expected[look.face].b))
        << int(centre.r) << "," << int(centre.g) << "," << int(centre.b);
    // The whole picture is sky: the corners show faces too.
    EXPECT_FALSE(isColour(pixelAt(2, 2), 0, 0, 0));
    EXPECT_FALSE(isColour(pixelAt(1021, 765), 0, 0, 0));
  }
  EXPECT_EQ(gfx::polygonCount, 6 * 36);
}

TEST_F(SkyboxCube, CoversWhatWasDrawnBeforeAndEndsWithDepthWritesOn) {
  solidSquare(2, 0, 1, 1, 1);
  glDepthMask(GL_FALSE);
  const stackDepths before = currentDepths();
  FWmodel::drawSkyboxCube(cube);
  EXPECT_TRUE(isColour(pixelAt(512, 384), expected[1].r, expected[1].g, expected[1].b));
  EXPECT_TRUE(currentDepths() == before);
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, GL_TRUE);
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(SkyboxCube, AFaceWithoutATextureShowsWhite) {
  cube.faces[1] = nullptr;
  FWmodel::drawSkyboxCube(cube);
  EXPECT_TRUE(isColour(pixelAt(512, 384), 255, 255, 255));
}

}  // namespace
