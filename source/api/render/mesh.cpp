#include "api/render/mesh.h"

#include "engine/errors.h"

#include <cmath>

namespace FWrender {

namespace {

vec3 minus(const vec3& a, const vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

vec3 cross(const vec3& a, const vec3& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

void add(vec3& sum, const vec3& value) {
  sum[0] += value[0];
  sum[1] += value[1];
  sum[2] += value[2];
}

}  // namespace

void computeNormals(mesh& target) {
  if (!target.normals.empty()) return;
  const size_t vertexCount = target.vertices.size();
  for (const triangle& face : target.faces) {
    for (uint16_t index : face) {
      if (index >= vertexCount) throw errorCode::badIndex;
    }
  }
  const bool mapped = target.texcoords.size() >= vertexCount;

  // Face normals and tangents are summed per vertex as they are found,
  // which adds them in the same order as collecting them first would.
  std::vector<vec3> normalSums(vertexCount, vec3{0, 0, 0});
  std::vector<vec3> tangentSums(vertexCount, vec3{0, 0, 0});
  for (const triangle& face : target.faces) {
    const vec3& p0 = target.vertices[face[0]];
    const vec3 e1 = minus(target.vertices[face[1]], p0);
    const vec3 e2 = minus(target.vertices[face[2]], p0);
    // Not normalised: larger triangles weigh more.
    const vec3 normal = cross(e1, e2);
    for (uint16_t index : face) add(normalSums[index], normal);

    if (!mapped) continue;
    const vec2& uv0 = target.texcoords[face[0]];
    const vec2& uv1 = target.texcoords[face[1]];
    const vec2& uv2 = target.texcoords[face[2]];
    const float determinant =
        (uv2[1] - uv0[1]) * (uv0[0] - uv1[0]) - (uv2[0] - uv0[0]) * (uv0[1] - uv1[1]);
    const float k = 1.0f / determinant;
    // A degenerate mapping has no tangent; it would only spread NaN.
    if (!std::isfinite(k)) continue;
    const float a = uv2[1] - uv0[1];
    const float b = uv1[1] - uv0[1];
    const vec3 tangent{k * (e1[0] * a + e2[0] * b), k * (e1[1] * a + e2[1] * b),
                       k * (e1[2] * a + e2[2] * b)};
    if (!std::isfinite(tangent[0]) || !std::isfinite(tangent[1]) || !std::isfinite(tangent[2])) {
      continue;
    }
    for (uint16_t index : face) add(tangentSums[index], tangent);
  }

  target.normals.reserve(vertexCount);
  target.tangents.reserve(vertexCount);
  for (size_t v = 0; v < vertexCount; ++v) {
    const vec3& position = target.vertices[v];
    for (int c = 0; c < 3; ++c) {
      if (position[c] < target.boundsMin[c]) target.boundsMin[c] = position[c];
      if (position[c] > target.boundsMax[c]) target.boundsMax[c] = position[c];
    }
    vec3 normal = normalSums[v];
    vec3 tangent = tangentSums[v];
    FWmath::normalize(normal.data());
    FWmath::normalize(tangent.data());
    target.normals.push_back(normal);
    target.tangents.push_back(tangent);
  }
  target.boundsSize = minus(target.boundsMax, target.boundsMin);
}

void setupArrays(mesh& target) {
  if (!target.arrays) target.arrays = std::make_unique<VertexArraySet>();
  VertexArraySet& set = *target.arrays;
  set.vertexSlot.data = target.vertices.empty() ? nullptr : target.vertices.data();
  set.vertexSlot.components = 3;
  set.vertexSlot.elements = static_cast<int32_t>(target.vertices.size());
  set.normalSlot.data = target.normals.empty() ? nullptr : target.normals.data();
  set.normalSlot.components = 3;
  set.normalSlot.elements = static_cast<int32_t>(target.normals.size());
  set.texcoordSlot.data = target.texcoords.empty() ? nullptr : target.texcoords.data();
  set.texcoordSlot.components = 2;
  set.texcoordSlot.elements = static_cast<int32_t>(target.texcoords.size());
  set.primitive = 0;
}

}  // namespace FWrender
