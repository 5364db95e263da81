#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

// Track files for tests, written byte by byte in the file format: a
// little-endian int32 key count, then 9-byte keys (row, value, type byte).
namespace testing_support {

struct keyRecord {
  int32_t row;
  float value;
  int8_t type;
};

inline void appendInt32(std::string& bytes, int32_t value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(bits >> shift));
}

// A file that states `count` keys and holds `keys` (a lie when they differ).
inline std::string trackFileClaiming(int32_t count, const std::vector<keyRecord>& keys) {
  std::string bytes;
  appendInt32(bytes, count);
  for (const keyRecord& key : keys) {
    appendInt32(bytes, key.row);
    int32_t valueBits;
    std::memcpy(&valueBits, &key.value, sizeof valueBits);
    appendInt32(bytes, valueBits);
    bytes.push_back(static_cast<char>(key.type));
  }
  return bytes;
}

// A well-formed file holding `keys`.
inline std::string trackFile(const std::vector<keyRecord>& keys) {
  return trackFileClaiming(static_cast<int32_t>(keys.size()), keys);
}

// A file whose one key holds `value` for every row.
inline std::string constantTrack(float value) { return trackFile({{0, value, 0}}); }

}  // namespace testing_support
