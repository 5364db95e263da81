#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The show's track files: a little-endian 32-bit key count followed by one
// 9-byte record per key (row int32, value float32, interpolation int8).
namespace content {

// Interpolation codes from a key to the next one.
namespace interpolation {
constexpr int8_t step = 0;
constexpr int8_t linear = 1;
constexpr int8_t smooth = 2;
constexpr int8_t ramp = 3;
}  // namespace interpolation

struct trackKey {
  int32_t row = 0;
  float value = 0.0f;
  int8_t type = interpolation::step;

  bool operator==(const trackKey& other) const;
};

// One named track with its keys in ascending row order.
struct namedTrack {
  std::string name;
  std::vector<trackKey> keys;
};

constexpr int trackKeyBytes = 9;

// The name of an interpolation code ("step", "linear", "smooth", "ramp"), or
// null for a code outside 0..3.
const char* interpolationName(int type);

// The code of an interpolation name; -1 when the name is unknown.
int interpolationFromName(const std::string& name);

// The package entry of a track: "script/sync_" + name + ".track".
std::string trackEntryName(const std::string& trackName);

// Empty when `trackName` can name a track file; otherwise why not (bad
// characters, or an entry name longer than the 255 characters the engine's
// package lookup can match).
std::string trackNameProblem(const std::string& trackName);

// The file bytes for `keys`, exactly 4 + 9 * count. Does not check order.
std::string encodeTrack(const std::vector<trackKey>& keys);

// Reads a track file. Throws contentError, naming `source`, when the file is
// shorter than its count says or the count is negative; bytes after the last
// key are left unread and reported through `trailingBytes` when given.
std::vector<trackKey> decodeTrack(const std::string& bytes, const std::string& source,
                                  size_t* trailingBytes = nullptr);

}  // namespace content
