#pragma once

#include <cstdint>
#include <vector>

namespace FWrender {

// How many texels along one side of each mipmap level must be regenerated,
// counted from the texture's corner, so that every read with coordinates
// inside the first `sampled` texels of level 0 (bilinear or trilinear, at
// any of levels 1 .. `levels`) finds what a full regeneration would have
// left there. `levelZero` is that side of level 0, a power of two; a level
// is half the one before and at least 1. Entry k is for level k; entry 0
// is `levelZero` itself (level 0 is drawn, not regenerated), and each
// level's count covers the texels that the next level's count halves
// from. Cheap.
std::vector<int32_t> regeneratedTexels(int32_t levelZero, int32_t sampled, int32_t levels);

}  // namespace FWrender
