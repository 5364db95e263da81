#include "api/gl/display.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct geometryCase {
  int32_t width, height;
  float aspect;
  int32_t viewportY, viewportHeight;
  bool letterbox;
};

class LetterboxTest : public ::testing::TestWithParam<geometryCase> {};

TEST_P(LetterboxTest, PictureAreaIsSixteenByNineOnTheMonitor) {
  const geometryCase& c = GetParam();
  gfx::setDisplayGeometry(c.width, c.height, c.aspect);
  EXPECT_EQ(gfx::viewportX, 0);
  EXPECT_EQ(gfx::viewportWidth, c.width);
  EXPECT_EQ(gfx::viewportY, c.viewportY);
  EXPECT_EQ(gfx::viewportHeight, c.viewportHeight);
  EXPECT_EQ(gfx::letterbox, c.letterbox);
  EXPECT_EQ(gfx::projectionAspect, 1.7777778f);
  EXPECT_EQ(gfx::fieldOfView, 60.0f);
  EXPECT_EQ(gfx::monitorAspect, c.aspect);
}

// Every resolution and aspect the settings offer, and the windowed case.
INSTANTIATE_TEST_SUITE_P(
    DialogChoices, LetterboxTest,
    ::testing::Values(geometryCase{1024, 768, 1.3333334f, 96, 576, true},
                      geometryCase{1024, 768, 1.25f, 121, 525, true},
                      geometryCase{1024, 768, 1.6f, 32, 704, true},
                      geometryCase{1024, 768, 1.7777778f, 0, 768, false},
                      geometryCase{1024, 768, 2.0f, 0, 768, false},
                      geometryCase{800, 600, 1.3333334f, 75, 450, true},
                      geometryCase{1280, 960, 1.3333334f, 120, 720, true},
                      geometryCase{640, 480, 1.3333334f, 60, 360, true},
                      geometryCase{800, 600, 1.6f, 25, 550, true},
                      geometryCase{1366, 768, 1.7777778f, 0, 768, false}),
    [](const ::testing::TestParamInfo<geometryCase>& info) {
      const geometryCase& c = info.param;
      return std::to_string(c.width) + "x" + std::to_string(c.height) + "_aspect" +
             std::to_string(static_cast<int>(c.aspect * 1000 + 0.5));
    });

TEST(DisplayGeometry, ZeroWidthCountsAsOne) {
  gfx::setDisplayGeometry(0, 480, 1.7777778f);
  EXPECT_EQ(gfx::screenWidth, 1);
  EXPECT_EQ(gfx::viewportWidth, 1);
  EXPECT_EQ(gfx::screenHeight, 480);
}

// A render stretched over an output of another size takes the bars the
// output's shape needs, in its own rows; the render size stays the screen.
TEST(DisplayGeometry, AStretchedRenderTakesTheOutputsBarsInItsOwnRows) {
  const struct {
    int32_t width, height, outputWidth, outputHeight;
    float aspect;
    int32_t viewportY, viewportHeight;
  } cases[] = {
      {800, 600, 1024, 768, 1.3333334f, 75, 450},     // output bars of 96 rows
      {1024, 768, 1920, 1080, 1.7777778f, 0, 768},    // a 16:9 output: no bars
      {1024, 768, 1920, 1200, 1.6f, 38, 692},         // 60 of 1200 rows, not the mode's 32
      {1024, 768, 1024, 768, 1.25f, 121, 525},        // the same size: as before
  };
  for (const auto& c : cases) {
    gfx::fitDisplayGeometry(c.width, c.height, c.outputWidth, c.outputHeight, c.aspect);
    EXPECT_EQ(gfx::screenWidth, c.width);
    EXPECT_EQ(gfx::screenHeight, c.height);
    EXPECT_EQ(gfx::viewportX, 0);
    EXPECT_EQ(gfx::viewportWidth, c.width);
    EXPECT_EQ(gfx::viewportY, c.viewportY) << c.outputWidth << "x" << c.outputHeight;
    EXPECT_EQ(gfx::viewportHeight, c.viewportHeight) << c.outputWidth << "x" << c.outputHeight;
    EXPECT_EQ(gfx::letterbox, c.viewportY > 0);
  }
}

}  // namespace
