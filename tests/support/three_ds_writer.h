#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writes 3DS files: a chunk tree with computed lengths, and builders for the
// chunks a mesh-and-material file holds. Kept free of engine types so the
// content tools can reuse it.
namespace testing_support {

struct chunk3ds {
  uint16_t id = 0;
  std::string payload;  // bytes right after the header, before the children
  std::vector<chunk3ds> children;
  std::optional<uint32_t> statedLength;  // written instead of the true length

  chunk3ds& add(chunk3ds child) {
    children.push_back(std::move(child));
    return children.back();
  }
};

// Little-endian encodings.
std::string u16(uint16_t value);
std::string u32(uint32_t value);
std::string f32(float value);
std::string cString(const std::string& text);  // with its NUL

// Where one chunk landed in the serialised bytes.
struct chunkSpan {
  uint16_t id;
  uint32_t start;
  uint32_t end;
};

// The chunk's bytes. When `spans` is given, every chunk's place is appended
// to it in file order (parents before their children).
std::string serialise(const chunk3ds& root, std::vector<chunkSpan>* spans = nullptr);

// The first chunk with `id` among `spans`, or null.
const chunkSpan* findChunk(const std::vector<chunkSpan>& spans, uint16_t id);

using vertex3 = std::array<float, 3>;
using face3 = std::array<uint16_t, 3>;
using uv2 = std::array<float, 2>;

struct groupSpec {
  std::string material;
  std::vector<uint16_t> faces;
};

struct meshSpec {
  std::string name;
  std::vector<vertex3> vertices;
  std::vector<face3> faces;
  std::vector<uv2> mapping;         // written when not empty
  std::vector<groupSpec> groups;    // inside the face list
  std::vector<uint32_t> smoothing;  // written when not empty, after the groups
  bool withVertexList = true;
  bool withFaceList = true;
};

struct mapSpec {
  uint16_t id = 0xA200;  // texture 1; 0xA204 texture 2, 0xA210 opacity ...
  std::string file;
  std::optional<float> uScale, vScale, uOffset, vOffset, angle;
};

struct colourSpec {
  std::array<float, 3> rgb{0, 0, 0};
  bool asBytes = false;          // 0x0011 (bytes) instead of 0x0010 (floats)
  bool withGammaCopy = false;    // a second part, as many exporters write
};

struct materialSpec {
  std::optional<std::string> name;
  std::optional<colourSpec> ambient, diffuse, specular;
  std::optional<uint16_t> shininessPercent;  // 0x0030 part
  std::optional<float> shininessFloat;       // 0x0031 part
  std::vector<mapSpec> maps;
};

chunk3ds objectChunk(const meshSpec& mesh);
chunk3ds materialChunk(const materialSpec& material);

// Main chunk (0x4D4D) with a version chunk and an editor chunk (0x3D3D)
// holding a mesh version chunk, the materials and then the objects.
chunk3ds file3ds(const std::vector<materialSpec>& materials, const std::vector<meshSpec>& meshes);

// The eight corners of a unit cube and its twelve triangles.
meshSpec cubeMesh(const std::string& name);

}  // namespace testing_support
