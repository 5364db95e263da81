#include "engine/rocket/track.h"

#include "engine/rocket/assertion.h"

#include <cmath>

namespace {

// floor(row) as a key row. Rows outside the 32-bit range (or NaN) cannot
// fall between two keys, so they clamp to the ends of that range.
int32_t keyRowOf(double row) {
  const double whole = std::floor(row);
  if (!(whole >= -2147483648.0)) return INT32_MIN;
  if (whole >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(whole);
}

}  // namespace

int32_t sync_key_search(const sync_track* track, int32_t row) {
  int32_t lo = 0;
  int32_t hi = track->key_count;
  while (lo < hi) {
    const int32_t mi = lo + (hi - lo) / 2;
    liveAssertion(mi != hi, "mi != hi", trackSourceName, 69);
    if (track->keys[mi].row < row) {
      lo = mi + 1;
    } else if (track->keys[mi].row > row) {
      hi = mi;
    } else {
      return mi;
    }
  }
  return -lo - 1;
}

float sync_track_value(const sync_track* track, double row) {
  if (track->key_count <= 0) return 0.0f;

  int32_t i = sync_key_search(track, keyRowOf(row));
  if (i < 0) i = -i - 2;
  if (i < 0) return track->keys[0].value;
  if (i > track->key_count - 2) return track->keys[track->key_count - 1].value;

  const sync_key& k0 = track->keys[i];
  const sync_key& k1 = track->keys[i + 1];
  if (k0.type == KEY_STEP) return k0.value;

  // Keys in a proper file ascend strictly; an equal or falling pair (reported
  // when the file loaded) has no span to interpolate over.
  const int64_t span = static_cast<int64_t>(k1.row) - k0.row;
  if (span <= 0) return k0.value;
  // A row below the 32-bit range (or NaN) was clamped onto k0's row by the
  // search; it sits on k0 rather than extrapolating from it.
  double t = (row - k0.row) / static_cast<double>(span);
  if (!(t > 0.0)) t = 0.0;

  double shaped;
  switch (k0.type) {
    case KEY_LINEAR:
      shaped = t;
      break;
    case KEY_SMOOTH:
      shaped = (3.0 - (t + t)) * t * t;
      break;
    case KEY_RAMP:
      shaped = std::pow(t, 2.0);
      break;
    default:
      liveAssertion(false, "0", trackSourceName, 59);
      return 0.0f;
  }
  const double a = k0.value;
  const double b = k1.value;
  return static_cast<float>(a + (b - a) * shaped);
}
