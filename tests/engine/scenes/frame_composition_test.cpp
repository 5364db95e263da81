// The frame routine's choices with stand-in scenes: which scenes it draws in
// a frame, in what order, and the light switch between the post-processing
// and the scene of the frame.
#include "engine/scenes/frame_composition.h"

#include <gtest/gtest.h>

#include <string>

#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "engine/components/light.h"
#include "engine/item.h"
#include "engine/shell.h"
#include "support/headless_gl.h"

namespace {

struct standInScenes {
  bool greetings = false;
  bool tunnel = false;
  bool title = false;
  bool opening = false;
  std::string drawn;  // what was drawn, in order
  bool light0OnInPostProcessing = false;
  bool light0OnInScene = true;
  bool lightingOnInScene = false;
} scenesNow;

void note(const char* what) {
  scenesNow.drawn += std::string(scenesNow.drawn.empty() ? "" : " ") + what;
}

void noteSceneLighting(const char* what) {
  note(what);
  scenesNow.light0OnInScene = glIsEnabled(GL_LIGHT0) == GL_TRUE;
  scenesNow.lightingOnInScene = glIsEnabled(GL_LIGHTING) == GL_TRUE;
}

class FrameComposition : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    scenesNow = standInScenes{};
    scenes::composedScenes = scenes::frameScenes{[] { return scenesNow.greetings; },
                                                 [] {
                                                   note("post-processing");
                                                   scenesNow.light0OnInPostProcessing =
                                                       glIsEnabled(GL_LIGHT0) == GL_TRUE;
                                                 },
                                                 [] { return scenesNow.tunnel; },
                                                 [] { noteSceneLighting("tunnel"); },
                                                 [] { return scenesNow.title; },
                                                 [] { noteSceneLighting("title"); },
                                                 [] { return scenesNow.opening; },
                                                 [] { noteSceneLighting("opening"); },
                                                 [] { note("duck and fades"); }};
  }
  void TearDown() override {
    scenes::composedScenes = scenes::showScenes();
    light0 = nullptr;
    NGcommon::deleteAllItems();
    NGcomp::resetLightCounter();
    testing_support::resetGlBetweenTests();
  }
  static std::string frame() {
    scenesNow.drawn.clear();
    scenes::composeFrame(0.0f);
    return scenesNow.drawn;
  }
};

TEST_F(FrameComposition, OneSceneAFrameTheTunnelFirstThenTitleThenOpening) {
  scenesNow.tunnel = scenesNow.title = scenesNow.opening = true;
  EXPECT_EQ(frame(), "tunnel duck and fades");
  scenesNow.tunnel = false;
  EXPECT_EQ(frame(), "title duck and fades");
  scenesNow.title = false;
  EXPECT_EQ(frame(), "opening duck and fades");
  scenesNow.opening = false;
  EXPECT_EQ(frame(), "duck and fades");
}

TEST_F(FrameComposition, GreetingsAndTheTitleShareAFrameWithTheTitleOnTop) {
  scenesNow.greetings = scenesNow.title = true;
  EXPECT_EQ(frame(), "post-processing title duck and fades");
  scenesNow.tunnel = true;
  EXPECT_EQ(frame(), "post-processing tunnel duck and fades");
}

TEST_F(FrameComposition, TheShowsLightGoesOffForTheSceneWithLightingOn) {
  NGcomp::resetLightCounter();
  light0 = new NGcomp::light;  // the first light: index 0
  scenesNow.greetings = scenesNow.title = true;
  gfx::disableCapability(GL_LIGHTING);
  frame();
  EXPECT_TRUE(scenesNow.light0OnInPostProcessing);  // the light's own draw
  EXPECT_FALSE(scenesNow.light0OnInScene);
  EXPECT_TRUE(scenesNow.lightingOnInScene);
}

TEST_F(FrameComposition, ALightWithANonZeroIndexTurnsLightZeroOn) {
  NGcomp::resetLightCounter();
  new NGcomp::light;           // index 0, not the frame's light
  light0 = new NGcomp::light;  // index 1
  scenesNow.opening = true;
  gfx::disableCapability(GL_LIGHT0);
  frame();
  EXPECT_TRUE(scenesNow.light0OnInScene);
  EXPECT_TRUE(scenesNow.lightingOnInScene);
}

}  // namespace
