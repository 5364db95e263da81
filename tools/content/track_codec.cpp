#include "content/track_codec.h"

#include "content/content_error.h"

#include <cstring>

namespace content {

namespace {

const char* const interpolationNames[] = {"step", "linear", "smooth", "ramp"};

// The longest entry name the engine can look up: its file-name buffer holds
// 260 bytes with the terminator, but the package lookup never matches a
// name of 256 characters or more.
constexpr size_t longestEntryName = 255;

void putLittleEndian32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

uint32_t getLittleEndian32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

}  // namespace

bool trackKey::operator==(const trackKey& other) const {
  // Values compare bit for bit: a round trip must keep the exact float.
  return row == other.row && std::memcmp(&value, &other.value, sizeof value) == 0 &&
         type == other.type;
}

const char* interpolationName(int type) {
  if (type < 0 || type > 3) return nullptr;
  return interpolationNames[type];
}

int interpolationFromName(const std::string& name) {
  for (int type = 0; type < 4; ++type) {
    if (name == interpolationNames[type]) return type;
  }
  return -1;
}

std::string trackEntryName(const std::string& trackName) {
  return "script/sync_" + trackName + ".track";
}

std::string trackNameProblem(const std::string& trackName) {
  if (trackName.empty()) return "a track needs a name";
  for (char c : trackName) {
    const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                         (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
    if (!allowed) return "track name \"" + trackName + "\" may hold only letters, digits, '.', '_' and '-'";
  }
  if (trackEntryName(trackName).size() > longestEntryName) {
    return "track name \"" + trackName + "\" is too long for a track file name";
  }
  return "";
}

std::string encodeTrack(const std::vector<trackKey>& keys) {
  std::string bytes;
  bytes.reserve(4 + keys.size() * trackKeyBytes);
  putLittleEndian32(bytes, static_cast<uint32_t>(keys.size()));
  for (const trackKey& key : keys) {
    putLittleEndian32(bytes, static_cast<uint32_t>(key.row));
    uint32_t valueBits;
    std::memcpy(&valueBits, &key.value, sizeof valueBits);
    putLittleEndian32(bytes, valueBits);
    bytes.push_back(static_cast<char>(key.type));
  }
  return bytes;
}

std::vector<trackKey> decodeTrack(const std::string& bytes, const std::string& source,
                                  size_t* trailingBytes) {
  if (bytes.size() < 4) {
    throw contentError(source + ": a track file holds at least its 4-byte key count, this one has " +
                       std::to_string(bytes.size()) + " bytes");
  }
  const int32_t count = static_cast<int32_t>(getLittleEndian32(bytes, 0));
  if (count < 0) throw contentError(source + ": negative key count " + std::to_string(count));
  const size_t needed = 4 + static_cast<size_t>(count) * trackKeyBytes;
  if (bytes.size() < needed) {
    throw contentError(source + ": " + std::to_string(count) + " keys need " + std::to_string(needed) +
                       " bytes, the file has " + std::to_string(bytes.size()));
  }
  std::vector<trackKey> keys(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const size_t at = 4 + static_cast<size_t>(i) * trackKeyBytes;
    keys[i].row = static_cast<int32_t>(getLittleEndian32(bytes, at));
    const uint32_t valueBits = getLittleEndian32(bytes, at + 4);
    std::memcpy(&keys[i].value, &valueBits, sizeof valueBits);
    keys[i].type = static_cast<int8_t>(bytes[at + 8]);
  }
  if (trailingBytes != nullptr) *trailingBytes = bytes.size() - needed;
  return keys;
}

}  // namespace content
