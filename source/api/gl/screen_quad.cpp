#include "api/gl/screen_quad.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/texture.h"

namespace gfx {

screenQuad::screenQuad() : textures(static_cast<size_t>(maxTextureUnits > 0 ? maxTextureUnits : 1)) {}

namespace {

float alignmentFraction(int32_t bits) {
  switch (bits) {
    case 1: return 0.5f;
    case 2: return 1.0f;
    default: return 0.0f;
  }
}

}  // namespace

void layoutScreenQuad(screenQuad& quad) {
  quad.viewportWidthF = static_cast<float>(viewportWidth);
  quad.viewportHeightF = static_cast<float>(viewportHeight);
  quad.aspect = aspect16by9;
  if (quad.pixelMode != 0) {
    quad.extentWidth = quad.viewportWidthF;
    quad.extentHeight = quad.viewportHeightF;
  } else {
    quad.extentWidth = aspect16by9;
    quad.extentHeight = 1.0f;
  }
  quad.offsetX = alignmentFraction(quad.alignment & 3);
  quad.offsetY = alignmentFraction((quad.alignment >> 2) & 3);
  quad.anchorX = alignmentFraction((quad.alignment >> 4) & 3);
  quad.anchorY = alignmentFraction((quad.alignment >> 6) & 3);
}

void drawScreenQuad(screenQuad& quad) {
  begin2D();
  orthoUnit();
  enableTexturing();
  for (size_t unit = 0; unit < quad.textures.size(); ++unit) {
    FWrender::texture* texture = quad.textures[unit];
    if (texture == nullptr) continue;
    texture->unit = static_cast<int32_t>(unit);
    texture->bind();
  }
  orthoRect(-quad.anchorX * quad.extentWidth, quad.extentWidth * (1 - quad.anchorX),
            -quad.anchorY * quad.extentHeight, (1 - quad.anchorY) * quad.extentHeight);
  glScalef(quad.scaleX, quad.scaleY, 0);
  glTranslatef(quad.x / quad.scaleX - quad.offsetX, quad.y / quad.scaleY - quad.offsetY, 0);
  glColor4f(quad.color[0], quad.color[1], quad.color[2], quad.color[3]);
  polygonCount += 6;
  glBegin(GL_QUADS);
  glTexCoord2f(quad.s0, quad.t0);
  glVertex2f(0, 0);
  glTexCoord2f(quad.s0, quad.t1);
  glVertex2f(0, 1);
  glTexCoord2f(quad.s1, quad.t1);
  glVertex2f(1, 1);
  glTexCoord2f(quad.s1, quad.t0);
  glVertex2f(1, 0);
  glEnd();
  end2D();
}

}  // namespace gfx
