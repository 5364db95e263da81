#include "content/model_3ds.h"

#include "content/content_error.h"

#include "api/model/chunk_ids_3ds.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace content {

namespace {

namespace chunk = FWmodel::chunk3ds;

class chunkWriter {
 public:
  size_t begin(uint16_t id) {
    put16(id);
    const size_t start = bytes_.size() - 2;
    put32(0);  // patched by end()
    return start;
  }
  void end(size_t start) {
    const uint32_t length = static_cast<uint32_t>(bytes_.size() - start);
    for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  }
  void put8(uint8_t v) { bytes_.push_back(static_cast<char>(v)); }
  void put16(uint16_t v) {
    put8(static_cast<uint8_t>(v & 0xFF));
    put8(static_cast<uint8_t>(v >> 8));
  }
  void put32(uint32_t v) {
    for (int i = 0; i < 4; ++i) put8(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
  }
  void putFloat(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    put32(bits);
  }
  void putName(const std::string& name) {
    bytes_.append(name);
    put8(0);
  }
  std::string take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

uint8_t colourByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

void writeColour(chunkWriter& out, uint16_t id, const colour& c) {
  const size_t outer = out.begin(id);
  const size_t inner = out.begin(chunk::colourBytes);
  out.put8(colourByte(c.r));
  out.put8(colourByte(c.g));
  out.put8(colourByte(c.b));
  out.end(inner);
  out.end(outer);
}

void writeMaterial(chunkWriter& out, const material3ds& m) {
  const size_t start = out.begin(chunk::material);
  const size_t name = out.begin(chunk::materialName);
  out.putName(m.name);
  out.end(name);
  writeColour(out, chunk::ambient, m.ambient);
  writeColour(out, chunk::diffuse, m.diffuse);
  writeColour(out, chunk::specular, m.specular);
  const size_t shine = out.begin(chunk::shininess);
  const size_t amount = out.begin(chunk::floatAmount);
  out.putFloat(m.shininess);
  out.end(amount);
  out.end(shine);
  out.end(start);
}

void writeObject(chunkWriter& out, const object3ds& o) {
  const size_t start = out.begin(chunk::object);
  out.putName(o.name);
  // The mesh must follow the name directly: the builder reads it from there.
  const size_t mesh = out.begin(chunk::mesh);
  const size_t vertices = out.begin(chunk::vertices);
  out.put16(static_cast<uint16_t>(o.vertices.size()));
  for (const auto& v : o.vertices) {
    for (float c : v) out.putFloat(c);
  }
  out.end(vertices);
  if (!o.mapping.empty()) {
    const size_t mapping = out.begin(chunk::mapping);
    out.put16(static_cast<uint16_t>(o.mapping.size()));
    for (const auto& uv : o.mapping) {
      out.putFloat(uv[0]);
      out.putFloat(uv[1]);
    }
    out.end(mapping);
  }
  const size_t faces = out.begin(chunk::faces);
  out.put16(static_cast<uint16_t>(o.faces.size()));
  for (const auto& f : o.faces) {
    for (int index : f) out.put16(static_cast<uint16_t>(index));
    out.put16(0x0007);  // edge visibility flags: all three edges
  }
  // The group comes before the smoothing words: the builder counts smoothing
  // words by the face count of the last group it read.
  if (!o.material.empty()) {
    const size_t group = out.begin(chunk::materialGroup);
    out.putName(o.material);
    out.put16(static_cast<uint16_t>(o.faces.size()));
    for (size_t i = 0; i < o.faces.size(); ++i) out.put16(static_cast<uint16_t>(i));
    out.end(group);
  }
  const size_t smoothing = out.begin(chunk::smoothing);
  for (size_t i = 0; i < o.faces.size(); ++i) out.put32(o.smooth ? 1u : 0u);
  out.end(smoothing);
  out.end(faces);
  out.end(mesh);
  out.end(start);
}

void check(const scene3ds& scene, const object3ds& o, const std::string& fileName) {
  const std::string where = fileName + ": object \"" + o.name + "\"";
  auto refuse = [&](const std::string& why) { throw contentError(where + " " + why); };
  if (o.name.empty() || o.name.find('\0') != std::string::npos) {
    throw contentError(fileName + ": every object needs a name without NUL bytes");
  }
  if (o.vertices.empty() || o.faces.empty()) refuse("has no vertices or no faces");
  if (o.vertices.size() > static_cast<size_t>(max3dsCount)) {
    refuse("has " + std::to_string(o.vertices.size()) + " vertices, more than the 16-bit limit of " +
           std::to_string(max3dsCount));
  }
  if (o.faces.size() > static_cast<size_t>(max3dsCount)) {
    refuse("has " + std::to_string(o.faces.size()) + " faces, more than the 16-bit limit of " +
           std::to_string(max3dsCount));
  }
  if (!o.smooth && o.faces.size() > static_cast<size_t>(max3dsFacetedFaces)) {
    refuse("has " + std::to_string(o.faces.size()) + " faces without smoothing, more than the " +
           std::to_string(max3dsFacetedFaces) + " that fit 16-bit indices once each face has its own vertices");
  }
  if (!o.mapping.empty() && o.mapping.size() != o.vertices.size()) {
    refuse("has " + std::to_string(o.mapping.size()) + " mapping coordinates for " +
           std::to_string(o.vertices.size()) + " vertices");
  }
  for (const auto& f : o.faces) {
    for (int index : f) {
      if (index < 0 || static_cast<size_t>(index) >= o.vertices.size()) {
        refuse("has a face with vertex index " + std::to_string(index) + " outside 0.." +
               std::to_string(o.vertices.size() - 1));
      }
    }
  }
  for (const auto& v : o.vertices) {
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || !std::isfinite(v[2])) refuse("has a vertex that is not finite");
  }
  if (o.smooth && o.material.empty()) refuse("asks for smoothing without a material group to carry it");
  if (!o.material.empty() &&
      std::none_of(scene.materials.begin(), scene.materials.end(),
                   [&](const material3ds& m) { return m.name == o.material; })) {
    refuse("names the material \"" + o.material + "\", which the file does not hold");
  }
}

}  // namespace

std::string write3ds(const scene3ds& scene, const std::string& fileName) {
  for (const material3ds& m : scene.materials) {
    if (m.name.empty() || m.name.find('\0') != std::string::npos) {
      throw contentError(fileName + ": every material needs a name without NUL bytes");
    }
  }
  for (const object3ds& o : scene.objects) check(scene, o, fileName);
  chunkWriter out;
  const size_t file = out.begin(chunk::main);
  const size_t version = out.begin(chunk::version);
  out.put32(3);
  out.end(version);
  const size_t editor = out.begin(chunk::editor);
  const size_t meshVersion = out.begin(chunk::meshVersion);
  out.put32(3);
  out.end(meshVersion);
  for (const material3ds& m : scene.materials) writeMaterial(out, m);
  const size_t scale = out.begin(chunk::masterScale);
  out.putFloat(1.0f);
  out.end(scale);
  for (const object3ds& o : scene.objects) writeObject(out, o);
  out.end(editor);
  out.end(file);
  return out.take();
}

std::vector<object3ds> splitToLimits(const object3ds& object) {
  const size_t faceLimit = static_cast<size_t>(object.smooth ? max3dsCount : max3dsFacetedFaces);
  std::vector<object3ds> parts;
  std::unordered_map<int, int> remap;
  auto startPart = [&] {
    parts.emplace_back();
    parts.back().smooth = object.smooth;
    parts.back().material = object.material;
    remap.clear();
  };
  startPart();
  for (const auto& face : object.faces) {
    object3ds* part = &parts.back();
    size_t fresh = 0;
    for (int index : face) fresh += remap.count(index) == 0 ? 1 : 0;
    if (part->faces.size() + 1 > faceLimit || part->vertices.size() + fresh > static_cast<size_t>(max3dsCount)) {
      startPart();
      part = &parts.back();
    }
    std::array<int, 3> mapped{};
    for (int k = 0; k < 3; ++k) {
      const int index = face[k];
      auto found = remap.find(index);
      if (found == remap.end()) {
        found = remap.emplace(index, static_cast<int>(part->vertices.size())).first;
        part->vertices.push_back(object.vertices.at(static_cast<size_t>(index)));
        if (!object.mapping.empty()) part->mapping.push_back(object.mapping.at(static_cast<size_t>(index)));
      }
      mapped[k] = found->second;
    }
    part->faces.push_back(mapped);
  }
  for (size_t i = 0; i < parts.size(); ++i) {
    parts[i].name = parts.size() == 1 ? object.name : object.name + std::to_string(i);
  }
  return parts;
}

}  // namespace content
