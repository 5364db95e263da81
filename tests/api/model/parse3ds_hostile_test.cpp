#include "api/model/build_models.h"
#include "api/model/parse3ds.h"

#include "engine/errors.h"
#include "support/three_ds_writer.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

// Files from the wild: cut short, with lengths and counts that lie. Each
// case copies the bytes into a buffer of exactly their size, so a read past
// the end would land outside the allocation (and trips sanitizer builds).

namespace {

using namespace testing_support;

// 0 when the bytes parse and build, otherwise the thrown code.
int loadCode(const std::string& text) {
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  try {
    FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::unique_ptr<FWrender::model>> models;
    FWmodel::buildModels(&parser, models);
  } catch (int code) {
    return code;
  }
  return 0;
}

bool isCleanRejection(int code) {
  return code == errorCode::modelParseFailed || code == errorCode::modelInvalid3ds ||
         code == errorCode::badIndex;
}

chunk3ds richFile() {
  materialSpec wood;
  wood.name = "Wood";
  wood.diffuse = colourSpec{{1.0f, 0.5f, 0.25f}, false, true};
  wood.specular = colourSpec{{0.1f, 0.1f, 0.1f}, true, true};
  wood.shininessPercent = 40;
  mapSpec first;
  first.file = "wood.jpg";
  first.uScale = 2.0f;
  mapSpec second;
  second.id = 0xA204;
  second.file = "grain.png";
  wood.maps = {first, second};
  meshSpec box = cubeMesh("Box");
  box.mapping.assign(8, {0.5f, 0.5f});
  box.groups = {{"Wood", {0, 1, 2, 3, 4, 5}}, {"Other", {6, 7, 8, 9, 10, 11}}};
  box.smoothing.assign(12, 1);
  meshSpec flat = cubeMesh("Flat");
  return file3ds({wood}, {box, flat});
}

TEST(Parse3dsHostile, TruncationAtEveryChunkBoundaryIsCleanOrRejected) {
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(richFile(), &spans);
  ASSERT_EQ(loadCode(whole), 0);
  std::set<uint32_t> cuts;
  for (const chunkSpan& span : spans) {
    cuts.insert(span.start);
    cuts.insert(span.end);
  }
  int rejected = 0;
  for (uint32_t cut : cuts) {
    if (cut >= whole.size()) continue;
    const int code = loadCode(whole.substr(0, cut));
    EXPECT_TRUE(code == 0 || isCleanRejection(code)) << "cut at " << cut << " gave " << code;
    rejected += code == errorCode::modelParseFailed ? 1 : 0;
  }
  // Cutting inside an object or a material leaves it overrunning the file.
  EXPECT_GT(rejected, 10);
}

TEST(Parse3dsHostile, TruncationAtEveryByteIsCleanOrRejected) {
  const std::string whole = serialise(richFile());
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    const int code = loadCode(whole.substr(0, cut));
    ASSERT_TRUE(code == 0 || isCleanRejection(code)) << "cut at " << cut << " gave " << code;
  }
}

TEST(Parse3dsHostile, ACutInsideAMeshIsAParseFailure) {
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(file3ds({}, {cubeMesh("Box")}), &spans);
  const chunkSpan* vertexList = findChunk(spans, 0x4110);
  ASSERT_NE(vertexList, nullptr);
  // The vertex list is cut in the middle of its floats.
  EXPECT_EQ(loadCode(whole.substr(0, vertexList->start + 20)), errorCode::modelParseFailed);
}

// Rewrites the length field of the chunk starting at `start`.
std::string withLength(std::string bytes, uint32_t start, uint32_t length) {
  bytes.replace(start + 2, 4, u32(length));
  return bytes;
}

TEST(Parse3dsHostile, LyingChunkLengthsAreCleanOrRejected) {
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(richFile(), &spans);
  for (const chunkSpan& span : spans) {
    const uint32_t start = span.start;
    const uint32_t trueLength = span.end - start;
    for (uint32_t length : {0u, 1u, 5u, 6u, trueLength - 1, trueLength + 1, trueLength + 4096,
                            0x7FFFFFFFu, 0xFFFFFFFFu}) {
      const int code = loadCode(withLength(whole, start, length));
      EXPECT_TRUE(code == 0 || isCleanRejection(code))
          << "chunk at " << start << " with length " << length << " gave " << code;
    }
  }
}

TEST(Parse3dsHostile, OverlongObjectAndMaterialChunksAreParseFailures) {
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(richFile(), &spans);
  const chunkSpan* objectSpan = findChunk(spans, 0x4000);
  const chunkSpan* materialSpan = findChunk(spans, 0xAFFF);
  ASSERT_NE(objectSpan, nullptr);
  ASSERT_NE(materialSpan, nullptr);
  const uint32_t object = objectSpan->start;
  EXPECT_EQ(loadCode(withLength(whole, object, 0x7FFFFFFF)), errorCode::modelParseFailed);
  EXPECT_EQ(loadCode(withLength(whole, materialSpan->start, 0xFFFFFFFF)),
            errorCode::modelParseFailed);
  // A chunk shorter than its own header would stall the walk.
  EXPECT_EQ(loadCode(withLength(whole, object, 0)),
            errorCode::modelParseFailed);
}

TEST(Parse3dsHostile, CountsBeyondTheirChunkAreParseFailures) {
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(file3ds({}, {cubeMesh("Box")}), &spans);
  for (uint16_t id : {uint16_t{0x4110}, uint16_t{0x4120}}) {
    const chunkSpan* list = findChunk(spans, id);
    ASSERT_NE(list, nullptr);
    const uint32_t at = list->start;
    for (uint16_t count : {uint16_t{13}, uint16_t{0x7FFF}, uint16_t{0x8000}, uint16_t{0xFFFF}}) {
      std::string bytes = whole;
      bytes.replace(at + 6, 2, u16(count));
      EXPECT_EQ(loadCode(bytes), errorCode::modelParseFailed) << id << " count " << count;
    }
  }
}

TEST(Parse3dsHostile, NamesWithoutTerminatorInsideTheirChunkAreParseFailures) {
  chunk3ds unterminatedObject = file3ds({}, {});
  unterminatedObject.children[1].add(chunk3ds{0x4000, "Box", {}, std::nullopt});
  EXPECT_EQ(loadCode(serialise(unterminatedObject)), errorCode::modelParseFailed);

  chunk3ds unterminatedMaterial = file3ds({}, {cubeMesh("Box")});
  chunk3ds material{0xAFFF, "", {}, std::nullopt};
  material.add(chunk3ds{0xA000, "Wood", {}, std::nullopt});
  material.add(chunk3ds{0xA040, "", {chunk3ds{0x0030, u16(5), {}, std::nullopt}}, std::nullopt});
  unterminatedMaterial.children[1].add(material);
  EXPECT_EQ(loadCode(serialise(unterminatedMaterial)), errorCode::modelParseFailed);

  meshSpec box = cubeMesh("Box");
  chunk3ds unterminatedGroup = file3ds({}, {box});
  chunk3ds& faceList = unterminatedGroup.children[1].children[1].children[0].children[1];
  ASSERT_EQ(faceList.id, 0x4120);
  faceList.add(chunk3ds{0x4130, "Wood", {}, std::nullopt});
  EXPECT_EQ(loadCode(serialise(unterminatedGroup)), errorCode::modelParseFailed);
}

TEST(Parse3dsHostile, GroupAndSmoothingCountsAreBoundedByTheirChunks) {
  meshSpec box = cubeMesh("Box");
  box.groups = {{"M", {0, 1}}};
  box.smoothing.assign(12, 1);
  std::vector<chunkSpan> spans;
  const std::string whole = serialise(file3ds({}, {box}), &spans);
  const chunkSpan* group = findChunk(spans, 0x4130);
  ASSERT_NE(group, nullptr);
  std::string bytes = whole;
  bytes.replace(group->start + 8, 2, u16(500));  // past the header and the name
  EXPECT_EQ(loadCode(bytes), errorCode::modelParseFailed);

  // A group claiming more faces than there are smoothing words.
  meshSpec shortSmoothing = cubeMesh("Box");
  shortSmoothing.groups = {{"M", {0, 1, 2}}};
  shortSmoothing.smoothing = {1, 1};
  EXPECT_EQ(loadCode(serialise(file3ds({}, {shortSmoothing}))), errorCode::modelParseFailed);
}

TEST(Parse3dsHostile, RandomByteDamageIsCleanOrRejected) {
  const std::string whole = serialise(richFile());
  uint32_t state = 12345;
  auto next = [&state] {
    state = state * 214013u + 2531011u;
    return (state >> 16) & 0x7FFF;
  };
  for (int trial = 0; trial < 3000; ++trial) {
    std::string bytes = whole;
    const int hits = 1 + static_cast<int>(next() % 4);
    for (int h = 0; h < hits; ++h) {
      bytes[next() % bytes.size()] = static_cast<char>(next() & 0xFF);
    }
    const int code = loadCode(bytes);
    ASSERT_TRUE(code == 0 || isCleanRejection(code)) << "trial " << trial << " gave " << code;
  }
}

TEST(Parse3dsHostile, MemoryStaysProportionalToTheFile) {
  // Many groups naming a material with many maps: only as many textures
  // as there are layers are made per group.
  materialSpec many;
  many.name = "M";
  for (int m = 0; m < 200; ++m) {
    mapSpec map;
    map.id = 0xA200;
    map.file = "t.png";
    many.maps.push_back(map);
  }
  meshSpec box = cubeMesh("Box");
  for (int g = 0; g < 500; ++g) box.groups.push_back({"M", {0}});
  const std::string text = serialise(file3ds({many}, {box}));
  const std::vector<uint8_t> bytes(text.begin(), text.end());
  FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
  std::vector<std::unique_ptr<FWrender::model>> models;
  ASSERT_EQ(FWmodel::buildModels(&parser, models), 1);
  ASSERT_EQ(models.size(), 1u);
  size_t textures = 0;
  for (const auto& group : models[0]->groups) textures += group->ownedTextures.size();
  EXPECT_LE(textures, 500u * models[0]->groups[0]->layers.size());
}

}  // namespace
