#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/screen_quad.h"
#include "api/gl/state.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

namespace {

using testing_support::pixelAt;
using testing_support::rgba;

::testing::AssertionResult isColor(rgba pixel, int r, int g, int b) {
  auto near = [](int a, int e) { return a >= e - 2 && a <= e + 2; };
  if (near(pixel.r, r) && near(pixel.g, g) && near(pixel.b, b)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "pixel is (" << int(pixel.r) << ", " << int(pixel.g)
                                       << ", " << int(pixel.b) << "), expected (" << r << ", "
                                       << g << ", " << b << ")";
}

class GlState : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
};

TEST_F(GlState, ClearFillsTheWholeWindowWithoutLetterbox) {
  gfx::clearScreen(0.0f, 1.0f, 0.0f);
  EXPECT_TRUE(isColor(pixelAt(0, 0), 0, 255, 0));
  EXPECT_TRUE(isColor(pixelAt(1023, 767), 0, 255, 0));
}

TEST_F(GlState, ClearWithLetterboxLeavesBlackBars) {
  gfx::setupViewport(1024, 768, 1.3333334f);  // picture rows 96 .. 671
  ASSERT_TRUE(gfx::letterbox);
  gfx::clearScreen(1.0f, 0.0f, 0.0f);
  EXPECT_TRUE(isColor(pixelAt(512, 0), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(512, 95), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(0, 96), 255, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(1023, 671), 255, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(512, 672), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(512, 767), 0, 0, 0));
  // The picture area stays the viewport for what is drawn next.
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  EXPECT_EQ(viewport[1], 96);
  EXPECT_EQ(viewport[3], 576);
}

TEST_F(GlState, PixelModeQuadCoversItsPixelsAtTheTopLeftOfThePicture) {
  gfx::setupViewport(1024, 768, 1.3333334f);
  gfx::clearScreen(0.0f, 0.0f, 0.0f);
  gfx::screenQuad quad;
  quad.pixelMode = 1;
  gfx::layoutScreenQuad(quad);
  quad.scaleX = 250;
  quad.scaleY = 100;
  quad.color[0] = 0.0f;
  quad.color[1] = 0.0f;
  quad.color[2] = 1.0f;
  gfx::polygonCount = 0;
  gfx::drawScreenQuad(quad);
  EXPECT_EQ(gfx::polygonCount, 6);
  EXPECT_TRUE(isColor(pixelAt(0, 96), 0, 0, 255));
  EXPECT_TRUE(isColor(pixelAt(249, 195), 0, 0, 255));
  EXPECT_TRUE(isColor(pixelAt(250, 96), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(0, 196), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(0, 95), 0, 0, 0));  // the bar above stays black
}

TEST_F(GlState, CentredAlignmentCentresTheQuadOnTheScreen) {
  gfx::clearScreen(0.0f, 0.0f, 0.0f);
  gfx::screenQuad quad;
  quad.alignment = 0x55;
  gfx::layoutScreenQuad(quad);
  EXPECT_EQ(quad.anchorX, 0.5f);
  EXPECT_EQ(quad.anchorY, 0.5f);
  EXPECT_EQ(quad.offsetX, 0.5f);
  EXPECT_EQ(quad.offsetY, 0.5f);
  quad.scaleX = 0.5f;  // in 16:9 units: 0.5 / 1.7777778 of the width
  quad.scaleY = 0.5f;
  gfx::drawScreenQuad(quad);
  // 288 x 384 pixels around (512, 384).
  EXPECT_TRUE(isColor(pixelAt(512, 384), 255, 255, 255));
  EXPECT_TRUE(isColor(pixelAt(370, 194), 255, 255, 255));
  EXPECT_TRUE(isColor(pixelAt(654, 574), 255, 255, 255));
  EXPECT_TRUE(isColor(pixelAt(365, 384), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(659, 384), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(512, 189), 0, 0, 0));
  EXPECT_TRUE(isColor(pixelAt(512, 579), 0, 0, 0));
}

TEST_F(GlState, AlignmentBitsDecodeToFractions) {
  gfx::screenQuad quad;
  quad.alignment = 0x2A;  // offset x 1.0, offset y 1.0, anchor x 1.0
  gfx::layoutScreenQuad(quad);
  EXPECT_EQ(quad.offsetX, 1.0f);
  EXPECT_EQ(quad.offsetY, 1.0f);
  EXPECT_EQ(quad.anchorX, 1.0f);
  EXPECT_EQ(quad.anchorY, 0.0f);
  quad.alignment = 0xFF;  // the value 3 in a field means 0
  gfx::layoutScreenQuad(quad);
  EXPECT_EQ(quad.offsetX, 0.0f);
  EXPECT_EQ(quad.anchorY, 0.0f);
}

TEST_F(GlState, ResetStateLeavesTheLastUnitActiveAndTheBaselineOn) {
  glEnable(GL_BLEND);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  glEnable(GL_DEPTH_TEST);
  gfx::resetState();
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0 + gfx::maxTextureUnits - 1);
  ext::glActiveTextureARB(GL_TEXTURE0);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::defaultTexture);
}

TEST_F(GlState, InitialStateCullsAndTestsDepth) {
  EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
  GLint depthFunc = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  EXPECT_EQ(depthFunc, GL_LEQUAL);
  EXPECT_EQ(gfx::frameCount, 0);
}

TEST_F(GlState, TwoDBracketRestoresMatricesAndState) {
  GLint projectionDepth = 0;
  GLint modelviewDepth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
  glEnable(GL_LIGHTING);
  gfx::begin2D();
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
  GLboolean depthWrites = GL_TRUE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, GL_FALSE);
  gfx::orthoUnit();
  gfx::end2D();
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_FALSE(glIsEnabled(GL_BLEND));
  GLint depth = 0;
  glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, projectionDepth);
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  EXPECT_EQ(depth, modelviewDepth);
  glDisable(GL_LIGHTING);
}

TEST_F(GlState, CreateTextureFollowsTheDescriptorCodes) {
  FWrender::TextureParams params;
  params.width = 4;
  params.height = 2;
  params.channels = 4;
  params.magFilter = 1;
  params.minFilter = 5;
  params.wrapS = 2;
  params.wrapT = 4;
  params.generateMipmap = true;
  const unsigned char pixels[4 * 2 * 4] = {};
  const GLuint name = gfx::createTexture(params, pixels);
  ASSERT_NE(name, 0u);
  GLint bound = -1;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);  // left unbound
  glBindTexture(GL_TEXTURE_2D, name);
  GLint value = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
  EXPECT_EQ(value, GL_RGBA);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &value);
  EXPECT_EQ(value, 4);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
  EXPECT_EQ(value, GL_NEAREST);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
  EXPECT_EQ(value, GL_LINEAR_MIPMAP_LINEAR);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
  EXPECT_EQ(value, GL_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
  EXPECT_EQ(value, GL_MIRRORED_REPEAT);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_R, &value);
  EXPECT_EQ(value, GL_CLAMP_TO_EDGE);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDeleteTextures(1, &name);
}

TEST(TextureCodes, MapToGlEnums) {
  EXPECT_EQ(gfx::formatFromCode(1), static_cast<GLenum>(GL_RGBA));
  EXPECT_EQ(gfx::formatFromCode(2), static_cast<GLenum>(GL_LUMINANCE));
  EXPECT_EQ(gfx::formatFromCode(3), static_cast<GLenum>(GL_LUMINANCE_ALPHA));
  EXPECT_EQ(gfx::formatFromCode(8), static_cast<GLenum>(GL_ALPHA));
  EXPECT_EQ(gfx::formatFromCode(10), static_cast<GLenum>(GL_BGRA));
  EXPECT_EQ(gfx::formatFromCode(11), static_cast<GLenum>(GL_DEPTH_COMPONENT));
  EXPECT_EQ(gfx::formatFromCode(0), static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(gfx::formatFromCode(12), static_cast<GLenum>(GL_RGB));
  EXPECT_EQ(gfx::filterFromCode(0), static_cast<GLenum>(GL_LINEAR));
  EXPECT_EQ(gfx::filterFromCode(1), static_cast<GLenum>(GL_NEAREST));
  EXPECT_EQ(gfx::filterFromCode(3), static_cast<GLenum>(GL_NEAREST_MIPMAP_LINEAR));
  EXPECT_EQ(gfx::filterFromCode(9), static_cast<GLenum>(GL_NEAREST));
  EXPECT_EQ(gfx::wrapFromCode(0), static_cast<GLenum>(GL_CLAMP));
  EXPECT_EQ(gfx::wrapFromCode(3), static_cast<GLenum>(GL_CLAMP_TO_BORDER));
  EXPECT_EQ(gfx::wrapFromCode(5), static_cast<GLenum>(GL_CLAMP));
}

TEST_F(GlState, DefaultTextureIsWhite) {
  ASSERT_NE(gfx::defaultTexture, 0u);
  glBindTexture(GL_TEXTURE_2D, gfx::defaultTexture);
  unsigned char texels[8 * 8 * 3] = {};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
  for (unsigned char texel : texels) ASSERT_EQ(texel, 255);
  glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace
