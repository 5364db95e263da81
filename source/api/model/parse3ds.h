#pragma once

#include <cstdint>
#include <vector>

namespace FWmodel {

// Where the parts of a 3DS file lie. Records point into the caller's
// buffer, which must outlive the parser; every pointer and count has been
// checked to lie inside its chunk and the buffer. Names are NUL-terminated
// inside their chunks. Multi-byte values are little-endian and unaligned:
// read them with the helpers below.

struct mapRecord {
  const char* fileName = nullptr;  // null: the map has no name chunk
  float uScale = 1.0f;
  float vScale = 1.0f;
  float uOffset = 0.0f;
  float vOffset = 0.0f;
  float angle = 0.0f;
};

struct materialRecord {
  const char* name = nullptr;  // null: never matched by a group
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float shininess = 1.0f;  // when the file gives none
  std::vector<mapRecord> maps;
};

struct groupRecord {
  const char* materialName = nullptr;
  const uint8_t* faceIndices = nullptr;  // count x uint16
  uint16_t count = 0;
};

struct objectRecord {
  const char* name = nullptr;
  const uint8_t* vertices = nullptr;  // vertexCount x 3 float32
  uint16_t vertexCount = 0;
  const uint8_t* faces = nullptr;  // faceCount x 4 uint16 (three indices, flags)
  uint16_t faceCount = 0;
  const uint8_t* mapping = nullptr;  // mappingCount x 2 float32 (u, v)
  uint16_t mappingCount = 0;
  uint32_t smoothingFlags = 0;
  std::vector<groupRecord> groups;
};

// Parses a whole 3DS file held in memory, without copying it. Throws 2305
// when the header is not a 3DS header (first id not 0x4D4D and first length
// not the buffer length, or fewer than 6 bytes), and 2306 when any chunk,
// count or name does not fit where it is read. Never reads outside the
// buffer; memory grows linearly with the buffer at most. Counts are read as
// unsigned 16-bit values.
class parse3ds {
 public:
  parse3ds(const uint8_t* buffer, uint32_t length);
  virtual ~parse3ds() = default;

  const uint8_t* buffer;
  uint32_t length;
  std::vector<objectRecord> objects;     // one per triangle mesh, file order
  std::vector<materialRecord> materials;  // file order
  bool ownsBuffer = false;
};

uint16_t readU16(const uint8_t* at);
uint32_t readU32(const uint8_t* at);
float readF32(const uint8_t* at);

}  // namespace FWmodel
