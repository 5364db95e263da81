#include "api/render/mipmap_region.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MipmapRegion, EachLevelCoversItsReadsAndWhatTheNextLevelHalves) {
  // 1280 of a 2048 side, levels down to 5: reads below 40 texels of level 5
  // filter up to texel 40, so 41 texels; each finer level holds twice the
  // next one's count.
  EXPECT_EQ(FWrender::regeneratedTexels(2048, 1280, 5),
            (std::vector<int32_t>{2048, 656, 328, 164, 82, 41}));
  // 720 of 1024: reads below 22.5 texels of level 5 filter up to texel 23.
  EXPECT_EQ(FWrender::regeneratedTexels(1024, 720, 5),
            (std::vector<int32_t>{1024, 384, 192, 96, 48, 24}));
  // Reads past a short side take all of it; a side that has reached one
  // texel stays one.
  EXPECT_EQ(FWrender::regeneratedTexels(16, 100, 5), (std::vector<int32_t>{16, 8, 4, 2, 1, 1}));
  // Nothing read still regenerates the corner texel of each level.
  EXPECT_EQ(FWrender::regeneratedTexels(64, 0, 2), (std::vector<int32_t>{64, 2, 1}));
}

}  // namespace
