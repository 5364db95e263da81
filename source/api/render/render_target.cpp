#include "api/render/render_target.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/out_of_memory.h"
#include "api/gl/screen_canvas.h"
#include "api/gl/state.h"
#include "api/render/mipmap_region.h"

namespace FWrender {

bool framebufferReady = false;
bool compactRenderTargets = true;

namespace {

// The engine has no framebuffer-specific code; failures halt with code 1.
constexpr int32_t framebufferFailure = 1;

bool framebufferEntryPointsPresent() {
  return ext::glGenFramebuffersEXT != nullptr && ext::glBindFramebufferEXT != nullptr &&
         ext::glFramebufferTexture2DEXT != nullptr &&
         ext::glCheckFramebufferStatusEXT != nullptr && ext::glGenRenderbuffersEXT != nullptr &&
         ext::glBindRenderbufferEXT != nullptr && ext::glRenderbufferStorageEXT != nullptr &&
         ext::glGenerateMipmapEXT != nullptr && ext::glDeleteFramebuffersEXT != nullptr &&
         ext::glDeleteRenderbuffersEXT != nullptr && ext::glDrawBuffers != nullptr;
}

std::unique_ptr<texture> colourTexture() {
  auto made = std::make_unique<texture>();
  made->params.format = 1;
  made->params.dataType = 1;
  made->params.generateMipmap = true;
  made->params.magFilter = filterLinear;
  made->params.minFilter = filterLinearMipmapLinear;
  return made;
}

std::unique_ptr<texture> depthTexture() {
  auto made = std::make_unique<texture>();
  made->params.depth = true;
  made->params.format = 11;
  made->params.dataType = 5;
  made->params.magFilter = filterLinear;
  made->params.minFilter = filterLinear;
  made->params.generateMipmap = false;
  return made;
}

void createStorage(texture& target, renderTargetSize size) {
  if (target.glId != 0) return;
  target.params.width = size.width;
  target.params.height = size.height;
  target.glId = gfx::createTexture(target.params, nullptr);
}

// Levels past `level` are neither regenerated nor sampled. On software GL
// each level that leave() skips spares a draw and a wait for it.
void limitLevels(const texture& target, int32_t level) {
  glBindTexture(GL_TEXTURE_2D, target.glId);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, level);
  glBindTexture(GL_TEXTURE_2D, 0);
}

// A colour texture that no pass samples below full size: one level, no
// mipmap storage to fill, and a complete texture for its trilinear filter.
void createSingleLevelStorage(texture& target, renderTargetSize size) {
  if (target.glId != 0) return;
  target.params.generateMipmap = false;
  createStorage(target, size);
  limitLevels(target, 0);
}

void requireComplete() {
  const GLenum status = ext::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT);
  framebufferReady = status == GL_FRAMEBUFFER_COMPLETE_EXT;
  if (!framebufferReady) {
    ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
    // Storage the driver could not allocate leaves the framebuffer
    // incomplete too; that is out of memory, not a missing feature.
    gfx::throwIfOutOfMemory();
    throw framebufferFailure;
  }
}

void assemble(RenderTarget& target) {
  ext::glGenFramebuffersEXT(1, &target.framebuffer);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);

  target.colourRenderbuffers.assign(static_cast<size_t>(target.colourCount), 0);
  for (int32_t i = 0; i < target.colourCount; ++i) {
    // Each attachment gets a renderbuffer name of its own; no depth storage
    // goes with it, since the depth texture below is the depth attachment.
    ext::glGenRenderbuffersEXT(1, &target.colourRenderbuffers[i]);
    ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, target.colourRenderbuffers[i]);
    const GLenum attachment = GL_COLOR_ATTACHMENT0_EXT + static_cast<GLenum>(i);
    ext::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, attachment, GL_TEXTURE_2D,
                                   target.colourTextures[i]->glId, 0);
    target.drawBuffers[i] = attachment;
    requireComplete();
  }

  if (target.hasDepthTexture) {
    ext::glGenRenderbuffersEXT(1, &target.depthRenderbuffer);
    ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, target.depthRenderbuffer);
    ext::glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT32,
                                  target.depthTexture->params.width,
                                  target.depthTexture->params.height);
    ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
    ext::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_TEXTURE_2D,
                                   target.depthTexture->glId, 0);
  }

  if (target.colourCount > 0) {
    ext::glDrawBuffers(target.colourCount, target.drawBuffers.data());
  } else {
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
  }
  requireComplete();

  ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
}

}  // namespace

namespace {

int32_t powerOfTwoHolding(int32_t length, int32_t smallest) {
  int32_t side = smallest;
  while (side < length) side *= 2;
  return side;
}

}  // namespace

renderTargetSize renderTargetSizeFor(int32_t width, int32_t height) {
  if (!compactRenderTargets) {
    const int32_t side = fullLayoutSideFor(width, height);
    return {side, side};
  }
  return {powerOfTwoHolding(width, 1), powerOfTwoHolding(height, 1)};
}

int32_t fullLayoutSideFor(int32_t width, int32_t height) {
  return powerOfTwoHolding(width > height ? width : height, smallestRenderTargetSide);
}

int32_t largestRenderTargetSide() {
  GLint textureLimit = 0;
  GLint renderbufferLimit = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &renderbufferLimit);
  // A driver without renderbuffers leaves the second at 0; the missing
  // entry points stop createRenderTarget anyway.
  if (renderbufferLimit <= 0) return textureLimit;
  return textureLimit < renderbufferLimit ? textureLimit : renderbufferLimit;
}

std::unique_ptr<RenderTarget> createRenderTarget(int32_t requestedAttachments,
                                                 uint32_t sampledCoarser,
                                                 int32_t coarsestLevelSampled) {
  auto target = std::make_unique<RenderTarget>();
  const renderTargetSize size = renderTargetSizeFor(gfx::screenWidth, gfx::screenHeight);
  target->width = size.width;
  target->height = size.height;
  target->fullLayoutSide = fullLayoutSideFor(gfx::screenWidth, gfx::screenHeight);
  const int32_t longest = size.width > size.height ? size.width : size.height;
  target->coarsestLevel = 0;
  while (target->coarsestLevel < coarsestLevelSampled && (longest >> target->coarsestLevel) > 1) {
    ++target->coarsestLevel;
  }
  if (longest > smallestRenderTargetSide && longest > largestRenderTargetSide()) {
    throw framebufferFailure;
  }
  const int32_t requested = requestedAttachments > 0 ? requestedAttachments : 0;
  target->colourCount = requested % 15;
  target->hasDepthTexture = 1;
  target->mipmapOnLeave = true;

  for (int32_t i = 0; i < requested; ++i) {
    const bool mipmapped =
        !compactRenderTargets || (i < 32 && (sampledCoarser >> static_cast<uint32_t>(i)) & 1u);
    target->mipmapped.push_back(mipmapped);
    target->colourTextures.push_back(colourTexture());
    if (mipmapped) {
      createStorage(*target->colourTextures.back(), size);
      if (compactRenderTargets) limitLevels(*target->colourTextures.back(), coarsestLevelSampled);
    } else {
      createSingleLevelStorage(*target->colourTextures.back(), size);
    }
  }
  target->depthTexture = depthTexture();
  createStorage(*target->depthTexture, size);
  target->drawBuffers.assign(static_cast<size_t>(target->colourCount), GL_NONE);

  if (!framebufferEntryPointsPresent()) {
    framebufferReady = false;
    throw framebufferFailure;
  }
  framebufferReady = true;
  assemble(*target);
  return target;
}

void enter(const RenderTarget& target) {
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, target.framebuffer);
}

namespace {

// Halves level k - 1 into level k over the counted texels, for k = 1 up to
// the coarsest level kept. A 2:1 linear blit samples each texel's
// 2 x 2 block at its centre, as glGenerateMipmap does. False, before any
// blit, when the driver cannot attach a level to a framebuffer.
bool halveLevels(RenderTarget& target, const texture& colour, sampledCorner corner) {
  const int32_t levels = target.coarsestLevel;
  const std::vector<int32_t> across = regeneratedTexels(target.width, corner.width, levels);
  const std::vector<int32_t> up = regeneratedTexels(target.height, corner.height, levels);
  for (size_t level = 1; level < across.size() && level < up.size(); ++level) {
    const GLint parent = static_cast<GLint>(level) - 1;
    ext::glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, target.levelReadFramebuffer);
    ext::glFramebufferTexture2DEXT(GL_READ_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                   GL_TEXTURE_2D, colour.glId, parent);
    ext::glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, target.levelDrawFramebuffer);
    ext::glFramebufferTexture2DEXT(GL_DRAW_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                   GL_TEXTURE_2D, colour.glId, static_cast<GLint>(level));
    if (level == 1 && (ext::glCheckFramebufferStatusEXT(GL_READ_FRAMEBUFFER_EXT) !=
                           GL_FRAMEBUFFER_COMPLETE_EXT ||
                       ext::glCheckFramebufferStatusEXT(GL_DRAW_FRAMEBUFFER_EXT) !=
                           GL_FRAMEBUFFER_COMPLETE_EXT)) {
      ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
      return false;
    }
    const int32_t parentAcross = across[level - 1];
    const int32_t parentUp = up[level - 1];
    const int32_t halvedAcross = 2 * across[level] < parentAcross ? 2 * across[level] : parentAcross;
    const int32_t halvedUp = 2 * up[level] < parentUp ? 2 * up[level] : parentUp;
    ext::glBlitFramebufferEXT(0, 0, halvedAcross, halvedUp, 0, 0, across[level], up[level],
                              GL_COLOR_BUFFER_BIT, GL_LINEAR);
  }
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
  return true;
}

void regenerate(RenderTarget& target, const sampledCorner* corner) {
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
  if (!target.mipmapOnLeave) return;
  const bool halving = corner != nullptr && target.levelsFilled && compactRenderTargets &&
                       ext::glBlitFramebufferEXT != nullptr;
  GLboolean scissored = GL_FALSE;
  if (halving) {
    if (target.levelReadFramebuffer == 0) {
      ext::glGenFramebuffersEXT(1, &target.levelReadFramebuffer);
      ext::glGenFramebuffersEXT(1, &target.levelDrawFramebuffer);
    }
    scissored = glIsEnabled(GL_SCISSOR_TEST);
    if (scissored) glDisable(GL_SCISSOR_TEST);
  }
  for (int32_t i = 0; i < target.colourCount; ++i) {
    if (!target.mipmapped[static_cast<size_t>(i)]) continue;
    texture& colour = *target.colourTextures[i];
    colour.bind();
    if (!halving || !halveLevels(target, colour, *corner)) ext::glGenerateMipmapEXT(GL_TEXTURE_2D);
    colour.unbind();
  }
  if (scissored) glEnable(GL_SCISSOR_TEST);
  target.levelsFilled = true;
}

}  // namespace

sampledCorner windowCorner(int32_t margin) {
  const int64_t grown = margin > 0 ? margin : 0;
  const auto side = [grown](int32_t window) {
    const int64_t length = int64_t{window} + grown;
    return static_cast<int32_t>(length < INT32_MAX ? length : INT32_MAX);
  };
  return {side(gfx::screenWidth), side(gfx::screenHeight)};
}

void leave(RenderTarget& target) { regenerate(target, nullptr); }

void leaveSampledCorner(RenderTarget& target, sampledCorner corner) {
  regenerate(target, &corner);
}

void release(std::unique_ptr<RenderTarget>& target) {
  if (!target) return;
  if (framebufferReady) {
    ext::glDeleteFramebuffersEXT(1, &target->framebuffer);
    if (target->levelReadFramebuffer != 0) {
      ext::glDeleteFramebuffersEXT(1, &target->levelReadFramebuffer);
      ext::glDeleteFramebuffersEXT(1, &target->levelDrawFramebuffer);
    }
    for (GLuint& renderbuffer : target->colourRenderbuffers) {
      if (renderbuffer != 0) ext::glDeleteRenderbuffersEXT(1, &renderbuffer);
    }
    if (target->depthRenderbuffer != 0) {
      ext::glDeleteRenderbuffersEXT(1, &target->depthRenderbuffer);
    }
  }
  target.reset();
}

}  // namespace FWrender
