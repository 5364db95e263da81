#include "api/model/particles.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"

#include <algorithm>

namespace FWmodel {

particles::~particles() = default;

int32_t particles::addParticle() {
  positions.push_back({0.0f, 0.0f, 0.0f});
  texRects.push_back({0.0f, 0.0f, 1.0f, 1.0f});
  sizes.push_back(1.0f);
  colors.push_back({1.0f, 1.0f, 1.0f, 1.0f});
  return static_cast<int32_t>(positions.size()) - 1;
}

bool particles::holds(int32_t index) const {
  return index >= 0 && static_cast<size_t>(index) < drawableCount();
}

size_t particles::drawableCount() const {
  return std::min({positions.size(), texRects.size(), sizes.size()});
}

void particles::draw() {
  beginBillboard();
  const size_t count = drawableCount();
  // A scene that shrank the colour array leaves the rest of the particles
  // in the last colour set (white).
  const size_t coloured = colors.size();
  for (size_t i = 0; i < count; ++i) {
    float viewPoint[3];
    toViewSpace(positions[i].data(), viewPoint);
    loadBillboardAt(viewPoint);
    if (i < coloured) glColor4fv(colors[i].data());
    const float s = sizes[i];
    const std::array<float, 4>& rect = texRects[i];
    glBegin(GL_QUADS);
    glTexCoord2f(rect[0], rect[1]);
    glVertex3f(-s, -s, 0.0f);
    glTexCoord2f(rect[2], rect[1]);
    glVertex3f(s, -s, 0.0f);
    glTexCoord2f(rect[2], rect[3]);
    glVertex3f(s, s, 0.0f);
    glTexCoord2f(rect[0], rect[3]);
    glVertex3f(-s, s, 0.0f);
    glEnd();
    gfx::polygonCount += 2;
    gfx::vertexCount += 4;
  }
  endBillboard();
}

void particles::drawFlat() {
  beginBillboard();
  const size_t count = drawableCount();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  if (count > 0) {
    glBegin(GL_QUADS);
    for (size_t i = 0; i < count; ++i) {
      const float x = positions[i][0];
      const float y = positions[i][1];
      const float z = positions[i][2];
      const float s = sizes[i];
      const std::array<float, 4>& rect = texRects[i];
      glTexCoord2f(rect[0], rect[1]);
      glVertex3f(x - s, y - s, z);
      glTexCoord2f(rect[2], rect[1]);
      glVertex3f(x + s, y - s, z);
      glTexCoord2f(rect[2], rect[3]);
      glVertex3f(x + s, y + s, z);
      glTexCoord2f(rect[0], rect[3]);
      glVertex3f(x - s, y + s, z);
    }
    glEnd();
  }
  gfx::polygonCount += static_cast<int32_t>(2 * count);
  gfx::vertexCount += static_cast<int32_t>(4 * count);
  endBillboard();
}

}  // namespace FWmodel
