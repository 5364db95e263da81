#pragma once

#include "content/raster.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// 3D Studio mesh files (the chunked .3ds format) within what the show's
// model builder reads: counts are signed 16-bit, so at most 32 767 vertices,
// faces and mapping coordinates per object, and an object without smoothing
// is expanded to three vertices per face, so at most 21 845 faces there.
namespace content {

constexpr int max3dsCount = 32767;
constexpr int max3dsFacetedFaces = 21845;

struct material3ds {
  std::string name;
  colour ambient;
  colour diffuse;
  colour specular;
  float shininess = 0;  // the OpenGL specular exponent, 0..128
};

struct object3ds {
  std::string name;
  std::vector<std::array<float, 3>> vertices;
  std::vector<std::array<float, 2>> mapping;  // none, or one (u, v) per vertex
  std::vector<std::array<int, 3>> faces;      // counter-clockwise seen from outside
  // Smoothing group 1 on every face: the builder keeps the vertices as
  // written and averages normals where faces share one. Without it every face
  // gets vertices of its own and flat normals.
  bool smooth = false;
  std::string material;  // one material group over all faces; empty for none
};

struct scene3ds {
  std::vector<material3ds> materials;
  std::vector<object3ds> objects;
};

// The file bytes. Throws contentError naming `fileName` and the object when
// an object breaks the limits above, indexes a missing vertex, names a
// missing material, or asks for smoothing without a material group (the
// builder reads smoothing only through a group).
std::string write3ds(const scene3ds& scene, const std::string& fileName);

// Splits an object into parts that each fit the limits, keeping its faces in
// order; parts are named name0, name1, ... (the name unchanged when one part
// suffices).
std::vector<object3ds> splitToLimits(const object3ds& object);

}  // namespace content
