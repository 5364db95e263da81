// The shell's own screen furniture as a person sees it: the loading bar
// half way, and the statistics overlay over a coloured picture.
#include "api/gl/state.h"
#include "engine/loading_bar.h"
#include "engine/statistics.h"
#include "support/gallery.h"

#include <gtest/gtest.h>

namespace {

using Gallery = testing_support::galleryTest;

TEST_F(Gallery, LoadingBarHalfWay) {
  drawProgressBar(0.5f);
  // The fill covers x 100-400 of 800 and y 290-310 of 600 (y up).
  EXPECT_GT(countPixels(140, 375, 360, 18, 255, 255, 255), 360 * 18 * 9 / 10);
  EXPECT_EQ(countLit(530, 375, 360, 18), 0);
}

TEST_F(Gallery, StatisticsOverlay) {
  gfx::clearScreen(0.2f, 0.4f, 0.8f);
  createStatistics();
  updateStatistics(60, 0.0f, 123456, 98765, 83.25f, 1421, 1421.48f);
  drawStatistics();
  // The box darkens the picture to half; white text lies on it.
  EXPECT_GT(countPixels(0, 50, 250, 50, 26, 51, 102, 3), 250 * 50 * 9 / 10);
  EXPECT_GT(countPixels(0, 0, 250, 50, 255, 255, 255, 2), 500);
  // Only the long position line runs past the box (to x 257).
  EXPECT_EQ(countPixels(260, 0, 200, 100, 51, 102, 204, 2), 200 * 100);
  deleteStatistics();
}

}  // namespace
