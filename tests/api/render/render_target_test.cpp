#include "api/render/render_target.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/render/mipmap_region.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

class RenderTargets : public ::testing::Test {
 protected:
  // The full layout unless a test asks for the compact one.
  void SetUp() override {
    FWrender::compactRenderTargets = false;
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
  }
  void TearDown() override {
    FWrender::compactRenderTargets = true;
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::resetState();
    glMatrixMode(GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  static GLint attachedName(GLenum attachment) {
    GLint name = 0;
    ext::glGetFramebufferAttachmentParameterivEXT(GL_FRAMEBUFFER_EXT, attachment,
                                                  GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME_EXT, &name);
    return name;
  }

  // A quad over the lower-left width x height region, in `colour`, at depth z.
  static void drawRegion(float r, float g, float b, float z, int width = 1280, int height = 720) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gfx::resetState();
    gfx::enableCapability(GL_DEPTH_TEST);
    glColor4f(r, g, b, 1);
    glBegin(GL_QUADS);
    glVertex3f(0, 0, z);
    glVertex3f(1, 0, z);
    glVertex3f(1, 1, z);
    glVertex3f(0, 1, z);
    glEnd();
  }
};

TEST_F(RenderTargets, FourAttachmentsAreColourTexturesWithADepthTexture) {
  auto target = FWrender::createRenderTarget(4);
  ASSERT_TRUE(target);
  EXPECT_TRUE(FWrender::framebufferReady);
  EXPECT_EQ(target->colourCount, 4);
  ASSERT_EQ(target->colourTextures.size(), 4u);
  ASSERT_EQ(target->drawBuffers.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(target->drawBuffers[i], static_cast<GLenum>(GL_COLOR_ATTACHMENT0_EXT + i));
    EXPECT_NE(target->colourTextures[i]->glId, 0u);
    EXPECT_EQ(target->colourTextures[i]->params.width, 2048);
    EXPECT_EQ(target->colourTextures[i]->params.minFilter, 5);
    EXPECT_TRUE(target->colourTextures[i]->params.generateMipmap);
  }
  EXPECT_EQ(target->depthTexture->params.format, 11);
  EXPECT_EQ(target->depthTexture->params.dataType, 5);

  FWrender::enter(*target);
  EXPECT_EQ(ext::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT),
            static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE_EXT));
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0_EXT + i),
              static_cast<GLint>(target->colourTextures[i]->glId));
  }
  EXPECT_EQ(attachedName(GL_DEPTH_ATTACHMENT_EXT), static_cast<GLint>(target->depthTexture->glId));
  GLint drawBuffer = 0;
  glGetIntegerv(GL_DRAW_BUFFER3, &drawBuffer);
  EXPECT_EQ(drawBuffer, GL_COLOR_ATTACHMENT3_EXT);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  FWrender::release(target);
  EXPECT_FALSE(target);
}

TEST_F(RenderTargets, FifteenAttachmentsWrapToNoColourAttachment) {
  auto target = FWrender::createRenderTarget(15);
  EXPECT_EQ(target->colourCount, 0);
  EXPECT_EQ(target->colourTextures.size(), 15u);
  EXPECT_TRUE(target->drawBuffers.empty());
  FWrender::enter(*target);
  GLint buffer = -1;
  glGetIntegerv(GL_DRAW_BUFFER, &buffer);
  EXPECT_EQ(buffer, GL_NONE);
  glGetIntegerv(GL_READ_BUFFER, &buffer);
  EXPECT_EQ(buffer, GL_NONE);
  EXPECT_EQ(attachedName(GL_COLOR_ATTACHMENT0_EXT), 0);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  FWrender::release(target);
}

TEST_F(RenderTargets, DrawnIntoThenSampledAfterLeaving) {
  auto target = FWrender::createRenderTarget(2);
  FWrender::enter(*target);
  glClearColor(0, 0, 0, 1);
  glClearDepth(1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawRegion(1, 0.5f, 0, 0.0f);
  drawRegion(0, 0, 1, -0.5f);  // behind the first: fails the depth test
  FWrender::leave(*target);

  GLint framebuffer = -1;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
  EXPECT_EQ(framebuffer, 0);
  // Leaving selects the last colour texture's unit with the fallback bound.
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE0);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::defaultTexture);

  // Both colour textures hold the drawing (one colour feeds every draw
  // buffer), inside the 1280 x 720 region only.
  std::vector<uint8_t> pixels(2048 * 2048 * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  for (int i = 0; i < 2; ++i) {
    glBindTexture(GL_TEXTURE_2D, target->colourTextures[i]->glId);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    const uint8_t* inside = &pixels[(700 * 2048 + 1270) * 4];
    EXPECT_EQ(inside[0], 255) << "texture " << i;
    EXPECT_NEAR(inside[1], 128, 1) << "texture " << i;
    EXPECT_EQ(inside[2], 0) << "texture " << i;
    const uint8_t* outside = &pixels[(700 * 2048 + 1290) * 4];
    EXPECT_EQ(outside[0], 0) << "texture " << i;
    // The mipmaps were regenerated: the 1 x 1 level averages the region.
    uint8_t smallest[4];
    glGetTexImage(GL_TEXTURE_2D, 11, GL_RGBA, GL_UNSIGNED_BYTE, smallest);
    EXPECT_NEAR(smallest[0], 255.0 * 1280 * 720 / (2048.0 * 2048.0), 12) << "texture " << i;
  }
  // The depth texture kept the nearer quad's depth (z 0 maps to 0.5).
  std::vector<float> depth(2048 * 2048);
  glBindTexture(GL_TEXTURE_2D, target->depthTexture->glId);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  EXPECT_NEAR(depth[100 * 2048 + 100], 0.5f, 1e-3);
  EXPECT_NEAR(depth[1000 * 2048 + 100], 1.0f, 1e-6);
  glBindTexture(GL_TEXTURE_2D, 0);
  FWrender::release(target);
}

TEST_F(RenderTargets, CompactTargetsHoldThePictureAndMipmapOnlyWhatIsReadCoarser) {
  FWrender::compactRenderTargets = true;
  const auto sizeFor = [](int32_t width, int32_t height) {
    const FWrender::renderTargetSize size = FWrender::renderTargetSizeFor(width, height);
    return std::make_pair(size.width, size.height);
  };
  EXPECT_EQ(sizeFor(640, 480), std::make_pair(1024, 512));
  EXPECT_EQ(sizeFor(1024, 576), std::make_pair(1024, 1024));
  EXPECT_EQ(sizeFor(1366, 768), std::make_pair(2048, 1024));
  EXPECT_EQ(sizeFor(2049, 16), std::make_pair(4096, 16));
  EXPECT_EQ(FWrender::fullLayoutSideFor(16, 2049), 4096);

  gfx::setupViewport(1280, 720, gfx::aspect16by9);
  auto target = FWrender::createRenderTarget(2, 1u << 0);
  ASSERT_EQ(target->width, 2048);
  ASSERT_EQ(target->height, 1024);
  EXPECT_EQ(target->fullLayoutSide, 2048);
  EXPECT_EQ(target->mipmapped, (std::vector<bool>{true, false}));
  FWrender::enter(*target);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawRegion(1, 0.5f, 0, 0.0f, 1280, 720);
  FWrender::leave(*target);

  // The mipmapped attachment's 1 x 1 level averages the picture; the other
  // one is a single level (no filter can reach a stale mipmap) that holds it.
  glBindTexture(GL_TEXTURE_2D, target->colourTextures[0]->glId);
  uint8_t smallest[4];
  glGetTexImage(GL_TEXTURE_2D, 11, GL_RGBA, GL_UNSIGNED_BYTE, smallest);
  EXPECT_NEAR(smallest[0], 255.0 * 1280 * 720 / (2048.0 * 1024.0), 12);
  glBindTexture(GL_TEXTURE_2D, target->colourTextures[1]->glId);
  GLint maxLevel = -1;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, &maxLevel);
  EXPECT_EQ(maxLevel, 0);
  std::vector<uint8_t> pixels(2048 * 1024 * 4);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  EXPECT_EQ(pixels[(719 * 2048 + 1279) * 4], 255);
  EXPECT_EQ(pixels[(720 * 2048 + 1279) * 4], 0);
  EXPECT_EQ(pixels[(719 * 2048 + 1280) * 4], 0);
  glBindTexture(GL_TEXTURE_2D, 0);
  FWrender::release(target);
}

TEST_F(RenderTargets, LeavingForACornerRegeneratesItsTexelsAsAFullLeaveDoes) {
  FWrender::compactRenderTargets = true;
  gfx::setupViewport(300, 200, gfx::aspect16by9);
  auto full = FWrender::createRenderTarget(1, 1u << 0, 4);
  auto corner = FWrender::createRenderTarget(1, 1u << 0, 4);
  ASSERT_EQ(full->width, 512);
  ASSERT_EQ(full->height, 256);
  const FWrender::sampledCorner read{307, 203};
  uint32_t seed = 1;
  std::vector<uint8_t> noise(512 * 256 * 4);
  const auto drawNoise = [&] {
    for (uint8_t& byte : noise) {
      seed = seed * 1664525u + 1013904223u;
      byte = static_cast<uint8_t>(seed >> 24);
    }
    // Drawn, as passes do: an upload would regenerate the levels by itself.
    glDisable(GL_DEPTH_TEST);
    for (const auto* target : {full.get(), corner.get()}) {
      FWrender::enter(*target);
      glViewport(0, 0, 512, 256);
      glMatrixMode(GL_PROJECTION);
      glLoadIdentity();
      glOrtho(0, 512, 0, 256, -1, 1);
      glMatrixMode(GL_MODELVIEW);
      glLoadIdentity();
      glRasterPos2i(0, 0);
      glDrawPixels(512, 256, GL_RGBA, GL_UNSIGNED_BYTE, noise.data());
    }
  };
  // The first leave fills every level; the second regenerates the corner's.
  for (int round = 0; round < 2; ++round) {
    drawNoise();
    FWrender::leave(*full);
    FWrender::leaveSampledCorner(*corner, read);
  }

  const std::vector<int32_t> across = FWrender::regeneratedTexels(512, read.width, 4);
  const std::vector<int32_t> up = FWrender::regeneratedTexels(256, read.height, 4);
  bool staleOutside = false;
  for (int level = 1; level <= 4; ++level) {
    SCOPED_TRACE(level);
    const int width = 512 >> level;
    std::vector<uint8_t> expected(static_cast<size_t>(width * (256 >> level) * 4));
    std::vector<uint8_t> regenerated(expected.size());
    glBindTexture(GL_TEXTURE_2D, full->colourTextures[0]->glId);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, expected.data());
    glBindTexture(GL_TEXTURE_2D, corner->colourTextures[0]->glId);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, regenerated.data());
    int differing = 0;
    for (int y = 0; y < (256 >> level); ++y) {
      for (int x = 0; x < width; ++x) {
        const size_t at = static_cast<size_t>((y * width + x) * 4);
        const bool same = std::equal(&expected[at], &expected[at] + 4, &regenerated[at]);
        if (x < across[level] && y < up[level]) differing += same ? 0 : 1;
        if (x >= across[level] && !same) staleOutside = true;
      }
    }
    EXPECT_EQ(differing, 0);
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  // Beyond the corner's reach the older level stayed: nothing was done there.
  EXPECT_TRUE(staleOutside);
  FWrender::release(full);
  FWrender::release(corner);
}

TEST_F(RenderTargets, MissingFramebufferObjectsAreErrorCodeOne) {
  const auto saved = ext::glGenFramebuffersEXT;
  ext::glGenFramebuffersEXT = nullptr;
  int code = 0;
  try {
    FWrender::createRenderTarget(2);
  } catch (int thrown) {
    code = thrown;
  }
  ext::glGenFramebuffersEXT = saved;
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(FWrender::framebufferReady);
}

TEST_F(RenderTargets, AnIncompleteFramebufferIsErrorCodeOne) {
  // A driver that reports every framebuffer incomplete.
  const auto saved = ext::glCheckFramebufferStatusEXT;
  ext::glCheckFramebufferStatusEXT = [](GLenum) -> GLenum {
    return GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT_EXT;
  };
  int code = 0;
  try {
    FWrender::createRenderTarget(1);
  } catch (int thrown) {
    code = thrown;
  }
  ext::glCheckFramebufferStatusEXT = saved;
  EXPECT_EQ(code, 1);
  EXPECT_FALSE(FWrender::framebufferReady);
  GLint framebuffer = -1;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &framebuffer);
  EXPECT_EQ(framebuffer, 0);
}

}  // namespace
