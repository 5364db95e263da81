#pragma once

#include "api/gl/gl.h"
#include "api/render/texture.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace FWrender {

// Users draw into a window-sized corner of a render target and scale
// texture coordinates by size / the target's width and height. In the full
// layout targets are square, 2048 for every picture that fits, else the
// smallest power of two that holds the picture.
constexpr int32_t smallestRenderTargetSide = 2048;

// True (the default): each side of a target is the smallest power of two
// that holds that side of the picture (1024 x 512 for 640 x 480, 2048 x 1024
// for 1280 x 720), and only the attachments their users sample below full
// size get mipmaps (see createRenderTarget). False: the full layout, square
// 2048 and up with every colour attachment's mipmaps regenerated on every
// leave; kept to compare pictures against. Decide before the first target
// is created.
extern bool compactRenderTargets;

// Every colour attachment: the mipmap mask of the full layout.
constexpr uint32_t everyAttachment = 0xFFFFFFFFu;

struct renderTargetSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The size of the targets for a width x height picture, in the layout that
// compactRenderTargets chooses. Cheap.
renderTargetSize renderTargetSizeFor(int32_t width, int32_t height);

// The side of the full layout for a width x height picture, whatever
// compactRenderTargets says. Cheap.
int32_t fullLayoutSideFor(int32_t width, int32_t height);

// The largest side the driver allows for both textures and renderbuffers.
// Needs a current context.
int32_t largestRenderTargetSide();

// Whether the last framebuffer completeness check passed (shutdown asks).
extern bool framebufferReady;

// An off-screen framebuffer object with colour textures on attachments
// 0 .. colourCount - 1 (all of them draw buffers) and a depth texture.
struct RenderTarget {
  int32_t width = smallestRenderTargetSide;  // of every texture
  int32_t height = smallestRenderTargetSide;
  // The side the full layout would give the same picture: distances that
  // shaders take in texture units of the full layout are scaled by
  // fullLayoutSide / width across and fullLayoutSide / height up, so a
  // compact target shows them as long as the full layout does.
  int32_t fullLayoutSide = smallestRenderTargetSide;
  int32_t colourCount = 0;  // requested count modulo 15
  int32_t hasDepthTexture = 1;
  GLuint framebuffer = 0;
  std::vector<GLuint> colourRenderbuffers;
  GLuint depthRenderbuffer = 0;
  std::vector<std::unique_ptr<texture>> colourTextures;  // one per requested attachment
  std::unique_ptr<texture> depthTexture;
  bool mipmapOnLeave = true;
  std::vector<bool> mipmapped;  // per colour texture: regenerated on leave
  int32_t coarsestLevel = 0;     // the last level regenerated, in the compact layout
  std::vector<GLenum> drawBuffers;
  // The two framebuffers that leaveSampledCorner halves levels through
  // (made on its first use), and whether every level has been regenerated
  // in full once.
  GLuint levelReadFramebuffer = 0;
  GLuint levelDrawFramebuffer = 0;
  bool levelsFilled = false;
};

// The texels of level 0 that later passes may read, from the target's
// corner at (0, 0): no read, at any level, uses coordinates at or beyond
// `width` texels across or `height` texels up.
struct sampledCorner {
  int32_t width = 0;
  int32_t height = 0;
};

// The corner of the targets that the window's picture is drawn into
// (gfx::screenWidth x screenHeight texels), grown by `margin` texels across
// and up. Cheap.
sampledCorner windowCorner(int32_t margin);

// No limit on the mipmap levels that passes sample: GL's own default
// maximum level.
constexpr int32_t everyMipmapLevel = 1000;

// Creates the textures (RGBA8 with mipmaps; 32-bit depth) and assembles and
// checks the framebuffer, sized for the window (gfx::screenWidth x
// screenHeight, see renderTargetSizeFor). Bit i of `sampledCoarser` says
// that a later pass samples colour attachment i below its full size; with
// compactRenderTargets the other attachments keep one level only (their
// maximum level is 0, so no filter can read a stale mipmap) and are not
// regenerated on leave, and the sampled ones are regenerated down to
// `coarsestLevelSampled` only (their maximum level: a shader that asks for
// a coarser level gets that one instead). Throws 1
// when framebuffer objects are missing, the window is larger than the
// driver's limit or the framebuffer is incomplete. At 2048 x 2048, about
// 21 MiB of texture memory per mipmapped colour attachment plus 32 MiB for
// depth (half of that per halved side). Needs a current context.
std::unique_ptr<RenderTarget> createRenderTarget(int32_t requestedAttachments,
                                                 uint32_t sampledCoarser = everyAttachment,
                                                 int32_t coarsestLevelSampled = everyMipmapLevel);

// Binds the target's framebuffer for drawing.
void enter(const RenderTarget& target);

// Back to the screen (the window or its canvas), then regenerates the
// mipmaps of every mipmapped colour texture (each bound on its unit and
// unbound again): on software GL about as costly as drawing a full-screen
// pass per texture.
// Leaves the last mipmapped texture's unit active and GL_TEXTURE as the
// matrix mode.
void leave(RenderTarget& target);

// As leave(), but each mipmap level is regenerated only as far as reads
// inside `corner` can reach (regeneratedTexels), by halving blits from level
// to level; the rest of each level keeps what it held, so `corner` must hold
// every read of those levels until the next leave. Those texels come out
// as leave() makes them, for about the corner's share of its cost. The
// first call on a target, the full layout and drivers without
// EXT_framebuffer_blit regenerate everything as leave() does. Turns the
// scissor test off while it blits.
void leaveSampledCorner(RenderTarget& target, sampledCorner corner);

// Deletes the framebuffer and renderbuffers (when framebufferReady) and
// the structure; the textures' GL names go with the context.
void release(std::unique_ptr<RenderTarget>& target);

}  // namespace FWrender
