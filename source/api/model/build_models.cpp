#include "api/model/build_models.h"

#include "engine/errors.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace FWmodel {

namespace {

// Faceted objects give every face three vertices of its own, addressed by
// 16-bit indices.
constexpr uint32_t maxFacetedFaces = 65536 / 3;

FWrender::vec3 vertexAt(const objectRecord& object, uint32_t index) {
  const uint8_t* at = object.vertices + 12 * index;
  return {readF32(at), readF32(at + 4), readF32(at + 8)};
}

// The mapping coordinate (u, v) as a texture coordinate (u, 1 - v).
FWrender::vec2 texcoordAt(const objectRecord& object, uint32_t index) {
  const uint8_t* at = object.mapping + 8 * index;
  return {readF32(at), 1.0f - readF32(at + 4)};
}

void faceIndices(const objectRecord& object, uint32_t face, uint16_t* out) {
  const uint8_t* at = object.faces + 8 * face;
  out[0] = readU16(at);
  out[1] = readU16(at + 2);
  out[2] = readU16(at + 4);
}

void fillSmooth(const objectRecord& object, FWrender::model& target) {
  target.vertices.reserve(object.vertexCount);
  for (uint32_t v = 0; v < object.vertexCount; ++v) target.vertices.push_back(vertexAt(object, v));
  target.faces.reserve(object.faceCount);
  for (uint32_t f = 0; f < object.faceCount; ++f) {
    uint16_t index[3];
    faceIndices(object, f, index);
    for (uint16_t i : index) {
      if (i >= object.vertexCount) throw errorCode::badIndex;
    }
    target.faces.push_back({index[0], index[1], index[2]});
  }
  // One coordinate per vertex; vertices past the end of a shorter mapping
  // list get (0, 0).
  target.texcoords.reserve(object.vertexCount);
  for (uint32_t v = 0; v < object.vertexCount; ++v) {
    target.texcoords.push_back(v < object.mappingCount ? texcoordAt(object, v)
                                                       : FWrender::vec2{0.0f, 0.0f});
  }
}

void fillFaceted(const objectRecord& object, FWrender::model& target) {
  if (object.faceCount > maxFacetedFaces) throw errorCode::badIndex;
  const bool mapped = object.mappingCount > 0;
  const size_t vertexTotal = size_t{object.faceCount} * 3;
  target.vertices.reserve(vertexTotal);
  target.texcoords.reserve(vertexTotal);
  target.faces.reserve(object.faceCount);
  for (uint32_t f = 0; f < object.faceCount; ++f) {
    uint16_t index[3];
    faceIndices(object, f, index);
    for (uint16_t i : index) {
      if (i >= object.vertexCount || (mapped && i >= object.mappingCount)) {
        throw errorCode::badIndex;
      }
      target.vertices.push_back(vertexAt(object, i));
      target.texcoords.push_back(mapped ? texcoordAt(object, i) : FWrender::vec2{0.0f, 0.0f});
    }
    const auto first = static_cast<uint16_t>(3 * f);
    target.faces.push_back({first, static_cast<uint16_t>(first + 1), static_cast<uint16_t>(first + 2)});
  }
}

std::unique_ptr<FWrender::texture> textureFor(const mapRecord& map) {
  auto made = std::make_unique<FWrender::texture>();
  if (map.fileName != nullptr) made->name = map.fileName;
  made->params.generateMipmap = true;
  made->params.minFilter = FWrender::filterLinearMipmapLinear;
  made->params.magFilter = FWrender::filterLinear;
  made->params.wrapS = FWrender::wrapRepeat;
  made->params.wrapT = FWrender::wrapRepeat;
  made->params.wrapR = 2;
  made->scale[0] = map.vScale;
  made->scale[1] = map.uScale;
  made->offset[0] = map.uOffset;
  made->offset[1] = map.vOffset;
  made->mapAngle = map.angle;
  return made;
}

void attachMaterial(const materialRecord& record, FWrender::MaterialGroup& group) {
  auto made = std::make_unique<FWrender::material>();
  for (int c = 0; c < 4; ++c) {
    made->ambient[c] = record.ambient[c];
    made->diffuse[c] = record.diffuse[c];
    made->specular[c] = record.specular[c];
  }
  made->shininess = record.shininess;
  group.material = made.get();
  group.ownedMaterial = std::move(made);

  // Maps beyond the texture units could never be bound, so only those that
  // become layers are made.
  const size_t layers = std::min(record.maps.size(), group.layers.size());
  for (size_t j = 0; j < layers; ++j) {
    group.ownedTextures.push_back(textureFor(record.maps[j]));
    group.layers[j] = group.ownedTextures.back().get();
  }
}

void addGroups(const objectRecord& object, const parse3ds& parser,
               const std::map<std::string_view, size_t>& materialByName,
               FWrender::model& target) {
  bool matchedBefore = false;
  for (const groupRecord& record : object.groups) {
    auto group = std::make_unique<FWrender::MaterialGroup>();
    auto match = materialByName.find(record.materialName);
    if (match != materialByName.end()) {
      attachMaterial(parser.materials[match->second], *group);
      matchedBefore = true;
    } else if (!matchedBefore) {
      group->ownedMaterial = std::make_unique<FWrender::material>();
      group->material = group->ownedMaterial.get();
    }
    group->faceIndices.reserve(record.count);
    for (uint32_t n = 0; n < record.count; ++n) {
      const uint16_t face = readU16(record.faceIndices + 2 * n);
      if (face >= object.faceCount) throw errorCode::badIndex;
      group->faceIndices.push_back(face);
    }
    target.groups.push_back(std::move(group));
  }
}

}  // namespace

int buildModels(const parse3ds* parser, std::vector<std::unique_ptr<FWrender::model>>& models) {
  if (parser == nullptr) return 0;
  models.clear();

  // The last material of a name wins; materials without a name match nothing.
  std::map<std::string_view, size_t> materialByName;
  for (size_t m = 0; m < parser->materials.size(); ++m) {
    if (parser->materials[m].name != nullptr) materialByName[parser->materials[m].name] = m;
  }

  for (const objectRecord& object : parser->objects) {
    if (object.vertexCount == 0 || object.faceCount == 0) continue;
    auto target = std::make_unique<FWrender::model>();
    target->name = object.name;
    if (object.smoothingFlags & 1u) {
      fillSmooth(object, *target);
    } else {
      fillFaceted(object, *target);
    }
    addGroups(object, *parser, materialByName, *target);
    models.push_back(std::move(target));
  }
  return 1;
}

}  // namespace FWmodel
