#include "api/render/texture.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/math/matrix.h"

namespace FWrender {

namespace {

void bindOnUnit(int32_t unit, GLuint name) {
  ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
  if (name == 0) name = unit == 0 ? gfx::defaultTexture : 0;
  glBindTexture(GL_TEXTURE_2D, name);
}

}  // namespace

void texture::bind() {
  gfx::enableTexturing();
  bindOnUnit(unit, glId);
  applyMatrix();
}

void texture::unbind() { bindOnUnit(unit, 0); }

void texture::applyMatrix() {
  FWmath::matrix transform;
  transform.translateScale(offset[0], offset[1], 1.0f, scale[0], scale[1], 1.0f);
  glMatrixMode(GL_TEXTURE);
  glLoadMatrixf(transform.m);
}

}  // namespace FWrender
