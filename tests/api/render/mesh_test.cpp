#include "api/render/model.h"

#include "engine/errors.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using FWrender::vec2;
using FWrender::vec3;

void expectNear(const vec3& actual, const vec3& expected) {
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(actual[c], expected[c], 1e-6) << "component " << c;
}

TEST(Mesh, OneTriangleFacesUpWithoutTangents) {
  FWrender::model triangle;
  triangle.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const uint16_t face[3] = {0, 1, 2};
  EXPECT_EQ(FWrender::addFaces(face, 1, triangle), 1);
  FWrender::build(triangle);
  ASSERT_EQ(triangle.normals.size(), 3u);
  for (const vec3& normal : triangle.normals) expectNear(normal, {0, 0, 1});
  ASSERT_EQ(triangle.tangents.size(), 3u);
  for (const vec3& tangent : triangle.tangents) expectNear(tangent, {0, 0, 0});
}

TEST(Mesh, LargerTrianglesWeighMoreInSharedNormals) {
  // Two triangles on the shared edge (0,0,0)-(0,1,0): one in the z = 0
  // plane with area 1, one in the x = 0 plane with area 0.5.
  FWrender::model mesh;
  mesh.vertices = {{0, 0, 0}, {0, 1, 0}, {2, 0, 0}, {0, 0, 1}};
  const uint16_t faces[6] = {0, 2, 1, 0, 1, 3};
  FWrender::addFaces(faces, 2, mesh);
  FWrender::computeNormals(mesh);
  // Sum (0, 0, 2) + (1, 0, 0), normalised.
  const float length = std::sqrt(5.0f);
  expectNear(mesh.normals[0], {1 / length, 0, 2 / length});
  expectNear(mesh.normals[1], {1 / length, 0, 2 / length});
  expectNear(mesh.normals[2], {0, 0, 1});
  expectNear(mesh.normals[3], {1, 0, 0});
}

TEST(Mesh, BoundsAlwaysContainTheOrigin) {
  FWrender::model mesh;
  mesh.vertices = {{2, 1, 1}, {5, 3, 1}, {3, 2, -4}};
  const uint16_t face[3] = {0, 1, 2};
  FWrender::addFaces(face, 1, mesh);
  FWrender::build(mesh);
  EXPECT_EQ(mesh.boundsMin, (vec3{0, 0, -4}));
  EXPECT_EQ(mesh.boundsMax, (vec3{5, 3, 1}));
  EXPECT_EQ(mesh.boundsSize, (vec3{5, 3, 5}));
}

TEST(Mesh, TangentsFollowTheTextureMappingAndSkipDegenerateOnes) {
  FWrender::model mesh;
  mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {5, 5, 0}, {6, 5, 0}, {5, 6, 0}};
  const uint16_t faces[6] = {0, 1, 2, 3, 4, 5};
  FWrender::addFaces(faces, 2, mesh);
  const float texcoords[12] = {0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(FWrender::addTexcoords(6, texcoords, mesh), 6);
  FWrender::build(mesh);
  for (int v = 0; v < 6; ++v) {
    for (float c : mesh.tangents[v]) EXPECT_FALSE(std::isnan(c)) << "vertex " << v;
    for (float c : mesh.normals[v]) EXPECT_FALSE(std::isnan(c)) << "vertex " << v;
  }
  // k = 1 / ((1 - 0)(0 - 1) - (0 - 0)(0 - 0)) = -1; T = -(e1 * 1 + e2 * 0).
  expectNear(mesh.tangents[0], {-1, 0, 0});
  // The second triangle's mapping is all (0, 0): no tangent at all.
  expectNear(mesh.tangents[4], {0, 0, 0});
}

TEST(Mesh, AddingNothingReportsMinusOne) {
  FWrender::model mesh;
  EXPECT_EQ(FWrender::addFaces(nullptr, 3, mesh), -1);
  const uint16_t face[3] = {0, 0, 0};
  EXPECT_EQ(FWrender::addFaces(face, 0, mesh), -1);
  EXPECT_EQ(FWrender::addTexcoords(0, nullptr, mesh), -1);
  EXPECT_TRUE(mesh.faces.empty());
  EXPECT_TRUE(mesh.texcoords.empty());
  mesh.vertices.resize(2);
  EXPECT_EQ(FWrender::addTexcoords(2, nullptr, mesh), 2);
  EXPECT_EQ(mesh.texcoords[1], (vec2{0, 0}));
}

TEST(Mesh, BuildFillsArraysAndGroupsOnceAndRefusesBadIndices) {
  FWrender::model mesh;
  mesh.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  const uint16_t faces[6] = {0, 1, 2, 2, 1, 3};
  FWrender::addFaces(faces, 2, mesh);
  const int32_t group = FWrender::addGroup(mesh);
  EXPECT_EQ(group, 0);
  const uint16_t second[1] = {1};
  FWrender::setGroupFaces(*mesh.groups[0], second, 1);
  FWrender::build(mesh);
  ASSERT_TRUE(mesh.arrays);
  EXPECT_EQ(mesh.arrays->vertexSlot.elements, 4);
  EXPECT_EQ(mesh.arrays->vertexSlot.components, 3);
  EXPECT_EQ(mesh.arrays->vertexSlot.data, mesh.vertices.data());
  EXPECT_EQ(mesh.arrays->normalSlot.data, mesh.normals.data());
  EXPECT_EQ(mesh.arrays->texcoordSlot.data, nullptr);
  EXPECT_EQ(mesh.arrays->primitive, 0);
  ASSERT_EQ(mesh.groups[0]->groupFaces.size(), 1u);
  EXPECT_EQ(mesh.groups[0]->groupFaces[0], (FWrender::triangle{2, 1, 3}));

  FWrender::model badFace;
  badFace.vertices = {{0, 0, 0}};
  const uint16_t outside[3] = {0, 0, 1};
  FWrender::addFaces(outside, 1, badFace);
  EXPECT_THROW(FWrender::build(badFace), int);

  FWrender::model badGroup;
  badGroup.vertices = {{0, 0, 0}};
  const uint16_t inside[3] = {0, 0, 0};
  FWrender::addFaces(inside, 1, badGroup);
  FWrender::addGroup(badGroup);
  const uint16_t missingFace[1] = {1};
  FWrender::setGroupFaces(*badGroup.groups[0], missingFace, 1);
  try {
    FWrender::build(badGroup);
    ADD_FAILURE() << "no error";
  } catch (int code) {
    EXPECT_EQ(code, errorCode::badIndex);
  }
}

TEST(Mesh, NewModelsAreNumberedInOrder) {
  const int32_t next = FWrender::nextUnnamedModelNumber();
  FWrender::model first;
  FWrender::model second;
  EXPECT_EQ(first.name, "UnnamedObject-" + std::to_string(next));
  EXPECT_EQ(second.name, "UnnamedObject-" + std::to_string(next + 1));
}

}  // namespace
