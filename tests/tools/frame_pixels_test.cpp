// The offline renderer reads frames in the framebuffer's own layout and
// converts them itself; the bytes must be those of GL's own RGB read.
#include "frame_pixels.h"

#include "api/gl/display.h"
#include "api/gl/state.h"
#include "api/render/render_target.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kWidth = testing_support::kContextWidth;
constexpr int kHeight = testing_support::kContextHeight;

// Draws every channel value at least once (red rises across the 1024
// columns, green falls, blue rises up the rows) and counts the bytes where
// the readback's conversion differs from GL's RGB read of the same pixels.
long differingBytesOfARamp() {
  gfx::begin2D();
  glViewport(0, 0, kWidth, kHeight);
  glLoadIdentity();
  glOrtho(0, kWidth, 0, kHeight, -1, 1);
  glShadeModel(GL_SMOOTH);
  glBegin(GL_QUADS);
  glColor3f(0, 1, 0), glVertex2i(0, 0);
  glColor3f(1, 0, 0), glVertex2i(kWidth, 0);
  glColor3f(1, 0, 1), glVertex2i(kWidth, kHeight);
  glColor3f(0, 1, 1), glVertex2i(0, kHeight);
  glEnd();
  gfx::end2D();

  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const size_t row = static_cast<size_t>(kWidth) * 3;
  std::vector<uint8_t> byGl(row * kHeight), read(static_cast<size_t>(kWidth) * kHeight * 4);
  std::vector<uint8_t> converted(byGl.size());
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, byGl.data());
  const frameReadback readback = readbackForCurrentFramebuffer();
  glReadPixels(0, 0, kWidth, kHeight, readback.format, readback.type, read.data());
  toTopFirstRgb(readback, read.data(), kWidth, kHeight, converted.data());
  long differing = 0;
  for (size_t y = 0; y < static_cast<size_t>(kHeight); ++y) {
    for (size_t i = 0; i < row; ++i) {
      differing += byGl[row * (kHeight - 1 - y) + i] != converted[row * y + i];
    }
  }
  return differing;
}

TEST(FramePixels, TenBitAndEightBitFramesConvertToGlsOwnBytes) {
  ASSERT_TRUE(testing_support::headlessGl());
  testing_support::resetGlBetweenTests();
  GLint bits = 0;
  // The offscreen driver's window has 10 bits per channel: the packed path.
  glGetIntegerv(GL_RED_BITS, &bits);
  EXPECT_EQ(bits, 10);
  EXPECT_EQ(differingBytesOfARamp(), 0);

  gfx::setupViewport(kWidth, kHeight, gfx::aspect16by9);
  std::unique_ptr<FWrender::RenderTarget> target = FWrender::createRenderTarget(1);
  ASSERT_NE(target, nullptr);
  FWrender::enter(*target);
  glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
  glGetIntegerv(GL_RED_BITS, &bits);
  EXPECT_EQ(bits, 8);
  EXPECT_EQ(differingBytesOfARamp(), 0);
  glReadBuffer(GL_BACK);
  FWrender::leave(*target);
  FWrender::release(target);
  testing_support::resetGlBetweenTests();
}

}  // namespace
