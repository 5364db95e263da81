// The offline renderer reads frames in the framebuffer's own layout and
// converts them itself; the bytes must be those of GL's own RGB read.
#include "frame_pixels.h"

#include "api/gl/display.h"
#include "api/gl/state.h"
#include "api/render/render_target.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

constexpr int kWidth = testing_support::kContextWidth;
constexpr int kHeight = testing_support::kContextHeight;

// Draws every channel value at least once (red rises across the 1024
// columns, green falls, blue rises up the rows) and counts the bytes where
// the readback's conversion differs from GL's RGB read of the same pixels
// (-1 when the ramp is missing).
long differingBytesOfARamp() {
  gfx::begin2D();
  glViewport(0, 0, kWidth, kHeight);
  glLoadIdentity();  // the projection: the quad fills the viewport
  glShadeModel(GL_SMOOTH);
  glBegin(GL_QUADS);
  glColor3f(0, 1, 0), glVertex2i(-1, -1), glColor3f(1, 0, 0), glVertex2i(1, -1);
  glColor3f(1, 0, 1), glVertex2i(1, 1), glColor3f(0, 1, 1), glVertex2i(-1, 1);
  glEnd();
  gfx::end2D();

  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  const size_t row = static_cast<size_t>(kWidth) * 3;
  std::vector<uint8_t> byGl(row * kHeight), read(row * kHeight * 4 / 3), converted(row * kHeight);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGB, GL_UNSIGNED_BYTE, byGl.data());
  const frameReadback readback = readbackForCurrentFramebuffer();
  glReadPixels(0, 0, kWidth, kHeight, readback.format, readback.type, read.data());
  toTopFirstRgb(readback, read.data(), kWidth, kHeight, converted.data());
  std::vector<bool> redSeen(256);
  for (size_t i = 0; i < row; i += 3) redSeen[byGl[i]] = true;
  if (std::count(redSeen.begin(), redSeen.end(), true) < 256) return -1;  // no ramp drawn
  long differing = 0;
  for (size_t i = 0; i < byGl.size(); ++i) {
    differing += byGl[i] != converted[row * (kHeight - 1 - i / row) + i % row];
  }
  return differing;
}

TEST(FramePixels, TenBitAndEightBitFramesConvertToGlsOwnBytes) {
  ASSERT_TRUE(testing_support::headlessGl());
  testing_support::resetGlBetweenTests();
  GLint bits = 0;
  glGetIntegerv(GL_RED_BITS, &bits);
  EXPECT_EQ(bits, 10);  // the offscreen driver's window: the packed path
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

// A 4 x 4 frame of 2 x 2 blocks, as bytes read back bottom row first: white
// and red above, green and a block of one blue and three black pixels below.
// The planes hold the studio-range values of BT.601 (standard definition)
// and BT.709 (from 720 lines up), top row first, and the last block's
// chroma is that of its mean colour.
TEST(FramePixels, VideoFramesAreStudioRangeYuvOfTheirTwoByTwoBlocks) {
  const uint8_t white[3] = {255, 255, 255}, red[3] = {255, 0, 0}, green[3] = {0, 255, 0},
                blue[3] = {0, 0, 255}, black[3] = {0, 0, 0};
  const uint8_t* topFirst[4][4] = {{white, white, red, red},
                                   {white, white, red, red},
                                   {green, green, blue, black},
                                   {green, green, black, black}};
  std::vector<uint8_t> bottomFirst;
  for (int row = 3; row >= 0; --row) {
    for (const uint8_t* rgb : topFirst[row]) {
      bottomFirst.insert(bottomFirst.end(), {rgb[2], rgb[1], rgb[0], 255});
    }
  }
  std::vector<uint8_t> yuv(yuv420Bytes(4, 4));
  ASSERT_EQ(yuv.size(), 24u);
  toYuv420(frameReadback{}, bottomFirst.data(), 4, 4, yuvMatrix::bt601, yuv.data());
  const std::vector<uint8_t> bt601 = {235, 235, 81,  81,  235, 235, 81, 81,   // Y
                                      145, 145, 41,  16,  145, 145, 16, 16,
                                      128, 90,  54,  156,                     // U
                                      128, 240, 34,  123};                    // V
  EXPECT_EQ(yuv, bt601);
  toYuv420(frameReadback{}, bottomFirst.data(), 4, 4, yuvMatrix::bt709, yuv.data());
  const std::vector<uint8_t> bt709 = {235, 235, 63,  63,  235, 235, 63, 63,   // Y
                                      173, 173, 32,  16,  173, 173, 16, 16,
                                      128, 102, 42,  156,                     // U
                                      128, 240, 26,  125};                    // V
  EXPECT_EQ(yuv, bt709);
  EXPECT_EQ(videoMatrixFor(719), yuvMatrix::bt601);
  EXPECT_EQ(videoMatrixFor(720), yuvMatrix::bt709);
}

}  // namespace
