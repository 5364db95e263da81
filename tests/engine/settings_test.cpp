#include "engine/settings.h"
#include "engine/window.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplaySettings, DesktopShapeGivesTheAspectCode) {
  EXPECT_EQ(detectAspectCode(1920, 1080), aspect::a16to9);
  EXPECT_EQ(detectAspectCode(1366, 768), aspect::a16to9);
  EXPECT_EQ(detectAspectCode(1680, 1050), aspect::a16to10);
  EXPECT_EQ(detectAspectCode(1024, 768), aspect::a4to3);
  EXPECT_EQ(detectAspectCode(1280, 1024), aspect::a4to3);  // 5:4 falls back to 4:3
  EXPECT_EQ(detectAspectCode(3440, 1440), aspect::a4to3);
}

TEST(DisplaySettings, ResolutionAndAspectTables) {
  int32_t width = 0;
  int32_t height = 0;
  resolutionSize(resolution::r640x480, &width, &height);
  EXPECT_EQ(width * 10000 + height, 640 * 10000 + 480);
  resolutionSize(resolution::r800x600, &width, &height);
  EXPECT_EQ(width * 10000 + height, 800 * 10000 + 600);
  resolutionSize(resolution::r1024x768, &width, &height);
  EXPECT_EQ(width * 10000 + height, 1024 * 10000 + 768);
  resolutionSize(resolution::r1280x960, &width, &height);
  EXPECT_EQ(width * 10000 + height, 1280 * 10000 + 960);
  resolutionSize(0x1920, &width, &height);
  EXPECT_EQ(width * 10000 + height, 640 * 10000 + 480);

  EXPECT_EQ(aspectRatio(aspect::a2to1), 2.0f);
  EXPECT_EQ(aspectRatio(aspect::a4to3), 1.3333334f);
  EXPECT_EQ(aspectRatio(aspect::a5to4), 1.25f);
  EXPECT_EQ(aspectRatio(aspect::a16to10), 1.6f);
  EXPECT_EQ(aspectRatio(aspect::a16to9), 1.7777778f);
  EXPECT_EQ(aspectRatio(12345), 1.7777778f);
}

TEST(DisplaySettings, AWindowIsAlwaysSixteenByNine) {
  int32_t width = 0;
  int32_t height = 0;
  float ratio = 0.0f;
  renderSize(resolution::r1024x768, aspect::a4to3, false, &width, &height, &ratio);
  EXPECT_EQ(width, 1366);
  EXPECT_EQ(height, 768);
  EXPECT_EQ(ratio, 1.7777778f);

  renderSize(resolution::r800x600, aspect::a16to10, true, &width, &height, &ratio);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 600);
  EXPECT_EQ(ratio, 1.6f);
}

}  // namespace
