// The offline renderer reads frames in the framebuffer's own layout and
// converts them itself; the bytes must be those GL's own RGB read gives.
#include "frame_pixels.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/render/render_target.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = testing_support::kContextWidth;
constexpr int kHeight = testing_support::kContextHeight;

// Every channel value at least once: red rises across the 1024 columns,
// green falls, blue rises up the rows.
void drawRamp() {
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_BLEND);
  glShadeModel(GL_SMOOTH);
  glViewport(0, 0, kWidth, kHeight);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glBegin(GL_QUADS);
  glColor3f(0, 1, 0);
  glVertex2i(0, 0);
  glColor3f(1, 0, 0);
  glVertex2i(kWidth, 0);
  glColor3f(1, 0, 1);
  glVertex2i(kWidth, kHeight);
  glColor3f(0, 1, 1);
  glVertex2i(0, kHeight);
  glEnd();
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopAttrib();
}

// Bytes where the readback's conversion differs from GL's RGB read of the
// current read buffer.
long differingBytes() {
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<uint8_t> byGl(static_cast<size_t>(kWidth) * kHeight * 3);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, byGl.data());
  const frameReadback readback = readbackForCurrentFramebuffer();
  std::vector<uint8_t> read(static_cast<size_t>(kWidth) * kHeight * 4);
  glReadPixels(0, 0, kWidth, kHeight, readback.format, readback.type, read.data());
  std::vector<uint8_t> converted(byGl.size());
  toTopFirstRgb(readback, read.data(), kWidth, kHeight, converted.data());
  long differing = 0;
  const size_t row = static_cast<size_t>(kWidth) * 3;
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* expected = &byGl[row * static_cast<size_t>(kHeight - 1 - y)];
    const uint8_t* got = &converted[row * static_cast<size_t>(y)];
    for (size_t i = 0; i < row; ++i) differing += expected[i] != got[i];
  }
  return differing;
}

int redBits() {
  GLint bits = 0;
  glGetIntegerv(GL_RED_BITS, &bits);
  return bits;
}

TEST(FramePixels, TheWindowsTenBitFrameConvertsToGlsOwnBytes) {
  ASSERT_TRUE(testing_support::headlessGl());
  testing_support::resetGlBetweenTests();
  // The offscreen driver's window has 10 bits per channel: the packed path.
  EXPECT_EQ(redBits(), 10);
  drawRamp();
  glReadBuffer(GL_BACK);
  EXPECT_EQ(differingBytes(), 0);
}

TEST(FramePixels, AnEightBitFrameConvertsToGlsOwnBytes) {
  ASSERT_TRUE(testing_support::headlessGl());
  testing_support::resetGlBetweenTests();
  gfx::setupViewport(kWidth, kHeight, gfx::aspect16by9);
  std::unique_ptr<FWrender::RenderTarget> target = FWrender::createRenderTarget(1);
  ASSERT_NE(target, nullptr);
  FWrender::enter(*target);
  EXPECT_EQ(redBits(), 8);
  drawRamp();
  glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
  EXPECT_EQ(differingBytes(), 0);
  glReadBuffer(GL_BACK);
  FWrender::leave(*target);
  FWrender::release(target);
  testing_support::resetGlBetweenTests();
}

}  // namespace
