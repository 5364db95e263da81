#include "api/render/material.h"

#include "api/gl/gl.h"
#include "api/gl/state.h"

namespace FWrender {

void applyMaterial(const material& surface) {
  glColor4f(1, 1, 1, 1);
  gfx::setMaterial(surface.diffuse, surface.specular, surface.ambient, surface.emission,
                   surface.shininess);
}

void resetMaterial() {
  const float white[4] = {1, 1, 1, 1};
  const float black[4] = {0, 0, 0, 1};
  gfx::setMaterial(white, white, white, black, 1.0f);
}

}  // namespace FWrender
