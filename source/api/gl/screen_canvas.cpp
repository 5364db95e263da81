#include "api/gl/screen_canvas.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"

#include <initializer_list>

namespace gfx {

uint32_t screenFramebuffer = 0;

namespace {

struct canvasState {
  GLuint framebuffer = 0;
  GLuint colour = 0;
  GLuint depth = 0;
  // A multisampled canvas cannot be scaled in one blit: it is resolved into
  // this single-sampled copy of the render size first.
  GLuint resolveFramebuffer = 0;
  GLuint resolveColour = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t outputWidth = 0;
  int32_t outputHeight = 0;
};

canvasState canvas;

bool driverCanScale() {
  return ext::glGenFramebuffersEXT != nullptr && ext::glBindFramebufferEXT != nullptr &&
         ext::glGenRenderbuffersEXT != nullptr && ext::glRenderbufferStorageEXT != nullptr &&
         ext::glFramebufferRenderbufferEXT != nullptr &&
         ext::glCheckFramebufferStatusEXT != nullptr && ext::glBlitFramebufferEXT != nullptr;
}

GLuint renderbuffer(GLenum format, int32_t sampleCount, int32_t width, int32_t height) {
  GLuint name = 0;
  ext::glGenRenderbuffersEXT(1, &name);
  ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, name);
  if (sampleCount > 1) {
    ext::glRenderbufferStorageMultisampleEXT(GL_RENDERBUFFER_EXT, sampleCount, format, width,
                                             height);
  } else {
    ext::glRenderbufferStorageEXT(GL_RENDERBUFFER_EXT, format, width, height);
  }
  ext::glBindRenderbufferEXT(GL_RENDERBUFFER_EXT, 0);
  return name;
}

// A framebuffer with `colour` (and `depth` when non-zero); false when the
// driver does not accept it.
bool assemble(GLuint* framebuffer, GLuint colour, GLuint depth) {
  ext::glGenFramebuffersEXT(1, framebuffer);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, *framebuffer);
  ext::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT,
                                    GL_RENDERBUFFER_EXT, colour);
  if (depth != 0) {
    ext::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT,
                                      GL_RENDERBUFFER_EXT, depth);
  }
  return ext::glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

void deleteNames() {
  if (ext::glBindFramebufferEXT != nullptr) ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  for (GLuint* framebuffer : {&canvas.framebuffer, &canvas.resolveFramebuffer}) {
    if (*framebuffer != 0) ext::glDeleteFramebuffersEXT(1, framebuffer);
  }
  for (GLuint* buffer : {&canvas.colour, &canvas.depth, &canvas.resolveColour}) {
    if (*buffer != 0) ext::glDeleteRenderbuffersEXT(1, buffer);
  }
  canvas = canvasState{};
  screenFramebuffer = 0;
}

}  // namespace

bool openScreenCanvas(int32_t outputWidth, int32_t outputHeight) {
  closeScreenCanvas();
  if (outputWidth == screenWidth && outputHeight == screenHeight) return true;
  if (!driverCanScale() || screenWidth <= 0 || screenHeight <= 0) return false;
  const bool multisampled = samples > 1 && multisampleSupported &&
                            ext::glRenderbufferStorageMultisampleEXT != nullptr;
  const int32_t sampleCount = multisampled ? samples : 1;
  canvas.width = screenWidth;
  canvas.height = screenHeight;
  canvas.outputWidth = outputWidth;
  canvas.outputHeight = outputHeight;
  canvas.colour = renderbuffer(GL_RGBA8, sampleCount, canvas.width, canvas.height);
  canvas.depth = renderbuffer(GL_DEPTH_COMPONENT24, sampleCount, canvas.width, canvas.height);
  bool complete = assemble(&canvas.framebuffer, canvas.colour, canvas.depth);
  if (complete && multisampled) {
    canvas.resolveColour = renderbuffer(GL_RGBA8, 1, canvas.width, canvas.height);
    complete = assemble(&canvas.resolveFramebuffer, canvas.resolveColour, 0);
  }
  glGetError();
  if (!complete) {
    deleteNames();
    return false;
  }
  screenFramebuffer = canvas.framebuffer;
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, screenFramebuffer);
  return true;
}

bool screenCanvasOpen() { return canvas.framebuffer != 0; }

void presentScreenCanvas() {
  if (canvas.framebuffer == 0) return;
  // Blits are clipped by the scissor box, which a pass may have left on.
  const GLboolean scissored = glIsEnabled(GL_SCISSOR_TEST);
  if (scissored) glDisable(GL_SCISSOR_TEST);
  GLuint source = canvas.framebuffer;
  if (canvas.resolveFramebuffer != 0) {
    ext::glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, canvas.framebuffer);
    ext::glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, canvas.resolveFramebuffer);
    ext::glBlitFramebufferEXT(0, 0, canvas.width, canvas.height, 0, 0, canvas.width,
                              canvas.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    source = canvas.resolveFramebuffer;
  }
  ext::glBindFramebufferEXT(GL_READ_FRAMEBUFFER_EXT, source);
  ext::glBindFramebufferEXT(GL_DRAW_FRAMEBUFFER_EXT, 0);
  ext::glBlitFramebufferEXT(0, 0, canvas.width, canvas.height, 0, 0, canvas.outputWidth,
                            canvas.outputHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, canvas.framebuffer);
  if (scissored) glEnable(GL_SCISSOR_TEST);
}

void closeScreenCanvas() {
  if (canvas.framebuffer == 0 && canvas.colour == 0) return;
  deleteNames();
}

}  // namespace gfx
