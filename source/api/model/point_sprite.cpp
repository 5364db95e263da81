#include "api/model/point_sprite.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/texture.h"

namespace FWmodel {

pointsprite::pointsprite()
    : textures(static_cast<size_t>(gfx::maxTextureUnits > 0 ? gfx::maxTextureUnits : 1), nullptr) {}

pointsprite::~pointsprite() = default;

int32_t pointsprite::setTexture(int32_t unit, FWrender::texture* texture) {
  if (unit >= 0 && static_cast<size_t>(unit) < textures.size()) {
    textures[static_cast<size_t>(unit)] = texture;
  }
  return unit;
}

void pointsprite::setTexture(FWrender::texture* texture) { setTexture(0, texture); }

FWrender::texture* pointsprite::getTexture(int32_t unit) {
  if (unit < 0 || static_cast<size_t>(unit) >= textures.size()) return nullptr;
  return textures[static_cast<size_t>(unit)];
}

FWrender::texture* pointsprite::getTexture() { return getTexture(0); }

void pointsprite::beginBillboard() {
  glGetFloatv(GL_MODELVIEW_MATRIX, modelView.m);
  billboard.identity();

  glPushAttrib(gfx::attribMask2D);
  gfx::resetState();
  glDepthMask(GL_FALSE);
  gfx::enableTexturing();
  gfx::enableCapability(GL_BLEND);
  // Colour blends by the sprite's alpha; the destination alpha keeps a
  // coverage a later pass can use.
  if (ext::glBlendFuncSeparate != nullptr) {
    ext::glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  }
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();

  for (size_t unit = 0; unit < textures.size(); ++unit) {
    FWrender::texture* texture = textures[unit];
    if (texture == nullptr) continue;
    texture->unit = static_cast<int32_t>(unit);
    gfx::enableTexturing();
    ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
    GLuint name = texture->glId;
    if (name == 0) name = unit == 0 ? gfx::defaultTexture : 0;
    glBindTexture(GL_TEXTURE_2D, name);
    // The texture's own transform goes onto its own unit.
    texture->applyMatrix();
  }
  glMatrixMode(GL_MODELVIEW);
}

void pointsprite::endBillboard() {
  // The modelview is popped while its stack is selected; popping the
  // attributes first would restore some other matrix mode.
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
}

void pointsprite::toViewSpace(const float* point, float* out) const {
  if (modelView.dim != 4) {
    out[0] = out[1] = out[2] = 0.0f;
    return;
  }
  const float* m = modelView.m;
  for (int row = 0; row < 3; ++row) {
    out[row] = m[row] * point[0] + m[4 + row] * point[1] + m[8 + row] * point[2] + m[12 + row];
  }
}

void pointsprite::loadBillboardAt(const float* viewPoint) {
  billboard.m[12] = viewPoint[0];
  billboard.m[13] = viewPoint[1];
  billboard.m[14] = viewPoint[2];
  glLoadMatrixf(billboard.m);
}

void pointsprite::draw() {
  beginBillboard();
  float viewPoint[3];
  toViewSpace(position, viewPoint);
  loadBillboardAt(viewPoint);
  glBegin(GL_QUADS);
  glTexCoord2f(s0, t1);
  glVertex3f(-halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(s1, t1);
  glVertex3f(halfWidth, -halfHeight, 0.0f);
  glTexCoord2f(s1, t0);
  glVertex3f(halfWidth, halfHeight, 0.0f);
  glTexCoord2f(s0, t0);
  glVertex3f(-halfWidth, halfHeight, 0.0f);
  glEnd();
  endBillboard();
}

}  // namespace FWmodel
