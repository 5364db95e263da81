#include "engine/components/model.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/model.h"
#include "api/texture/package_loader.h"
#include "api/texture/registry.h"
#include "engine/item.h"
#include "support/headless_gl.h"
#include "support/image_files.h"
#include "support/rocket_fixture.h"
#include "support/three_ds_writer.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

// Texture names the loader was asked for, in order.
std::vector<std::string> textureRequests;

void countingLoader(const char* name, int32_t& flag, std::unique_ptr<FWtexture::bitmap>& result) {
  textureRequests.emplace_back(name);
  FWtexture::packageTextureLoader(name, flag, result);
}

// A square from (x0, y0) to (x1, y1) at z = 0, facing +z, as a 3DS object.
meshSpec squareObject(const std::string& name, float x0, float y0, float x1, float y1) {
  meshSpec square;
  square.name = name;
  square.vertices = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
  square.faces = {{0, 1, 2}, {0, 2, 3}};
  square.mapping = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  return square;
}

// The same square as a mesh record for a plain model.
std::unique_ptr<FWrender::model> squareMesh(float x0, float y0, float x1, float y1) {
  auto square = std::make_unique<FWrender::model>();
  square->vertices = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
  const uint16_t faces[6] = {0, 1, 2, 0, 2, 3};
  FWrender::addFaces(faces, 2, *square);
  return square;
}

// A first texture map naming `file`.
mapSpec textureMap(const std::string& file) {
  mapSpec map;
  map.file = file;
  return map;
}

std::string pngOf(const std::vector<uint8_t>& colour) {
  return pngFile(4, 4, 3, solidPixels(4, 4, colour));
}

bool isColour(rgba pixel, int r, int g, int b) {
  return std::abs(pixel.r - r) <= 3 && std::abs(pixel.g - g) <= 3 && std::abs(pixel.b - b) <= 3;
}

GLint modelviewDepth() {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return depth;
}

// Draws in an orthographic -1 .. 1 square with lighting off.
class ModelComponent : public rocketTest {
 protected:
  void SetUp() override {
    rocketTest::SetUp();
    ASSERT_TRUE(headlessGl());
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
    savedLoader_ = FWtexture::textureLoader;
    FWtexture::textureLoader = countingLoader;
    textureRequests.clear();
  }
  void TearDown() override {
    FWtexture::textureLoader = savedLoader_;
    NGcommon::deleteAllItems();
    testing_support::resetGlBetweenTests();
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rocketTest::TearDown();
  }

  FWtexture::loaderHook savedLoader_ = nullptr;
};

TEST_F(ModelComponent, PlainModelBuildsItsFirstMeshAndDrawsItUnderItsTransform) {
  auto* plain = new NGcomp::model("plain");
  EXPECT_EQ(plain->kind, 0);
  plain->bindable = false;
  plain->meshes.push_back(squareMesh(-0.5f, -0.5f, 0.5f, 0.5f));
  plain->meshCount = 1;
  plain->transform.translate(0.5f, 0, 0);
  plain->load();
  ASSERT_TRUE(plain->meshes[0]->arrays);
  EXPECT_EQ(plain->meshes[0]->normals.size(), 4u);
  glColor4f(0, 1, 0, 1);
  plain->draw();
  // x 0 .. 1 after the transform: the right half of the picture.
  EXPECT_TRUE(isColour(pixelAt(600, 384), 0, 255, 0));
  EXPECT_TRUE(isColour(pixelAt(400, 384), 0, 0, 0));
  EXPECT_EQ(gfx::polygonCount, 6);
  EXPECT_EQ(gfx::vertexCount, 4);
  EXPECT_EQ(modelviewDepth(), 1);
}

TEST_F(ModelComponent, PlainModelWithoutMeshesLoadsAndDrawsNothing) {
  auto* empty = new NGcomp::model("empty");
  empty->bindable = false;
  empty->load();
  empty->draw();
  EXPECT_EQ(gfx::polygonCount, 0);
  EXPECT_EQ(modelviewDepth(), 1);
  EXPECT_EQ(thrownCode([&] { empty->beginPart(0); }), 3);
}

TEST_F(ModelComponent, AMeshThatWasNeverBuiltIsReportedNotDrawn) {
  auto* plain = new NGcomp::model("plain");
  plain->bindable = false;
  plain->meshes.push_back(squareMesh(-1, -1, 0, 0));
  plain->meshes.push_back(squareMesh(0, 0, 1, 1));
  plain->meshCount = 2;
  plain->load();  // builds the first record only
  EXPECT_FALSE(plain->meshes[1]->arrays);
  EXPECT_EQ(thrownCode([&] { plain->beginPart(1); }), 2564);
  EXPECT_EQ(modelviewDepth(), 1);
}

TEST_F(ModelComponent, Model3dsReadsModelsFolderBuildsMeshesAndLoadsTextures) {
  materialSpec red;
  red.name = "Red";
  red.maps = {textureMap("component-red.png")};
  meshSpec left = squareObject("Left", -1, -1, 0, 1);
  left.groups = {{"Red", {0, 1}}};
  meshSpec right = squareObject("Right", 0, -1, 1, 1);
  right.groups = {{"Plain", {0, 1}}};
  usePack({{"models/pair.3ds", serialise(file3ds({red}, {left, right}))},
           {"textures/component-red.png", pngOf({255, 0, 0})},
           {"script/sync_pair.bind.track", constantTrack(1.0f)}});
  auto* pair = new NGcomp::model3ds("pair.3ds", "pair");
  EXPECT_EQ(pair->kind, 10);
  EXPECT_EQ(pair->fileName, "pair.3ds");
  pair->load();
  ASSERT_EQ(pair->meshCount, 2);
  EXPECT_EQ(pair->meshes[0]->name, "Left");
  EXPECT_EQ(pair->meshes[1]->name, "Right");
  EXPECT_EQ(textureRequests, (std::vector<std::string>{"component-red.png"}));
  FWrender::texture* layer = pair->meshes[0]->groups[0]->layers[0];
  ASSERT_NE(layer, nullptr);
  EXPECT_NE(layer->glId, 0u);
  for (const auto& mesh : pair->meshes) {
    ASSERT_TRUE(mesh->arrays);
    EXPECT_EQ(mesh->groups[0]->groupFaces.size(), 2u);  // built once
  }
  ASSERT_NE(pair->bindGroup, nullptr);

  pair->draw();
  EXPECT_TRUE(isColour(pixelAt(256, 384), 255, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(768, 384), 255, 255, 255));
  EXPECT_EQ(modelviewDepth(), 1);
}

TEST_F(ModelComponent, PartsDrawOneMeshUnderTheTransformAndCheckTheIndex) {
  usePack({{"models/pair.3ds", serialise(file3ds({}, {squareObject("Left", -1, -1, 0, 1),
                                                      squareObject("Right", 0, -1, 1, 1)}))},
           {"script/sync_parts.bind.track", constantTrack(1.0f)}});
  auto* pair = new NGcomp::model3ds("pair.3ds", "parts");
  pair->load();
  EXPECT_TRUE(textureRequests.empty());  // no texture maps, no requests
  pair->transform.translate(0, 0.5f, 0);

  glColor4f(0, 0, 1, 1);
  pair->beginPart(1);
  EXPECT_EQ(modelviewDepth(), 2);
  pair->drawPart(1);
  pair->endPart(1);
  EXPECT_EQ(modelviewDepth(), 1);
  // Only the right square, moved up by a quarter of the picture.
  EXPECT_TRUE(isColour(pixelAt(768, 300), 0, 0, 255));
  EXPECT_TRUE(isColour(pixelAt(768, 700), 0, 0, 0));
  EXPECT_TRUE(isColour(pixelAt(256, 300), 0, 0, 0));

  EXPECT_EQ(thrownCode([&] { pair->beginPart(-1); }), 3);
  EXPECT_EQ(thrownCode([&] { pair->beginPart(2); }), 3);
  EXPECT_EQ(modelviewDepth(), 1);
}

TEST_F(ModelComponent, InactiveModelDrawsNothingAndItsPartsStayBalanced) {
  usePack({{"models/one.3ds", serialise(file3ds({}, {squareObject("All", -1, -1, 1, 1)}))},
           {"script/sync_sleeper.bind.track", constantTrack(0.7f)}});
  auto* sleeper = new NGcomp::model3ds("one.3ds", "sleeper");
  sleeper->load();
  glColor4f(1, 1, 1, 1);
  sleeper->draw();
  EXPECT_EQ(thrownCode([&] {
              sleeper->beginPart(-1);
              sleeper->beginPart(5);
              sleeper->beginPart(0);
              EXPECT_EQ(modelviewDepth(), 1);
              sleeper->drawPart(0);
              sleeper->endPart(0);
            }),
            0);
  EXPECT_EQ(modelviewDepth(), 1);
  EXPECT_TRUE(isColour(pixelAt(512, 384), 0, 0, 0));
  EXPECT_EQ(gfx::polygonCount, 0);
}

TEST_F(ModelComponent, LoadFailuresCarryTheirCodes) {
  usePack({{"models/garbage.3ds", std::string(64, 'x')},
           {"models/needs.3ds",
            serialise(file3ds({{"Skin", {}, {}, {}, {}, {}, {textureMap("component-absent.png")}}},
                              {[] {
                                meshSpec square = squareObject("S", 0, 0, 1, 1);
                                square.groups = {{"Skin", {0, 1}}};
                                return square;
                              }()}))}});
  EXPECT_EQ(thrownCode([] { (new NGcomp::model3ds("absent.3ds", "a"))->load(); }), 258);
  EXPECT_EQ(thrownCode([] { (new NGcomp::model3ds("garbage.3ds", "g"))->load(); }), 2305);
  EXPECT_EQ(thrownCode([] { (new NGcomp::model3ds("needs.3ds", "n"))->load(); }), 258);
  EXPECT_EQ(textureRequests, (std::vector<std::string>{"component-absent.png"}));
}

TEST_F(ModelComponent, GroupTexturesLoadFromUnitZeroUpToTheFirstGap) {
  ASSERT_GE(gfx::maxTextureUnits, 3);
  usePack({{"textures/component-first.png", pngOf({0, 255, 0})},
           {"textures/component-second.png", pngOf({0, 0, 255})}});
  FWrender::model mesh;
  FWrender::addGroup(mesh);
  FWrender::texture first;
  first.name = "component-first.png";
  FWrender::texture third;
  third.name = "component-third.png";  // not in the package: never asked for
  mesh.groups[0]->layers[0] = &first;
  mesh.groups[0]->layers[2] = &third;
  NGcomp::loadMeshTextures(mesh);
  EXPECT_NE(first.glId, 0u);
  EXPECT_EQ(third.glId, 0u);
  EXPECT_EQ(textureRequests, (std::vector<std::string>{"component-first.png"}));

  // No further than the texture units OpenGL reports.
  const int32_t savedUnits = gfx::maxTextureUnits;
  FWrender::texture second;
  second.name = "component-second.png";
  FWrender::MaterialGroup& group = *mesh.groups[FWrender::addGroup(mesh)];
  group.layers[0] = &second;
  group.layers[1] = &third;
  gfx::maxTextureUnits = 1;
  textureRequests.clear();
  const int code = thrownCode([&] { NGcomp::loadMeshTextures(mesh); });
  gfx::maxTextureUnits = savedUnits;
  EXPECT_EQ(code, 0);
  EXPECT_NE(second.glId, 0u);
  EXPECT_EQ(textureRequests, (std::vector<std::string>{"component-second.png"}));
}

}  // namespace
