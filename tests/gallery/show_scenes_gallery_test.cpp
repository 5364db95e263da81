// Gallery: the show's scenes on the built pack, at representative rows of
// the show's own tracks, composed as the frame routine composes them.
#include "api/gl/gl.h"
#include "support/scene_frame.h"

#include <vector>

namespace {

using SceneGallery = testing_support::sceneFrameTest;
using testing_support::kContextHeight;

float rowOf(int bar, float rowInBar) { return 1.0f + 32.0f * static_cast<float>(bar) + rowInBar; }

// Mean of red + green + blue over a rectangle (from the top-left), 0 to 765.
double meanBrightness(int left, int top, int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(left, kContextHeight - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  double sum = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) sum += pixels[i] + pixels[i + 1] + pixels[i + 2];
  return sum / (static_cast<double>(width) * height);
}

TEST_F(SceneGallery, TheShowOpensOnBlack) {
  buildScenes();
  drawFrame(1.0f);
  EXPECT_EQ(countLit(0, 0, 1024, 768), 0);
}

TEST_F(SceneGallery, OpeningCreditsScrollOverWarmParticles) {
  buildScenes();
  drawFrame(rowOf(4, 0));
  // Dark warm brown right of the credit column, the credits' amber lettering
  // on the column's right half, the turning title on the left, an empty gap
  // between them, and the particles' soft browns near the middle.
  EXPECT_GT(countPixels(832, 0, 192, 768, 18, 15, 14, 3), 192 * 768 * 95 / 100);
  EXPECT_GT(countPixels(512, 0, 288, 768, 245, 178, 55, 30), 8000);
  EXPECT_GT(countPixels(0, 0, 448, 768, 245, 178, 55, 30), 4000);
  EXPECT_EQ(countPixels(448, 0, 56, 768, 245, 178, 55, 30), 0);
  EXPECT_GT(countPixels(300, 400, 424, 200, 60, 47, 44, 25), 100);
}

TEST_F(SceneGallery, OpeningBarReachesTheTop) {
  buildScenes();
  drawFrame(rowOf(7, 20));
  // eleje.eltol is about -2.14 here: the bar's top edge at 0.18 of the
  // height, pale rose from there down.
  EXPECT_EQ(countPixels(0, 160, 1024, 608, 216, 205, 203, 6), 1024 * 608);
  EXPECT_LT(countPixels(0, 0, 1024, 120, 216, 205, 203, 6), 1024 * 10);
}

TEST_F(SceneGallery, TitleRaysGrowFromTheOrigin) {
  buildScenes();
  drawFrame(rowOf(14, 0));
  const int amberNear = countPixels(312, 184, 400, 400, 255, 220, 40, 60);
  const int cyan = countPixels(0, 0, 1024, 768, 40, 200, 230, 60);
  EXPECT_GT(amberNear, 400);
  // tent.fade is 1: only the inner halves of the rays show, so hardly any
  // cyan tips yet.
  EXPECT_LT(cyan, 300);
  // Stars over the sky, away from the rays.
  EXPECT_GT(countPixels(0, 0, 200, 200, 220, 220, 220, 35), 10);
  EXPECT_LT(meanBrightness(0, 0, 200, 200), 60.0);
}

TEST_F(SceneGallery, TitleRaysComplete) {
  buildScenes();
  drawFrame(rowOf(21, 0));
  EXPECT_GT(countPixels(0, 0, 1024, 768, 40, 200, 230, 60), 2000);
  EXPECT_GT(countPixels(312, 184, 400, 400, 255, 220, 40, 60), 400);
}

TEST_F(SceneGallery, TitleRaysScatter) {
  buildScenes();
  drawFrame(rowOf(23, 20));
  // The outer particles have left their rays: cyan sparks spread into the
  // picture's outer parts.
  const int outer = countPixels(0, 0, 1024, 180, 40, 200, 230, 70) +
                    countPixels(0, 588, 1024, 180, 40, 200, 230, 70);
  EXPECT_GT(outer, 150);
}

TEST_F(SceneGallery, TunnelFillsThePicture) {
  buildScenes();
  drawFrame(rowOf(26, 4));
  // Amber bands, cyan lattice lines and the teal sea cover the picture; the
  // far opening is a dark disc in the middle.
  EXPECT_GT(countPixels(0, 0, 1024, 768, 200, 140, 40, 60), 15000);
  EXPECT_GT(countPixels(0, 0, 1024, 768, 40, 180, 215, 50), 20000);
  for (int left = 0; left < 1024; left += 256) {
    EXPECT_GT(meanBrightness(left, 0, 256, 128), 150.0) << left;
    EXPECT_GT(meanBrightness(left, 640, 256, 128), 150.0) << left;
  }
  EXPECT_LT(meanBrightness(492, 364, 40, 40), 100.0);
}

TEST_F(SceneGallery, TunnelFlaresOnTheKick) {
  buildScenes();
  drawFrame(rowOf(34, 7));  // between two kicks: tunnel.csoda is 0
  const double between = meanBrightness(0, 0, 1024, 768);
  drawFrame(rowOf(34, 8));  // on the next kick: 1
  const double onTheKick = meanBrightness(0, 0, 1024, 768);
  EXPECT_GT(onTheKick, between + 15.0);
}

TEST_F(SceneGallery, WhiteFlashOnTheCut) {
  buildScenes();
  drawFrame(rowOf(24, 0));
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 255, 255, 255, 0), 1024 * 768);
}

TEST_F(SceneGallery, DuckAndBadgeOverTheCyanOutro) {
  buildScenes();
  drawFrame(rowOf(68, 0));
  // The outro's cyan behind, the duck's yellow above the badge's orange.
  EXPECT_GT(countPixels(0, 0, 200, 200, 107, 184, 209, 4), 200 * 200 * 9 / 10);
  EXPECT_GT(countPixels(300, 0, 424, 300, 255, 225, 130, 35), 5000);
  EXPECT_GT(countPixels(300, 350, 424, 400, 245, 160, 40, 40), 10000);
}

}  // namespace
