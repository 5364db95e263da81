// Gallery: the show's scenes on the built pack at representative rows.
#include "support/scene_frame.h"

namespace {

using SceneGallery = testing_support::sceneFrameTest;

float rowOf(int bar, float rowInBar) { return 1.0f + 32.0f * static_cast<float>(bar) + rowInBar; }

TEST_F(SceneGallery, OpeningCreditsScroll) {
  buildScenes();
  drawFrame(rowOf(4, 0));
}

TEST_F(SceneGallery, OpeningBarReachesTheTop) {
  buildScenes();
  drawFrame(rowOf(7, 20));
}

TEST_F(SceneGallery, TitleRaysGrow) {
  buildScenes();
  drawFrame(rowOf(14, 0));
}

TEST_F(SceneGallery, TitleRaysComplete) {
  buildScenes();
  drawFrame(rowOf(21, 0));
}

TEST_F(SceneGallery, TitleRaysScatter) {
  buildScenes();
  drawFrame(rowOf(23, 20));
}

TEST_F(SceneGallery, TunnelEarly) {
  buildScenes();
  drawFrame(rowOf(26, 4));
}

TEST_F(SceneGallery, TunnelOnTheKick) {
  buildScenes();
  drawFrame(rowOf(34, 0));
}

TEST_F(SceneGallery, DuckAndBadge) {
  buildScenes();
  drawFrame(rowOf(68, 0));
}

}  // namespace
