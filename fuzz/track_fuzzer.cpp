// Track files over arbitrary bytes: the byte-level loader, then evaluation
// of the loaded track at rows around every key, at extreme rows, and at rows
// taken from whatever bytes follow the keys.
#include "engine/rocket/track.h"
#include "engine/rocket/track_file.h"
#include "fuzz_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

namespace {

bool usableForRangeCheck(const sync_track& track) {
  for (int32_t i = 0; i < track.key_count; ++i) {
    if (!std::isfinite(track.keys[i].value) || std::fabs(track.keys[i].value) > 1e30f) return false;
  }
  return true;
}

void evaluateAt(const sync_track& track, double row, float low, float high, bool checkRange) {
  const float value = sync_track_value(&track, row);
  if (!checkRange) return;
  // Every interpolation stays between its two keys, and a key of unknown
  // type gives 0, so no value leaves the range of the keys (and 0), but for
  // rounding: a + (b - a) * s is exact only to a few units in the last
  // place of the larger key.
  const double slack = 1e-6 * std::max(std::fabs(double{low}), std::fabs(double{high}));
  fuzzing::require(value >= low - slack && value <= high + slack,
                   "values stay within the keys' range");
}

void evaluate(const sync_track& track, const uint8_t* data, size_t size, uint64_t keyBytes) {
  const bool checkRange = usableForRangeCheck(track);
  float low = 0.0f;
  float high = 0.0f;
  for (int32_t i = 0; i < track.key_count; ++i) {
    low = std::min(low, track.keys[i].value);
    high = std::max(high, track.keys[i].value);
  }
  for (int32_t i = 0; i < track.key_count; ++i) {
    const double row = track.keys[i].row;
    for (double offset : {-1.0, -0.5, 0.0, 0.25, 0.5, 0.999, 1.0}) {
      evaluateAt(track, row + offset, low, high, checkRange);
    }
  }
  const double extremes[] = {0.0,
                             1.0,
                             -1.0,
                             2147483647.0,
                             2147483648.5,
                             -2147483648.0,
                             -2147483649.5,
                             1e300,
                             -1e300,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::denorm_min()};
  for (double row : extremes) evaluateAt(track, row, low, high, checkRange);
  // Bytes after the keys are rows to evaluate at.
  for (uint64_t at = keyBytes; at + sizeof(double) <= size; at += sizeof(double)) {
    double row;
    std::memcpy(&row, data + at, sizeof row);
    evaluateAt(track, row, low, high, checkRange);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  char name[] = "fuzz.track";
  sync_track track{name, nullptr, 0};
  const auto length = static_cast<uint32_t>(size);
  try {
    const int32_t result = tracker_load_track_bytes("script/sync_fuzz.track", data, length, &track);
    fuzzing::require(result == (size == 0 ? 1 : 0), "only an empty file reports no data");
    const trackFileCheck check = checkTrackFile(data, length);
    fuzzing::require(track.key_count == check.keyCount, "the key count is the file's");
    fuzzing::require(check.bytesNeeded <= size, "keys are read only from inside the file");
    evaluate(track, data, size, check.bytesNeeded);
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::badIndex});
    fuzzing::require(track.keys == nullptr && track.key_count == 0,
                     "a refused file leaves the track empty");
  }
  std::free(track.keys);
  return 0;
}
