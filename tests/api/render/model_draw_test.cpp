#include "api/render/light_state.h"
#include "api/render/model.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/texture/registry.h"
#include "engine/errors.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using testing_support::pixelAt;
using testing_support::rgba;

void solidGenerator(FWtexture::bitmap& target, int32_t colour) {
  target.width = 2;
  target.height = 2;
  target.channels = 3;
  target.pixels = static_cast<uint8_t*>(std::malloc(12));
  for (int p = 0; p < 4; ++p) {
    target.pixels[3 * p] = static_cast<uint8_t>(colour >> 16);
    target.pixels[3 * p + 1] = static_cast<uint8_t>(colour >> 8);
    target.pixels[3 * p + 2] = static_cast<uint8_t>(colour);
  }
}

// A loaded 2 x 2 texture of one colour (0xRRGGBB).
std::unique_ptr<FWrender::texture> solidTexture(const std::string& name, int32_t colour) {
  FWtexture::textureGenerators[name] = {solidGenerator, colour};
  auto made = std::make_unique<FWrender::texture>();
  made->name = name;
  made->load();
  FWtexture::textureGenerators.erase(name);
  return made;
}

// A square from (x0, y0) to (x1, y1) in the z = 0 plane, facing +z.
void addSquare(FWrender::model& target, float x0, float y0, float x1, float y1) {
  const auto base = static_cast<uint16_t>(target.vertices.size());
  target.vertices.insert(target.vertices.end(), {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}});
  const uint16_t faces[6] = {base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2),
                             base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)};
  FWrender::addFaces(faces, 2, target);
  const float uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  FWrender::addTexcoords(4, uv, target);
}

bool isColour(rgba pixel, int r, int g, int b) {
  return std::abs(pixel.r - r) <= 2 && std::abs(pixel.g - g) <= 2 && std::abs(pixel.b - b) <= 2;
}

class ModelDraw : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
    gfx::clearScreen(0, 0, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gfx::polygonCount = 0;
    gfx::vertexCount = 0;
  }
  void TearDown() override {
    testing_support::resetGlBetweenTests();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  static void drawModel(FWrender::model& target) {
    FWrender::enableArrays(*target.arrays);
    FWrender::draw(target);
    FWrender::disableArrays(*target.arrays);
  }
};

TEST_F(ModelDraw, AModelWithoutGroupsDrawsWholeAndCountsItsIndices) {
  FWrender::model squares;
  for (int n = 0; n < 6; ++n) addSquare(squares, -1 + n * 0.1f, -1, -0.95f + n * 0.1f, -0.9f);
  addSquare(squares, -0.5f, -0.5f, 0.5f, 0.5f);
  squares.transform.translate(0.25f, 0, 0);
  FWrender::build(squares);
  glColor4f(0, 1, 0, 1);
  drawModel(squares);
  EXPECT_EQ(gfx::polygonCount, 14 * 3);
  EXPECT_EQ(gfx::vertexCount, 28);
  // The square spans x -0.25 .. 0.75 after its transform: pixels 384 .. 895.
  EXPECT_TRUE(isColour(pixelAt(400, 384), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(890, 384), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(370, 384), 0, 0, 0));
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, 1);
}

TEST_F(ModelDraw, EachGroupDrawsItsFacesWithItsOwnTextureAndCountsTheVerticesAgain) {
  auto red = solidTexture("model-draw-red", 0xFF0000);
  auto blue = solidTexture("model-draw-blue", 0x0000FF);
  FWrender::model pair;
  addSquare(pair, -1, -1, 0, 1);
  addSquare(pair, 0, -1, 1, 1);
  const uint16_t left[2] = {0, 1};
  const uint16_t right[2] = {2, 3};
  const uint16_t none[1] = {0};
  FWrender::setGroupFaces(*pair.groups[FWrender::addGroup(pair)], left, 2);
  FWrender::setGroupFaces(*pair.groups[FWrender::addGroup(pair)], right, 2);
  FWrender::setGroupFaces(*pair.groups[FWrender::addGroup(pair)], none, 0);
  pair.groups[0]->layers[0] = red.get();
  pair.groups[1]->layers[0] = blue.get();
  FWrender::build(pair);
  drawModel(pair);
  EXPECT_TRUE(isColour(pixelAt(200, 384), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(800, 384), 0, 0, 255));
  EXPECT_EQ(gfx::polygonCount, 12);
  EXPECT_EQ(gfx::vertexCount, 3 * 8);
  // Unbinding left the default texture on unit 0.
  ext::glActiveTextureARB(GL_TEXTURE0);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::defaultTexture);
}

TEST_F(ModelDraw, AGroupWithoutATextureOnUnitZeroShowsTheDefaultTexture) {
  auto red = solidTexture("model-draw-red-2", 0xFF0000);
  red->bind();  // left over from an earlier draw
  FWrender::MaterialGroup group;
  FWrender::bindGroup(group);
  GLint bound = 0;
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::defaultTexture);
  FWrender::unbindGroup(group);
}

TEST_F(ModelDraw, LayersLoadTheirTextureMatricesOnTheirOwnUnits) {
  ASSERT_GE(gfx::maxTextureUnits, 2);
  auto first = solidTexture("model-draw-first", 0x808080);
  auto second = solidTexture("model-draw-second", 0x404040);
  first->scale[0] = 2;
  second->offset[1] = 0.5f;
  second->unit = 5;  // binding puts it on its layer's unit
  FWrender::MaterialGroup group;
  group.layers[0] = first.get();
  group.layers[1] = second.get();
  FWrender::bindGroup(group);
  EXPECT_EQ(second->unit, 1);
  float m[16];
  ext::glActiveTextureARB(GL_TEXTURE0);
  glGetFloatv(GL_TEXTURE_MATRIX, m);
  EXPECT_EQ(m[0], 2.0f);
  EXPECT_EQ(m[13], 0.0f);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), first->glId);
  ext::glActiveTextureARB(GL_TEXTURE1);
  glGetFloatv(GL_TEXTURE_MATRIX, m);
  EXPECT_EQ(m[0], 1.0f);
  EXPECT_EQ(m[13], 0.5f);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), second->glId);
  FWrender::unbindGroup(group);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
}

TEST_F(ModelDraw, MaterialAndLightShadeTheModel) {
  FWrender::model square;
  addSquare(square, -1, -1, 1, 1);
  FWrender::addGroup(square);
  const uint16_t both[2] = {0, 1};
  FWrender::setGroupFaces(*square.groups[0], both, 2);
  FWrender::material redSurface;
  redSurface.diffuse[1] = 0;
  redSurface.diffuse[2] = 0;
  square.groups[0]->material = &redSurface;
  FWrender::build(square);

  FWrender::LightState light;
  light.kind = 1;  // directional, from +z
  light.direction[2] = 1;
  FWrender::applyLight(light, 0);
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  drawModel(square);
  EXPECT_TRUE(isColour(pixelAt(512, 384), 255, 0, 0));
  // The group's material was reset to white afterwards.
  float diffuse[4];
  glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
  EXPECT_EQ(diffuse[1], 1.0f);
}

TEST_F(ModelDraw, DrawingBeforeBuildIsAnError) {
  FWrender::model unbuilt;
  addSquare(unbuilt, 0, 0, 1, 1);
  try {
    FWrender::draw(unbuilt);
    ADD_FAILURE() << "no error";
  } catch (int code) {
    EXPECT_EQ(code, errorCode::modelNotBuilt);
  }
  EXPECT_EQ(gfx::polygonCount, 0);
}

TEST(LightState, DefaultsGiveABlackLightAtTheOriginWithWhiteDiffuse) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::resetState();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  FWrender::LightState light;
  FWrender::applyLight(light, 1);
  float value[4];
  glGetLightfv(GL_LIGHT1, GL_POSITION, value);
  EXPECT_EQ(value[0], 0.0f);
  EXPECT_EQ(value[3], 0.0f);
  glGetLightfv(GL_LIGHT1, GL_DIFFUSE, value);
  EXPECT_EQ(value[0], 1.0f);
  glGetLightfv(GL_LIGHT1, GL_AMBIENT, value);
  EXPECT_EQ(value[0], 0.0f);
  EXPECT_EQ(value[3], 1.0f);
  glGetLightfv(GL_LIGHT1, GL_SPECULAR, value);
  EXPECT_EQ(value[1], 0.0f);

  // A positional light goes through the modelview matrix.
  light.position[0] = 1;
  light.position[3] = 1;
  light.attenuationOn = 1;
  light.constantAttenuation = 0.5f;
  glTranslatef(0, 2, 0);
  FWrender::applyLight(light, 1);
  glGetLightfv(GL_LIGHT1, GL_POSITION, value);
  EXPECT_EQ(value[0], 1.0f);
  EXPECT_EQ(value[1], 2.0f);
  EXPECT_EQ(value[3], 1.0f);
  glGetLightfv(GL_LIGHT1, GL_CONSTANT_ATTENUATION, value);
  EXPECT_EQ(value[0], 0.5f);
  glLoadIdentity();

  // Spot cutoffs OpenGL refuses become 180 (no cone).
  light.kind = 2;
  light.direction[2] = -1;
  light.cutoff = 45;
  FWrender::applyLight(light, 1);
  glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, value);
  EXPECT_EQ(value[0], 45.0f);
  glGetLightfv(GL_LIGHT1, GL_SPOT_DIRECTION, value);
  EXPECT_EQ(value[2], -1.0f);
  light.cutoff = 120;
  FWrender::applyLight(light, 1);
  glGetLightfv(GL_LIGHT1, GL_SPOT_CUTOFF, value);
  EXPECT_EQ(value[0], 180.0f);

  // Light numbers the driver does not have are ignored.
  FWrender::applyLight(light, gfx::maxLights);
  FWrender::applyLight(light, -1);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  gfx::resetState();
}

}  // namespace
