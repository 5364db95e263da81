#pragma once

#include "api/gl/gl.h"
#include "api/render/texture.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace FWrender {

// Side of every render-target texture, whatever the window size: users draw
// into a window-sized corner and scale texture coordinates by size / 2048.
constexpr int32_t renderTargetSide = 2048;

// Whether the last framebuffer completeness check passed (shutdown asks).
extern bool framebufferReady;

// An off-screen framebuffer object with colour textures on attachments
// 0 .. colourCount - 1 (all of them draw buffers) and a depth texture.
struct RenderTarget {
  int32_t colourCount = 0;  // requested count modulo 15
  int32_t hasDepthTexture = 1;
  GLuint framebuffer = 0;
  std::vector<GLuint> colourRenderbuffers;
  GLuint depthRenderbuffer = 0;
  std::vector<std::unique_ptr<texture>> colourTextures;  // one per requested attachment
  std::unique_ptr<texture> depthTexture;
  bool mipmapOnLeave = true;
  std::vector<GLenum> drawBuffers;
};

// Creates the textures (RGBA8 with mipmaps; 32-bit depth) and assembles and
// checks the framebuffer. Throws 1 when framebuffer objects are missing or
// the framebuffer is incomplete. About 21 MiB of texture memory per colour
// attachment plus 32 MiB for depth. Needs a current context.
std::unique_ptr<RenderTarget> createRenderTarget(int32_t requestedAttachments);

// Binds the target's framebuffer for drawing.
void enter(const RenderTarget& target);

// Back to the window's framebuffer, then regenerates the mipmaps of every
// colour texture (each bound on its unit and unbound again). Leaves the last
// colour texture's unit active and GL_TEXTURE as the matrix mode.
void leave(RenderTarget& target);

// Deletes the framebuffer and renderbuffers (when framebufferReady) and
// the structure; the textures' GL names go with the context.
void release(std::unique_ptr<RenderTarget>& target);

}  // namespace FWrender
