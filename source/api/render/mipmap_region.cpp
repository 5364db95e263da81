#include "api/render/mipmap_region.h"

#include <cstddef>

namespace FWrender {

namespace {

int64_t sideOfLevel(int32_t levelZero, int32_t level) {
  const int64_t side = level < 31 ? int64_t{levelZero} >> level : 0;
  return side > 1 ? side : 1;
}

}  // namespace

std::vector<int32_t> regeneratedTexels(int32_t levelZero, int32_t sampled, int32_t levels) {
  std::vector<int32_t> counts;
  if (levelZero < 1) return counts;
  counts.push_back(levelZero);
  const int64_t reach = sampled > 0 ? sampled : 0;
  for (int32_t level = 1; level <= levels; ++level) {
    // A read at a coordinate below reach / 2^level texels of this level
    // filters the texel it falls in and the next one.
    const int64_t scale = level < 31 ? int64_t{1} << level : int64_t{1} << 31;
    const int64_t needed = (reach + scale - 1) / scale + 1;
    const int64_t side = sideOfLevel(levelZero, level);
    counts.push_back(static_cast<int32_t>(needed < side ? needed : side));
  }
  // Each level halves the one before it: what a level regenerates must be
  // there, fresh, in the level above.
  for (int32_t level = levels; level > 1; --level) {
    const int64_t side = sideOfLevel(levelZero, level - 1);
    const int64_t halvedFrom = 2 * int64_t{counts[static_cast<std::size_t>(level)]};
    int32_t& above = counts[static_cast<std::size_t>(level - 1)];
    if (halvedFrom > above) above = static_cast<int32_t>(halvedFrom < side ? halvedFrom : side);
  }
  return counts;
}

}  // namespace FWrender
