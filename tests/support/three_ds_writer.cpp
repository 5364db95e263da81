#include "support/three_ds_writer.h"

#include <cstring>

namespace testing_support {

std::string u16(uint16_t value) {
  return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string u32(uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string f32(float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return u32(bits);
}

std::string cString(const std::string& text) { return text + std::string(1, '\0'); }

namespace {

void write(const chunk3ds& node, std::string& out, std::vector<chunkSpan>* spans) {
  const size_t start = out.size();
  size_t slot = 0;
  if (spans != nullptr) {
    slot = spans->size();
    spans->push_back({node.id, static_cast<uint32_t>(start), 0});
  }
  out += u16(node.id);
  out += u32(0);  // patched below
  out += node.payload;
  for (const chunk3ds& child : node.children) write(child, out, spans);
  const auto length = static_cast<uint32_t>(out.size() - start);
  out.replace(start + 2, 4, u32(node.statedLength.value_or(length)));
  if (spans != nullptr) (*spans)[slot].end = static_cast<uint32_t>(out.size());
}

chunk3ds leaf(uint16_t id, std::string payload) {
  chunk3ds node;
  node.id = id;
  node.payload = std::move(payload);
  return node;
}

chunk3ds colourChunk(uint16_t id, const colourSpec& colour) {
  chunk3ds node = leaf(id, "");
  auto part = [&](bool bytes) {
    if (bytes) {
      std::string payload;
      for (float c : colour.rgb) payload += static_cast<char>(static_cast<uint8_t>(c * 255.0f + 0.5f));
      return leaf(0x0011, payload);
    }
    return leaf(0x0010, f32(colour.rgb[0]) + f32(colour.rgb[1]) + f32(colour.rgb[2]));
  };
  node.add(part(colour.asBytes));
  if (colour.withGammaCopy) {
    chunk3ds copy = part(colour.asBytes);
    copy.id = colour.asBytes ? 0x0012 : 0x0013;
    node.add(copy);
  }
  return node;
}

}  // namespace

std::string serialise(const chunk3ds& root, std::vector<chunkSpan>* spans) {
  std::string out;
  write(root, out, spans);
  return out;
}

const chunkSpan* findChunk(const std::vector<chunkSpan>& spans, uint16_t id) {
  for (const chunkSpan& span : spans) {
    if (span.id == id) return &span;
  }
  return nullptr;
}

chunk3ds objectChunk(const meshSpec& mesh) {
  chunk3ds object = leaf(0x4000, cString(mesh.name));
  chunk3ds& trimesh = object.add(leaf(0x4100, ""));
  if (mesh.withVertexList) {
    std::string vertices = u16(static_cast<uint16_t>(mesh.vertices.size()));
    for (const vertex3& v : mesh.vertices) vertices += f32(v[0]) + f32(v[1]) + f32(v[2]);
    trimesh.add(leaf(0x4110, vertices));
  }
  if (!mesh.mapping.empty()) {
    std::string mapping = u16(static_cast<uint16_t>(mesh.mapping.size()));
    for (const uv2& uv : mesh.mapping) mapping += f32(uv[0]) + f32(uv[1]);
    trimesh.add(leaf(0x4140, mapping));
  }
  if (mesh.withFaceList) {
    std::string faces = u16(static_cast<uint16_t>(mesh.faces.size()));
    for (const face3& f : mesh.faces) faces += u16(f[0]) + u16(f[1]) + u16(f[2]) + u16(7);
    chunk3ds& faceList = trimesh.add(leaf(0x4120, faces));
    for (const groupSpec& group : mesh.groups) {
      std::string payload = cString(group.material) + u16(static_cast<uint16_t>(group.faces.size()));
      for (uint16_t face : group.faces) payload += u16(face);
      faceList.add(leaf(0x4130, payload));
    }
    if (!mesh.smoothing.empty()) {
      std::string words;
      for (uint32_t word : mesh.smoothing) words += u32(word);
      faceList.add(leaf(0x4150, words));
    }
  }
  // Local axes, as exporters write them; the parser ignores them.
  std::string axes;
  for (int n = 0; n < 12; ++n) axes += f32(n % 4 == 0 ? 1.0f : 0.0f);
  trimesh.add(leaf(0x4160, axes));
  return object;
}

chunk3ds materialChunk(const materialSpec& material) {
  chunk3ds node = leaf(0xAFFF, "");
  if (material.name) node.add(leaf(0xA000, cString(*material.name)));
  if (material.ambient) node.add(colourChunk(0xA010, *material.ambient));
  if (material.diffuse) node.add(colourChunk(0xA020, *material.diffuse));
  if (material.specular) node.add(colourChunk(0xA030, *material.specular));
  if (material.shininessPercent) {
    node.add(leaf(0xA040, "")).add(leaf(0x0030, u16(*material.shininessPercent)));
  } else if (material.shininessFloat) {
    node.add(leaf(0xA040, "")).add(leaf(0x0031, f32(*material.shininessFloat)));
  }
  for (const mapSpec& map : material.maps) {
    chunk3ds& mapChunk = node.add(leaf(map.id, ""));
    // Map strength percentage, as exporters write it first; not read.
    mapChunk.add(leaf(0x0030, u16(100)));
    mapChunk.add(leaf(0xA300, cString(map.file)));
    if (map.uScale) mapChunk.add(leaf(0xA354, f32(*map.uScale)));
    if (map.vScale) mapChunk.add(leaf(0xA356, f32(*map.vScale)));
    if (map.uOffset) mapChunk.add(leaf(0xA358, f32(*map.uOffset)));
    if (map.vOffset) mapChunk.add(leaf(0xA35A, f32(*map.vOffset)));
    if (map.angle) mapChunk.add(leaf(0xA35C, f32(*map.angle)));
  }
  return node;
}

chunk3ds file3ds(const std::vector<materialSpec>& materials, const std::vector<meshSpec>& meshes) {
  chunk3ds main = leaf(0x4D4D, "");
  main.add(leaf(0x0002, u32(3)));
  chunk3ds& editor = main.add(leaf(0x3D3D, ""));
  editor.add(leaf(0x3D3E, u32(3)));
  for (const materialSpec& material : materials) editor.add(materialChunk(material));
  for (const meshSpec& mesh : meshes) editor.add(objectChunk(mesh));
  return main;
}

meshSpec cubeMesh(const std::string& name) {
  meshSpec cube;
  cube.name = name;
  for (int corner = 0; corner < 8; ++corner) {
    cube.vertices.push_back({static_cast<float>(corner & 1), static_cast<float>((corner >> 1) & 1),
                             static_cast<float>((corner >> 2) & 1)});
  }
  // Two triangles per side, counter-clockwise seen from outside.
  cube.faces = {{0, 2, 3}, {0, 3, 1}, {4, 5, 7}, {4, 7, 6}, {0, 1, 5}, {0, 5, 4},
                {2, 6, 7}, {2, 7, 3}, {0, 4, 6}, {0, 6, 2}, {1, 3, 7}, {1, 7, 5}};
  return cube;
}

}  // namespace testing_support
