// The canvas that a render of one size is drawn into and scaled from onto
// a window of another size.
#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/screen_canvas.h"
#include "api/gl/state.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

namespace {

using testing_support::kContextHeight;
using testing_support::kContextWidth;

bool near(testing_support::rgba pixel, int red, int green, int blue) {
  return std::abs(pixel.r - red) <= 2 && std::abs(pixel.g - green) <= 2 &&
         std::abs(pixel.b - blue) <= 2;
}

// A 512 x 384 render for the 1024 x 768 window of a 4:3 monitor: black
// bars, a red picture with a blue right half, scaled to fill the window even
// with a scissor box left on.
TEST(ScreenCanvas, TheRenderFillsTheWholeWindowWithItsBarsInPlace) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::setupViewport(512, 384, kContextWidth, kContextHeight, 1.3333334f);
  ASSERT_EQ(gfx::viewportY, 48);
  ASSERT_TRUE(gfx::openScreenCanvas(kContextWidth, kContextHeight));
  ASSERT_NE(gfx::screenFramebuffer, 0u);
  gfx::clearScreen(1.0f, 0.0f, 0.0f);
  glEnable(GL_SCISSOR_TEST);
  glScissor(256, 48, 256, 288);
  glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  glScissor(0, 0, 10, 10);
  gfx::presentScreenCanvas();
  glDisable(GL_SCISSOR_TEST);

  GLint bound = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::screenFramebuffer) << "the next frame's target";
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  // Output rows 0-95 and 672-767 are bars; columns 0-511 red, 512-1023 blue.
  EXPECT_TRUE(near(testing_support::pixelAt(300, 90), 0, 0, 0));
  EXPECT_TRUE(near(testing_support::pixelAt(300, 100), 255, 0, 0));
  EXPECT_TRUE(near(testing_support::pixelAt(500, 400), 255, 0, 0));
  EXPECT_TRUE(near(testing_support::pixelAt(524, 400), 0, 0, 255));
  EXPECT_TRUE(near(testing_support::pixelAt(1020, 660), 0, 0, 255));
  EXPECT_TRUE(near(testing_support::pixelAt(1020, 680), 0, 0, 0));

  gfx::closeScreenCanvas();
  EXPECT_EQ(gfx::screenFramebuffer, 0u);
  EXPECT_FALSE(gfx::screenCanvasOpen());
  gfx::setupViewport(kContextWidth, kContextHeight, gfx::aspect16by9);
  // At the window's own size there is nothing to scale.
  EXPECT_TRUE(gfx::openScreenCanvas(kContextWidth, kContextHeight));
  EXPECT_FALSE(gfx::screenCanvasOpen());
}

}  // namespace
