#include "api/model/parse3ds.h"

#include "engine/errors.h"
#include "support/three_ds_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

std::vector<uint8_t> bytesOf(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The code a parse of exactly these bytes throws, or 0.
int parseCode(const std::vector<uint8_t>& bytes) {
  try {
    FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  } catch (int code) {
    return code;
  }
  return 0;
}

std::string withHeader(std::string bytes, uint16_t id, uint32_t length) {
  bytes.replace(0, 6, u16(id) + u32(length));
  return bytes;
}

TEST(Parse3ds, HeaderIsRejectedOnlyWhenIdAndLengthAreBothWrong) {
  const std::string good = serialise(file3ds({}, {cubeMesh("Box")}));
  const auto size = static_cast<uint32_t>(good.size());
  EXPECT_EQ(parseCode(bytesOf(good)), 0);
  EXPECT_EQ(parseCode(bytesOf(withHeader(good, 0x4D4D, size + 100))), 0);
  EXPECT_EQ(parseCode(bytesOf(withHeader(good, 0x1234, size))), 0);
  EXPECT_EQ(parseCode(bytesOf(withHeader(good, 0x1234, size + 1))), errorCode::modelInvalid3ds);
  EXPECT_EQ(parseCode(bytesOf(std::string("\x4D\x4D\x06\x00", 4))), errorCode::modelInvalid3ds);
  EXPECT_EQ(parseCode({}), errorCode::modelInvalid3ds);
  // A bare main chunk is a valid, empty file.
  EXPECT_EQ(parseCode(bytesOf(u16(0x4D4D) + u32(6))), 0);
}

TEST(Parse3ds, RecordsPointAtTheFilesDataInFileOrder) {
  materialSpec wood;
  wood.name = "Wood";
  wood.diffuse = colourSpec{{1.0f, 0.5f, 0.25f}, false, true};
  wood.ambient = colourSpec{{0.2f, 0.4f, 0.6f}, true, false};
  wood.shininessPercent = 50;
  mapSpec map;
  map.file = "wood.jpg";
  map.uScale = 2.0f;
  map.vOffset = 0.5f;
  map.angle = 30.0f;
  wood.maps = {map};
  materialSpec unnamed;
  unnamed.shininessFloat = 12.5f;

  meshSpec box = cubeMesh("Box");
  box.mapping.assign(8, {0.25f, 0.75f});
  box.groups = {{"Wood", {0, 1, 2}}};
  box.smoothing.assign(12, 0x101);
  meshSpec empty;
  empty.name = "Helper";
  empty.vertices = {{1, 2, 3}};
  empty.withFaceList = false;

  const std::vector<uint8_t> bytes = bytesOf(serialise(file3ds({wood, unnamed}, {empty, box})));
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));

  ASSERT_EQ(parser.objects.size(), 2u);
  EXPECT_STREQ(parser.objects[0].name, "Helper");
  EXPECT_EQ(parser.objects[0].vertexCount, 1);
  EXPECT_EQ(parser.objects[0].faceCount, 0);
  EXPECT_FLOAT_EQ(FWmodel::readF32(parser.objects[0].vertices + 8), 3.0f);

  const FWmodel::objectRecord& cube = parser.objects[1];
  EXPECT_STREQ(cube.name, "Box");
  EXPECT_EQ(cube.vertexCount, 8);
  EXPECT_EQ(cube.faceCount, 12);
  EXPECT_EQ(cube.mappingCount, 8);
  EXPECT_EQ(FWmodel::readU16(cube.faces + 8), 0);      // second face, first index
  EXPECT_EQ(FWmodel::readU16(cube.faces + 10), 3);
  EXPECT_EQ(cube.smoothingFlags, 1u);  // low bytes only
  ASSERT_EQ(cube.groups.size(), 1u);
  EXPECT_STREQ(cube.groups[0].materialName, "Wood");
  EXPECT_EQ(cube.groups[0].count, 3);
  EXPECT_EQ(FWmodel::readU16(cube.groups[0].faceIndices + 4), 2);
  // Records point into the buffer, they are not copies.
  EXPECT_GE(reinterpret_cast<const uint8_t*>(cube.name), bytes.data());
  EXPECT_LT(reinterpret_cast<const uint8_t*>(cube.name), bytes.data() + bytes.size());

  ASSERT_EQ(parser.materials.size(), 2u);
  const FWmodel::materialRecord& first = parser.materials[0];
  EXPECT_STREQ(first.name, "Wood");
  EXPECT_FLOAT_EQ(first.diffuse[1], 0.5f);
  EXPECT_FLOAT_EQ(first.diffuse[3], 1.0f);
  EXPECT_NEAR(first.ambient[2], 153 / 255.0, 1e-6);  // from bytes
  EXPECT_FLOAT_EQ(first.specular[0], 0.0f);          // not in the file
  EXPECT_FLOAT_EQ(first.specular[3], 1.0f);
  EXPECT_FLOAT_EQ(first.shininess, 0.5f);
  ASSERT_EQ(first.maps.size(), 1u);
  EXPECT_STREQ(first.maps[0].fileName, "wood.jpg");
  EXPECT_FLOAT_EQ(first.maps[0].uScale, 2.0f);
  EXPECT_FLOAT_EQ(first.maps[0].vScale, 1.0f);
  EXPECT_FLOAT_EQ(first.maps[0].uOffset, 0.0f);
  EXPECT_FLOAT_EQ(first.maps[0].vOffset, 0.5f);
  EXPECT_FLOAT_EQ(first.maps[0].angle, 30.0f);
  EXPECT_EQ(parser.materials[1].name, nullptr);
  EXPECT_FLOAT_EQ(parser.materials[1].shininess, 12.5f);
}

TEST(Parse3ds, SmoothingFlagsFollowTheLatestGroupsFaceCount) {
  meshSpec noGroup = cubeMesh("NoGroup");
  noGroup.smoothing.assign(12, 1);
  meshSpec firstTwo = cubeMesh("FirstTwo");
  firstTwo.groups = {{"M", {0, 1}}};
  firstTwo.smoothing.assign(12, 0);
  firstTwo.smoothing[1] = 4;
  firstTwo.smoothing[2] = 1;  // beyond the group's two faces: not read
  const auto bytes = bytesOf(serialise(file3ds({}, {noGroup, firstTwo})));
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_EQ(parser.objects.size(), 2u);
  EXPECT_EQ(parser.objects[0].smoothingFlags, 0u);
  EXPECT_EQ(parser.objects[1].smoothingFlags, 4u);
}

TEST(Parse3ds, UnknownChunksAndAZeroLengthChunkInAMeshAreSkipped) {
  chunk3ds root = file3ds({}, {cubeMesh("A"), cubeMesh("B")});
  chunk3ds& editor = root.children[1];
  // An unknown chunk with children of its own, skipped whole.
  chunk3ds unknown;
  unknown.id = 0x7777;
  unknown.payload = std::string(10, '\x40');
  unknown.add(chunk3ds{0x4000, cString("Hidden"), {}, std::nullopt});
  editor.children.insert(editor.children.begin() + 1, unknown);
  // A zero-length chunk ends mesh A's walk before its vertex list.
  chunk3ds& meshA = editor.children[2].children[0];
  chunk3ds stop;
  stop.id = 0x4170;
  stop.statedLength = 0;
  meshA.children.insert(meshA.children.begin(), stop);

  const auto bytes = bytesOf(serialise(root));
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_EQ(parser.objects.size(), 2u);
  EXPECT_STREQ(parser.objects[0].name, "A");
  EXPECT_EQ(parser.objects[0].vertexCount, 0);
  EXPECT_STREQ(parser.objects[1].name, "B");
  EXPECT_EQ(parser.objects[1].vertexCount, 8);
}

TEST(Parse3ds, ObjectsWithoutMeshesGiveNoRecord) {
  chunk3ds root = file3ds({}, {cubeMesh("Box")});
  chunk3ds light;
  light.id = 0x4000;
  light.payload = cString("Lamp");
  light.add(chunk3ds{0x4600, f32(1) + f32(2) + f32(3), {}, std::nullopt});
  root.children[1].add(light);
  // A hidden-object flag before the mesh does not hide the mesh.
  root.children[1].children[1].children.insert(root.children[1].children[1].children.begin(),
                                               chunk3ds{0x4010, "", {}, std::nullopt});
  const auto bytes = bytesOf(serialise(root));
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_EQ(parser.objects.size(), 1u);
  EXPECT_EQ(parser.objects[0].vertexCount, 8);
}

TEST(Parse3ds, ASkippedChunkRunningPastTheEndEndsTheWalk) {
  // Exported files end with keyframe data; a file cut short there still
  // holds every mesh.
  std::string bytes = serialise(file3ds({}, {cubeMesh("Box")}));
  bytes += u16(0xB000) + u32(5000) + std::string(20, '\0');
  bytes.replace(2, 4, u32(static_cast<uint32_t>(bytes.size())));
  const auto buffer = bytesOf(bytes);
  FWmodel::parse3ds parser(buffer.data(), static_cast<uint32_t>(buffer.size()));
  EXPECT_EQ(parser.objects.size(), 1u);
}

}  // namespace
