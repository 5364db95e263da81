#include "api/model/build_models.h"

#include "api/gl/extensions.h"
#include "engine/errors.h"
#include "support/three_ds_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace testing_support;
using modelList = std::vector<std::unique_ptr<FWrender::model>>;

modelList load(const chunk3ds& root) {
  const std::string text = serialise(root);
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  modelList models;
  EXPECT_EQ(FWmodel::buildModels(&parser, models), 1);
  return models;
}

int buildCode(const chunk3ds& root) {
  try {
    load(root);
  } catch (int code) {
    return code;
  }
  return 0;
}

meshSpec smoothCube(const std::string& name) {
  meshSpec cube = cubeMesh(name);
  cube.groups = {{"Any", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}}};
  cube.smoothing.assign(12, 1);
  return cube;
}

// Pretends a context with `units` texture units for the layer layout.
class BuildModels : public ::testing::Test {
 protected:
  void SetUp() override {
    savedUnits_ = gfx::maxTextureUnits;
    gfx::maxTextureUnits = 4;
  }
  void TearDown() override { gfx::maxTextureUnits = savedUnits_; }
  int32_t savedUnits_ = 0;
};

TEST_F(BuildModels, NoParserGivesZero) {
  modelList models;
  EXPECT_EQ(FWmodel::buildModels(nullptr, models), 0);
}

TEST_F(BuildModels, ObjectsWithoutFacesOrVerticesGiveNoModel) {
  meshSpec noFaces;
  noFaces.name = "Points";
  noFaces.vertices = {{0, 0, 0}, {1, 0, 0}};
  noFaces.withFaceList = false;
  meshSpec noVertices;
  noVertices.name = "Ghost";
  noVertices.withVertexList = false;
  noVertices.faces = {{0, 1, 2}};
  const modelList models = load(file3ds({}, {noFaces, cubeMesh("Box"), noVertices, cubeMesh("Two")}));
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0]->name, "Box");
  EXPECT_EQ(models[1]->name, "Two");
}

TEST_F(BuildModels, FacetedCubeGetsThreeVerticesPerFaceSmoothCubeSharesThem) {
  const modelList faceted = load(file3ds({}, {cubeMesh("Faceted")}));
  ASSERT_EQ(faceted.size(), 1u);
  EXPECT_EQ(faceted[0]->vertices.size(), 36u);
  ASSERT_EQ(faceted[0]->faces.size(), 12u);
  EXPECT_EQ(faceted[0]->faces[5], (FWrender::triangle{15, 16, 17}));
  // Face 5 of the cube is (0, 5, 4): its copies sit at 15, 16, 17.
  EXPECT_EQ(faceted[0]->vertices[16], (FWrender::vec3{1, 0, 1}));
  EXPECT_EQ(faceted[0]->texcoords.size(), 36u);
  EXPECT_EQ(faceted[0]->texcoords[20], (FWrender::vec2{0, 0}));

  const modelList smooth = load(file3ds({}, {smoothCube("Smooth")}));
  ASSERT_EQ(smooth.size(), 1u);
  EXPECT_EQ(smooth[0]->vertices.size(), 8u);
  EXPECT_EQ(smooth[0]->faces.size(), 12u);
  EXPECT_EQ(smooth[0]->faces[11], (FWrender::triangle{1, 7, 5}));
  EXPECT_EQ(smooth[0]->texcoords.size(), 8u);
}

TEST_F(BuildModels, MappingVIsFlipped) {
  meshSpec smooth = smoothCube("Smooth");
  smooth.mapping.assign(8, {0.25f, 0.75f});
  meshSpec faceted = cubeMesh("Faceted");
  faceted.mapping.assign(8, {0.5f, 0.0f});
  faceted.mapping[5] = {0.25f, 0.75f};
  const modelList models = load(file3ds({}, {smooth, faceted}));
  ASSERT_EQ(models.size(), 2u);
  EXPECT_EQ(models[0]->texcoords[3], (FWrender::vec2{0.25f, 0.25f}));
  // Faceted face 5 is (0, 5, 4): vertex 16 copies vertex 5.
  EXPECT_EQ(models[1]->texcoords[16], (FWrender::vec2{0.25f, 0.25f}));
  EXPECT_EQ(models[1]->texcoords[15], (FWrender::vec2{0.5f, 1.0f}));
}

TEST_F(BuildModels, ShortMappingListInSmoothModeLeavesTheRestAtZero) {
  meshSpec smooth = smoothCube("Smooth");
  smooth.mapping.assign(3, {0.5f, 0.5f});
  const modelList models = load(file3ds({}, {smooth}));
  ASSERT_EQ(models[0]->texcoords.size(), 8u);
  EXPECT_EQ(models[0]->texcoords[2], (FWrender::vec2{0.5f, 0.5f}));
  EXPECT_EQ(models[0]->texcoords[3], (FWrender::vec2{0.0f, 0.0f}));
}

TEST_F(BuildModels, OutOfRangeIndicesAreCodeThree) {
  meshSpec badFace = cubeMesh("Bad");
  badFace.faces[3] = {0, 1, 8};
  EXPECT_EQ(buildCode(file3ds({}, {badFace})), errorCode::badIndex);
  meshSpec badSmooth = smoothCube("BadSmooth");
  badSmooth.faces[3] = {0, 1, 8};
  EXPECT_EQ(buildCode(file3ds({}, {badSmooth})), errorCode::badIndex);
  meshSpec shortMapping = cubeMesh("ShortMapping");
  shortMapping.mapping.assign(4, {0, 0});
  EXPECT_EQ(buildCode(file3ds({}, {shortMapping})), errorCode::badIndex);
  meshSpec badGroup = cubeMesh("BadGroup");
  badGroup.groups = {{"M", {0, 12}}};
  EXPECT_EQ(buildCode(file3ds({}, {badGroup})), errorCode::badIndex);
}

TEST_F(BuildModels, FacetedObjectsAreLimitedToWhatSixteenBitIndicesAddress) {
  meshSpec big;
  big.name = "Big";
  big.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  big.faces.assign(21845, {0, 1, 2});
  const modelList fits = load(file3ds({}, {big}));
  ASSERT_EQ(fits.size(), 1u);
  EXPECT_EQ(fits[0]->faces.back(), (FWrender::triangle{65532, 65533, 65534}));
  big.faces.push_back({0, 1, 2});
  EXPECT_EQ(buildCode(file3ds({}, {big})), errorCode::badIndex);
}

TEST_F(BuildModels, GroupsGetTheLastMatchingMaterialAndItsMapsAsLayers) {
  materialSpec early;
  early.name = "Wood";
  early.diffuse = colourSpec{{0.1f, 0.1f, 0.1f}};
  materialSpec wood;
  wood.name = "Wood";
  wood.ambient = colourSpec{{0.1f, 0.2f, 0.3f}};
  wood.diffuse = colourSpec{{0.9f, 0.8f, 0.7f}};
  wood.specular = colourSpec{{0.5f, 0.5f, 0.5f}};
  wood.shininessPercent = 25;
  mapSpec first;
  first.file = "wood.jpg";
  first.uScale = 2.0f;
  first.vScale = 3.0f;
  first.uOffset = 0.25f;
  first.vOffset = 0.5f;
  first.angle = 45.0f;
  mapSpec second;
  second.id = 0xA204;
  second.file = "grain.png";
  wood.maps = {first, second};
  materialSpec stone;
  stone.name = "Stone";
  mapSpec stoneMap;
  stoneMap.file = "stone.png";
  stone.maps = {stoneMap};

  meshSpec box = cubeMesh("Box");
  box.groups = {{"Wood", {0, 1}}, {"Stone", {2}}, {"Missing", {3}}};
  const modelList models = load(file3ds({early, wood, stone}, {box}));
  ASSERT_EQ(models.size(), 1u);
  const auto& groups = models[0]->groups;
  ASSERT_EQ(groups.size(), 3u);

  const FWrender::MaterialGroup& woodGroup = *groups[0];
  ASSERT_NE(woodGroup.material, nullptr);
  EXPECT_FLOAT_EQ(woodGroup.material->diffuse[0], 0.9f);  // the later "Wood"
  EXPECT_FLOAT_EQ(woodGroup.material->ambient[2], 0.3f);
  EXPECT_FLOAT_EQ(woodGroup.material->specular[1], 0.5f);
  EXPECT_FLOAT_EQ(woodGroup.material->shininess, 0.25f);
  EXPECT_FLOAT_EQ(woodGroup.material->emission[0], 0.0f);
  EXPECT_EQ(woodGroup.faceIndices, (std::vector<uint16_t>{0, 1}));
  ASSERT_EQ(woodGroup.layers.size(), 4u);
  ASSERT_NE(woodGroup.layers[0], nullptr);
  ASSERT_NE(woodGroup.layers[1], nullptr);
  EXPECT_EQ(woodGroup.layers[2], nullptr);
  const FWrender::texture& layer = *woodGroup.layers[0];
  EXPECT_EQ(layer.name, "wood.jpg");
  EXPECT_EQ(woodGroup.layers[1]->name, "grain.png");
  EXPECT_EQ(layer.glId, 0u);  // named, not loaded
  EXPECT_TRUE(layer.params.generateMipmap);
  EXPECT_EQ(layer.params.minFilter, 5);
  EXPECT_EQ(layer.params.magFilter, 0);
  EXPECT_EQ(layer.params.wrapS, 2);
  EXPECT_EQ(layer.params.wrapT, 2);
  EXPECT_EQ(layer.params.wrapR, 2);
  EXPECT_FLOAT_EQ(layer.scale[0], 3.0f);  // (V scale, U scale)
  EXPECT_FLOAT_EQ(layer.scale[1], 2.0f);
  EXPECT_FLOAT_EQ(layer.offset[0], 0.25f);
  EXPECT_FLOAT_EQ(layer.offset[1], 0.5f);
  EXPECT_FLOAT_EQ(layer.mapAngle, 45.0f);

  ASSERT_NE(groups[1]->layers[0], nullptr);
  EXPECT_EQ(groups[1]->layers[0]->name, "stone.png");
  EXPECT_EQ(groups[1]->layers[1], nullptr);
  // After a match, a group naming no known material gets none.
  EXPECT_EQ(groups[2]->material, nullptr);
  EXPECT_EQ(groups[2]->layers[0], nullptr);
}

TEST_F(BuildModels, AnUnknownMaterialBeforeAnyMatchGetsTheDefault) {
  materialSpec wood;
  wood.name = "Wood";
  meshSpec box = cubeMesh("Box");
  box.groups = {{"Missing", {0}}, {"AlsoMissing", {1}}, {"Wood", {2}}, {"Gone", {3}}};
  const modelList models = load(file3ds({wood}, {box}));
  const auto& groups = models[0]->groups;
  ASSERT_EQ(groups.size(), 4u);
  ASSERT_NE(groups[0]->material, nullptr);
  EXPECT_FLOAT_EQ(groups[0]->material->diffuse[0], 1.0f);  // white
  EXPECT_FLOAT_EQ(groups[0]->material->shininess, 1.0f);
  ASSERT_NE(groups[1]->material, nullptr);
  ASSERT_NE(groups[2]->material, nullptr);
  EXPECT_FLOAT_EQ(groups[2]->material->diffuse[0], 0.0f);  // the file had no diffuse
  EXPECT_EQ(groups[3]->material, nullptr);
}

TEST_F(BuildModels, AMaterialWithoutANameIsNeverMatched) {
  materialSpec unnamed;
  unnamed.diffuse = colourSpec{{0.5f, 0.5f, 0.5f}};
  meshSpec box = cubeMesh("Box");
  box.groups = {{"", {0}}};
  const modelList models = load(file3ds({unnamed}, {box}));
  ASSERT_NE(models[0]->groups[0]->material, nullptr);
  EXPECT_FLOAT_EQ(models[0]->groups[0]->material->diffuse[0], 1.0f);
}

TEST_F(BuildModels, AFaceListWithoutGroupsGivesAModelWithoutGroups) {
  const modelList models = load(file3ds({}, {cubeMesh("Box")}));
  EXPECT_TRUE(models[0]->groups.empty());
}

TEST_F(BuildModels, OnlyAsManyLayersAsTextureUnits) {
  gfx::maxTextureUnits = 2;
  materialSpec many;
  many.name = "M";
  for (uint16_t id : {0xA200, 0xA204, 0xA210}) {
    mapSpec map;
    map.id = id;
    map.file = std::to_string(id);
    many.maps.push_back(map);
  }
  meshSpec box = cubeMesh("Box");
  box.groups = {{"M", {0}}};
  const modelList models = load(file3ds({many}, {box}));
  const FWrender::MaterialGroup& group = *models[0]->groups[0];
  ASSERT_EQ(group.layers.size(), 2u);
  EXPECT_EQ(group.layers[1]->name, std::to_string(0xA204));

  // Without a context there is still the one layer the first map goes to.
  gfx::maxTextureUnits = 0;
  const modelList windowless = load(file3ds({many}, {box}));
  ASSERT_EQ(windowless[0]->groups[0]->layers.size(), 1u);
  EXPECT_EQ(windowless[0]->groups[0]->layers[0]->name, std::to_string(0xA200));
}

}  // namespace
