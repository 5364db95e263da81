#include "api/model/parse3ds.h"

#include "api/model/chunk_ids_3ds.h"
#include "engine/errors.h"

#include <cstring>

namespace FWmodel {

uint16_t readU16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

uint32_t readU32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) |
         (static_cast<uint32_t>(at[2]) << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

float readF32(const uint8_t* at) {
  const uint32_t bits = readU32(at);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

namespace {

constexpr uint16_t mainChunk = chunk3ds::main;
constexpr uint16_t editorChunk = chunk3ds::editor;
constexpr uint16_t objectChunk = chunk3ds::object;
constexpr uint16_t meshChunk = chunk3ds::mesh;
constexpr uint16_t vertexList = chunk3ds::vertices;
constexpr uint16_t faceList = chunk3ds::faces;
constexpr uint16_t materialGroup = chunk3ds::materialGroup;
constexpr uint16_t mappingList = chunk3ds::mapping;
constexpr uint16_t smoothingList = chunk3ds::smoothing;
constexpr uint16_t materialChunk = chunk3ds::material;
constexpr uint16_t materialName = chunk3ds::materialName;
constexpr uint16_t ambientColour = chunk3ds::ambient;
constexpr uint16_t diffuseColour = chunk3ds::diffuse;
constexpr uint16_t specularColour = chunk3ds::specular;
constexpr uint16_t shininessChunk = chunk3ds::shininess;
constexpr uint16_t mapFileName = chunk3ds::mapFileName;
constexpr uint16_t mapUScale = chunk3ds::mapUScale;
constexpr uint16_t mapVScale = chunk3ds::mapVScale;
constexpr uint16_t mapUOffset = chunk3ds::mapUOffset;
constexpr uint16_t mapVOffset = chunk3ds::mapVOffset;
constexpr uint16_t mapAngle = chunk3ds::mapAngle;

constexpr uint32_t headerSize = 6;

bool isMapChunk(uint16_t id) {
  switch (id) {
    case 0xA200: case 0xA204: case 0xA210: case 0xA220: case 0xA230: case 0xA33A:
    case 0xA33C: case 0xA33D: case 0xA33E: case 0xA340: case 0xA342: case 0xA344:
    case 0xA346: case 0xA348: case 0xA34A: case 0xA34C:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void parseFailed() { throw errorCode::modelParseFailed; }

struct chunk {
  uint16_t id;
  uint32_t start;
  uint32_t length;  // as the file states it, header included
  uint64_t end() const { return uint64_t{start} + length; }
};

// Walks one 3DS buffer. Every read goes through the bounds given by the
// enclosing chunk (`limit`), which never exceeds the buffer.
class walker {
 public:
  walker(parse3ds& parser, bool filling) : parser_(parser), filling_(filling) {}

  size_t meshCount = 0;
  size_t materialCount = 0;

  void walkTopLevel() {
    uint32_t offset = headerSize;
    const uint32_t limit = parser_.length;
    while (offset < limit) {
      const chunk current = headerAt(offset, limit);
      if (current.id == editorChunk) {
        // The editor chunk is entered: its parts follow at this level.
        offset += headerSize;
        continue;
      }
      requireSane(current);
      if (current.id == objectChunk || current.id == materialChunk) {
        requireInside(current, limit);
        if (current.id == objectChunk) {
          walkObject(current);
        } else {
          ++materialCount;
          if (filling_) parser_.materials.push_back(readMaterial(current));
        }
      }
      // Chunks that are only skipped may run past the end (a truncated
      // keyframer section, say): nothing in them is read.
      if (current.end() >= limit) break;
      offset = static_cast<uint32_t>(current.end());
    }
  }

 private:
  chunk headerAt(uint32_t offset, uint64_t limit) const {
    if (uint64_t{offset} + headerSize > limit) parseFailed();
    const uint8_t* at = parser_.buffer + offset;
    return chunk{readU16(at), offset, readU32(at + 2)};
  }

  // A chunk shorter than its own header would make the walk stall or drift.
  static void requireSane(const chunk& current) {
    if (current.length < headerSize) parseFailed();
  }

  static void requireInside(const chunk& current, uint64_t limit) {
    if (current.end() > limit) parseFailed();
  }

  // The NUL-terminated text at `offset`, which must end before `limit`.
  const char* nameAt(uint32_t offset, uint64_t limit, uint32_t* afterName) const {
    if (offset >= limit) parseFailed();
    const auto* text = reinterpret_cast<const char*>(parser_.buffer + offset);
    const void* nul = std::memchr(text, 0, static_cast<size_t>(limit - offset));
    if (nul == nullptr) parseFailed();
    *afterName = offset + static_cast<uint32_t>(static_cast<const char*>(nul) - text) + 1;
    return text;
  }

  void walkObject(const chunk& object) {
    uint32_t offset = 0;
    const char* name = nameAt(object.start + headerSize, object.end(), &offset);
    const uint64_t limit = object.end();
    while (offset < limit) {
      const chunk current = headerAt(offset, limit);
      requireSane(current);
      if (current.id == meshChunk) {
        requireInside(current, limit);
        ++meshCount;
        if (filling_) parser_.objects.push_back(readMesh(name, current));
      }
      if (current.end() >= limit) break;
      offset = static_cast<uint32_t>(current.end());
    }
  }

  // The count and data of a list chunk whose fixed part is a 16-bit count
  // and count elements; the fixed part must fit in the chunk.
  const uint8_t* listData(const chunk& list, uint32_t elementSize, uint16_t* count,
                          uint32_t* fixedPart) const {
    if (list.length < headerSize + 2) parseFailed();
    *count = readU16(parser_.buffer + list.start + headerSize);
    *fixedPart = headerSize + 2 + uint32_t{*count} * elementSize;
    if (*fixedPart > list.length) parseFailed();
    return parser_.buffer + list.start + headerSize + 2;
  }

  objectRecord readMesh(const char* name, const chunk& mesh) const {
    objectRecord record;
    record.name = name;
    const uint64_t limit = mesh.end();
    uint32_t offset = mesh.start + headerSize;
    while (offset < limit) {
      const chunk current = headerAt(offset, limit);
      if (current.length == 0) break;  // ends this mesh's walk
      requireSane(current);
      uint32_t step = current.length;
      switch (current.id) {
        case vertexList:
          requireInside(current, limit);
          record.vertices = listData(current, 12, &record.vertexCount, &step);
          break;
        case faceList:
          // Only the fixed part is stepped over: the face list's own parts
          // (groups, smoothing) come next in this same walk.
          requireInside(current, limit);
          record.faces = listData(current, 8, &record.faceCount, &step);
          break;
        case mappingList:
          requireInside(current, limit);
          record.mapping = listData(current, 8, &record.mappingCount, &step);
          break;
        case materialGroup:
          requireInside(current, limit);
          record.groups.push_back(readGroup(current, &step));
          break;
        case smoothingList:
          requireInside(current, limit);
          record.smoothingFlags = readSmoothing(current, record);
          break;
        default:
          break;
      }
      if (uint64_t{offset} + step >= limit) break;
      offset += step;
    }
    return record;
  }

  groupRecord readGroup(const chunk& group, uint32_t* step) const {
    groupRecord record;
    uint32_t offset = 0;
    record.materialName = nameAt(group.start + headerSize, group.end(), &offset);
    if (uint64_t{offset} + 2 > group.end()) parseFailed();
    record.count = readU16(parser_.buffer + offset);
    offset += 2;
    if (uint64_t{offset} + uint64_t{record.count} * 2 > group.end()) parseFailed();
    record.faceIndices = parser_.buffer + offset;
    *step = offset + uint32_t{record.count} * 2 - group.start;
    return record;
  }

  // The OR of the low bytes of as many smoothing words as the latest group
  // of this object has faces (0 before any group).
  uint32_t readSmoothing(const chunk& list, const objectRecord& record) const {
    if (record.groups.empty()) return 0;
    const uint32_t words = (list.length - headerSize) / 4;
    const uint32_t used = record.groups.back().count;
    if (used > words) parseFailed();
    uint32_t flags = 0;
    const uint8_t* word = parser_.buffer + list.start + headerSize;
    for (uint32_t n = 0; n < used; ++n) flags |= word[4 * n];
    return flags;
  }

  // The first sub-chunk of a colour or shininess chunk; it must fit inside.
  chunk firstPart(const chunk& owner) const {
    const chunk part = headerAt(owner.start + headerSize, owner.end());
    requireSane(part);
    requireInside(part, owner.end());
    return part;
  }

  // Reads the colour and returns where the material walk goes on.
  uint32_t readColour(const chunk& owner, float* colour) const {
    const chunk part = firstPart(owner);
    const uint8_t* data = parser_.buffer + part.start + headerSize;
    colour[3] = 1.0f;
    if (part.id == 0x0010 || part.id == 0x0013) {
      if (part.length < headerSize + 12) parseFailed();
      for (int c = 0; c < 3; ++c) colour[c] = readF32(data + 4 * c);
    } else if (part.id == 0x0011 || part.id == 0x0012) {
      if (part.length < headerSize + 3) parseFailed();
      for (int c = 0; c < 3; ++c) colour[c] = static_cast<float>(data[c] / 255.0);
    } else {
      colour[0] = colour[1] = colour[2] = 0.0f;
      return static_cast<uint32_t>(owner.end());
    }
    // A second colour part (the gamma-corrected copy) is met next at
    // material level and skipped there.
    return static_cast<uint32_t>(part.end());
  }

  uint32_t readShininess(const chunk& owner, float* shininess) const {
    const chunk part = firstPart(owner);
    const uint8_t* data = parser_.buffer + part.start + headerSize;
    if (part.id == 0x0030) {
      if (part.length < headerSize + 2) parseFailed();
      *shininess = static_cast<float>(readU16(data) / 100.0);
    } else if (part.id == 0x0031) {
      if (part.length < headerSize + 4) parseFailed();
      *shininess = readF32(data);
    } else {
      *shininess = 0.0f;
      return static_cast<uint32_t>(owner.end());
    }
    return static_cast<uint32_t>(part.end());
  }

  float floatIn(const chunk& part) const {
    if (part.length < headerSize + 4) parseFailed();
    return readF32(parser_.buffer + part.start + headerSize);
  }

  mapRecord readMap(const chunk& map) const {
    mapRecord record;
    const uint64_t limit = map.end();
    uint32_t offset = map.start + headerSize;
    while (offset < limit) {
      const chunk current = headerAt(offset, limit);
      requireSane(current);
      const bool read = current.id == mapFileName || (current.id >= mapUScale &&
                                                      current.id <= mapAngle &&
                                                      current.id % 2 == 0);
      if (read) requireInside(current, limit);
      uint32_t unused = 0;
      switch (current.id) {
        case mapFileName:
          record.fileName = nameAt(current.start + headerSize, current.end(), &unused);
          break;
        case mapUScale: record.uScale = floatIn(current); break;
        case mapVScale: record.vScale = floatIn(current); break;
        case mapUOffset: record.uOffset = floatIn(current); break;
        case mapVOffset: record.vOffset = floatIn(current); break;
        case mapAngle: record.angle = floatIn(current); break;
        default: break;
      }
      if (current.end() >= limit) break;
      offset = static_cast<uint32_t>(current.end());
    }
    return record;
  }

  materialRecord readMaterial(const chunk& material) const {
    materialRecord record;
    const uint64_t limit = material.end();
    uint32_t offset = material.start + headerSize;
    while (offset < limit) {
      const chunk current = headerAt(offset, limit);
      requireSane(current);
      uint64_t next = current.end();
      uint32_t unused = 0;
      if (current.id == materialName) {
        requireInside(current, limit);
        record.name = nameAt(current.start + headerSize, current.end(), &unused);
      } else if (current.id == ambientColour || current.id == diffuseColour ||
                 current.id == specularColour) {
        requireInside(current, limit);
        float* colour = current.id == ambientColour   ? record.ambient
                        : current.id == diffuseColour ? record.diffuse
                                                      : record.specular;
        next = readColour(current, colour);
      } else if (current.id == shininessChunk) {
        requireInside(current, limit);
        next = readShininess(current, &record.shininess);
      } else if (isMapChunk(current.id)) {
        requireInside(current, limit);
        record.maps.push_back(readMap(current));
      }
      if (next >= limit) break;
      offset = static_cast<uint32_t>(next);
    }
    return record;
  }

  parse3ds& parser_;
  bool filling_;
};

}  // namespace

parse3ds::parse3ds(const uint8_t* data, uint32_t size) : buffer(data), length(size) {
  if (buffer == nullptr || length < headerSize) throw errorCode::modelInvalid3ds;
  const uint16_t firstId = readU16(buffer);
  const uint32_t firstLength = readU32(buffer + 2);
  // Either one right is enough: some exporters write a wrong total length.
  if (firstId != mainChunk && firstLength != length) throw errorCode::modelInvalid3ds;

  // Pass 1 sizes the record lists, pass 2 fills them.
  walker counting(*this, false);
  counting.walkTopLevel();
  objects.reserve(counting.meshCount);
  materials.reserve(counting.materialCount);
  walker filling(*this, true);
  filling.walkTopLevel();
}

}  // namespace FWmodel
