#pragma once

#include "api/math/matrix.h"
#include "api/render/vertex_arrays.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace FWrender {

using vec3 = std::array<float, 3>;
using vec2 = std::array<float, 2>;
using triangle = std::array<uint16_t, 3>;

// One indexed triangle mesh in system memory with its derived normals,
// tangents and bounds and a local transform. Drawn from client-side arrays
// (see model.h for building and drawing).
class mesh {
 public:
  mesh() = default;
  virtual ~mesh() = default;
  mesh(const mesh&) = delete;
  mesh& operator=(const mesh&) = delete;

  std::vector<vec3> vertices;
  std::vector<triangle> faces;
  std::vector<vec3> normals;   // filled by build
  std::vector<vec3> tangents;  // filled by build; not passed to OpenGL here
  std::vector<vec2> texcoords;
  std::string name;
  vec3 boundsMin{0, 0, 0};
  vec3 boundsMax{0, 0, 0};
  vec3 boundsSize{0, 0, 0};
  std::unique_ptr<VertexArraySet> arrays;  // made by build
  FWmath::matrix transform;
};

// Per-vertex normals (area-weighted face normals) and tangents, and the
// bounds, which always contain the origin. Runs only while `normals` is
// empty. A triangle whose texture mapping is degenerate (zero determinant)
// adds no tangent. Throws 3 when a face names a vertex that does not
// exist. Linear in vertices and faces; no GL calls.
void computeNormals(mesh& target);

// Points the mesh's array set (made on first use) at its vectors. The
// vectors must not grow afterwards. No GL calls.
void setupArrays(mesh& target);

}  // namespace FWrender
