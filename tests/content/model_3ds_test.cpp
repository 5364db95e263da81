#include "content/chunk_reader.h"

#include "content/content_error.h"
#include "content/lettering.h"
#include "content/model_3ds.h"
#include "content/show_models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <tuple>

namespace {

using content::object3ds;
using content::scene3ds;

std::array<float, 3> minus(const std::array<float, 3>& a, const std::array<float, 3>& b) {
  return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}

std::array<float, 3> cross(const std::array<float, 3>& a, const std::array<float, 3>& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Checks what the engine's builder relies on: the mesh right after the name,
// counts in signed 16-bit range, indices in range, one mapping pair per
// vertex, one group over every face naming a material of the file, and
// smoothing bit 0 on every face counted by that group.
void expectLoadable(const chunk_reader::model& model, bool smooth) {
  for (const auto& o : model.objects) {
    SCOPED_TRACE(o.name);
    EXPECT_TRUE(o.meshFollowsName);
    EXPECT_LE(o.vertices.size(), 32767u);
    EXPECT_LE(o.faces.size(), smooth ? 32767u : 21845u);
    EXPECT_EQ(o.mapping.size(), o.vertices.size());
    for (const auto& f : o.faces) {
      for (uint16_t i : f) ASSERT_LT(i, o.vertices.size());
    }
    ASSERT_EQ(o.groups.size(), 1u);
    EXPECT_EQ(o.groups[0].faces.size(), o.faces.size());
    bool known = false;
    for (const auto& m : model.materials) known = known || m.name == o.groups[0].material;
    EXPECT_TRUE(known) << o.groups[0].material;
    ASSERT_EQ(o.smoothing.size(), o.faces.size());
    for (uint32_t word : o.smoothing) EXPECT_EQ(word & 1u, smooth ? 1u : 0u);
  }
}

object3ds strip(int faces, bool smooth) {
  object3ds o;
  o.name = "strip";
  o.smooth = smooth;
  o.material = "m";
  for (int i = 0; i < faces + 2; ++i) o.vertices.push_back({static_cast<float>(i), static_cast<float>(i % 2), 0});
  for (int i = 0; i < faces; ++i) o.faces.push_back({i, i + 1, i + 2});
  return o;
}

std::string writeError(const object3ds& o, bool withMaterial = true) {
  scene3ds scene;
  if (withMaterial) scene.materials.push_back(content::material3ds{"m", {}, {}, {}, 1});
  scene.objects.push_back(o);
  try {
    content::write3ds(scene, "test.3ds");
  } catch (const content::contentError& error) {
    return error.what();
  }
  return "";
}

TEST(Model3ds, WriterRefusesWhatTheBuilderCannotRead) {
  EXPECT_EQ(writeError(strip(100, false)), "");
  EXPECT_EQ(writeError(strip(21845, false)), "");
  EXPECT_NE(writeError(strip(21846, false)).find("21845"), std::string::npos);
  EXPECT_EQ(writeError(strip(21846, true)), "");
  EXPECT_NE(writeError(strip(32766, true)).find("32768 vertices, more than the 16-bit limit"), std::string::npos);
  object3ds tooManyFaces = strip(10, true);
  tooManyFaces.faces.resize(32768, {0, 1, 2});
  EXPECT_NE(writeError(tooManyFaces).find("faces, more than the 16-bit limit"), std::string::npos);

  object3ds badIndex = strip(3, false);
  badIndex.faces[1][2] = 5;
  EXPECT_NE(writeError(badIndex).find("test.3ds: object \"strip\" has a face with vertex index 5"),
            std::string::npos);
  object3ds badMapping = strip(3, false);
  badMapping.mapping.resize(2);
  EXPECT_NE(writeError(badMapping).find("mapping"), std::string::npos);
  EXPECT_NE(writeError(strip(3, true), false).find("material \"m\""), std::string::npos);
  object3ds smoothWithoutGroup = strip(3, true);
  smoothWithoutGroup.material.clear();
  EXPECT_NE(writeError(smoothWithoutGroup).find("smoothing"), std::string::npos);
  object3ds empty = strip(3, false);
  empty.faces.clear();
  EXPECT_NE(writeError(empty).find("no vertices or no faces"), std::string::npos);
}

TEST(Model3ds, SplitKeepsEveryFaceWithinTheLimits) {
  object3ds big = strip(50000, false);
  big.mapping.resize(big.vertices.size(), {0.5f, 0.25f});
  const auto parts = content::splitToLimits(big);
  ASSERT_EQ(parts.size(), 3u);
  size_t face = 0;
  for (size_t p = 0; p < parts.size(); ++p) {
    EXPECT_EQ(parts[p].name, "strip" + std::to_string(p));
    EXPECT_LE(parts[p].faces.size(), 21845u);
    EXPECT_EQ(parts[p].mapping.size(), parts[p].vertices.size());
    for (const auto& f : parts[p].faces) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(parts[p].vertices[f[k]], big.vertices[big.faces[face][k]]);
      }
      ++face;
    }
  }
  EXPECT_EQ(face, big.faces.size());
  scene3ds scene{{content::material3ds{"m", {}, {}, {}, 1}}, parts};
  const auto model = chunk_reader::read(content::write3ds(scene, "big.3ds"));
  ASSERT_EQ(model.objects.size(), 3u);
  expectLoadable(model, false);
  EXPECT_EQ(content::splitToLimits(strip(10, false)).front().name, "strip");
}

TEST(Model3ds, CubeIsTenUnitsWithFlatOutwardSides) {
  const auto model = chunk_reader::read(content::write3ds(content::makeCubeScene(), "cube10by10.3ds"));
  ASSERT_EQ(model.objects.size(), 1u);
  expectLoadable(model, true);
  const auto& cube = model.objects[0];
  EXPECT_EQ(cube.vertices.size(), 24u);
  EXPECT_EQ(cube.faces.size(), 12u);
  for (const auto& v : cube.vertices) {
    for (float c : v) EXPECT_EQ(std::fabs(c), 5.0f);
  }
  std::map<std::tuple<int, int, int>, int> sides;
  for (const auto& f : cube.faces) {
    const auto n = cross(minus(cube.vertices[f[1]], cube.vertices[f[0]]), minus(cube.vertices[f[2]], cube.vertices[f[0]]));
    const auto& p = cube.vertices[f[0]];
    // Each triangle's normal is along one axis and points away from the centre.
    EXPECT_GT(n[0] * p[0] + n[1] * p[1] + n[2] * p[2], 0.0f);
    ++sides[{n[0] > 0 ? 1 : n[0] < 0 ? -1 : 0, n[1] > 0 ? 1 : n[1] < 0 ? -1 : 0, n[2] > 0 ? 1 : n[2] < 0 ? -1 : 0}];
  }
  EXPECT_EQ(sides.size(), 6u);
  for (const auto& side : sides) EXPECT_EQ(side.second, 2);
  ASSERT_EQ(model.materials.size(), 1u);
  EXPECT_EQ(model.materials[0].name, "cube");
  EXPECT_GT(model.materials[0].shininess, 0.0f);
}

TEST(Model3ds, TitleIsAClosedExtrudedSolid) {
  const std::string font = content::lettering::showFontPath();
  const auto model = chunk_reader::read(content::write3ds(content::makeTitleScene(font), "title.3ds"));
  ASSERT_FALSE(model.objects.empty());
  expectLoadable(model, true);
  // Every edge, by position, is used once in each direction: the surface is
  // closed and consistently wound (front, back and walls meet).
  std::map<std::tuple<float, float, float, float, float, float>, int> edges;
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
  double frontArea = 0, backArea = 0, volume = 0;
  size_t faces = 0;
  for (const auto& o : model.objects) {
    for (const auto& f : o.faces) {
      ++faces;
      for (int k = 0; k < 3; ++k) {
        const auto& a = o.vertices[f[k]];
        const auto& b = o.vertices[f[(k + 1) % 3]];
        ++edges[{a[0], a[1], a[2], b[0], b[1], b[2]}];
      }
      const auto n = cross(minus(o.vertices[f[1]], o.vertices[f[0]]), minus(o.vertices[f[2]], o.vertices[f[0]]));
      if (n[0] == 0 && n[2] == 0) (n[1] < 0 ? frontArea : backArea) += std::fabs(n[1]) / 2;
      // Positive volume: the faces look outwards.
      const auto& p = o.vertices[f[0]];
      volume += (static_cast<double>(p[0]) * n[0] + static_cast<double>(p[1]) * n[1] +
                 static_cast<double>(p[2]) * n[2]) / 6;
    }
    for (const auto& v : o.vertices) {
      minX = std::min(minX, v[0]);
      maxX = std::max(maxX, v[0]);
      minY = std::min(minY, v[1]);
      maxY = std::max(maxY, v[1]);
    }
  }
  int unmatched = 0;
  for (const auto& [edge, count] : edges) {
    const auto& [ax, ay, az, bx, by, bz] = edge;
    const auto reverse = edges.find({bx, by, bz, ax, ay, az});
    if (count != 1 || reverse == edges.end() || reverse->second != 1) {
      ++unmatched;
      ADD_FAILURE() << "edge (" << ax << ", " << ay << ", " << az << ") - (" << bx << ", " << by << ", " << bz
                    << ") used " << count << " times";
    }
  }
  EXPECT_EQ(unmatched, 0);
  EXPECT_GT(faces, 1000u);
  EXPECT_NEAR(minX, -50.0f, 0.01f);
  EXPECT_NEAR(maxX, 50.0f, 0.01f);
  EXPECT_FLOAT_EQ(minY, -2.5f);
  EXPECT_FLOAT_EQ(maxY, 2.5f);
  EXPECT_GT(frontArea, 300.0);
  EXPECT_NEAR(frontArea, backArea, frontArea * 1e-4);
  EXPECT_NEAR(volume, frontArea * 5.0, frontArea * 5.0 * 1e-3);
}

}  // namespace
