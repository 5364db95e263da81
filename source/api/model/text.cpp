#include "api/model/text.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/render/texture.h"

#include <cmath>
#include <cstring>

namespace FWmodel {

text::text() : string(new char[capacity]()) {}

text::~text() {
  for (GLuint list : glyphLists) {
    if (list != 0) glDeleteLists(list, 1);
  }
  delete[] string;
}

void text::setString(const char* value) {
  std::strncpy(string, value != nullptr ? value : "", capacity - 1);
  string[capacity - 1] = '\0';
}

void text::buildGlyphLists(FWrender::texture* atlas, float cellWidth, float cellHeight) {
  font = atlas;
  const int columns = static_cast<int>(std::ceil(1.0f / cellWidth));
  const int rows = static_cast<int>(std::ceil(1.0f / cellHeight));
  const GLuint base = glGenLists(256);
  if (base == 0) return;
  for (int row = 0, cell = 0; row < rows; ++row) {
    for (int column = 0; column < columns && cell < 256; ++column, ++cell) {
      const float s0 = column * cellWidth;
      const float s1 = (column + 1) * cellWidth;
      const float t0 = row * cellHeight;
      const float t1 = (row + 1) * cellHeight;
      const GLuint list = base + static_cast<GLuint>(cell);
      glNewList(list, GL_COMPILE);
      glBegin(GL_QUADS);
      glTexCoord2f(s0, t0);
      glVertex2f(0, 0);
      glTexCoord2f(s0, t1);
      glVertex2f(0, 1);
      glTexCoord2f(s1, t1);
      glVertex2f(1, 1);
      glTexCoord2f(s1, t0);
      glVertex2f(1, 0);
      glEnd();
      glEndList();
      glyphLists[(cell + 32) % 256] = list;
    }
  }
}

void text::draw() {
  gfx::begin2D();
  gfx::orthoUnit();
  if (pixelMode != 0) {
    gfx::orthoRect(0, static_cast<float>(gfx::viewportWidth), 0,
                   static_cast<float>(gfx::viewportHeight));
  } else {
    gfx::orthoRect(0, gfx::aspect16by9, 0, 1.0f);
  }
  if (font != nullptr) font->bind();
  glColor4f(color[0], color[1], color[2], color[3]);

  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glScalef(glyphWidth, glyphHeight, 0);
  glTranslatef(x / glyphWidth, y / glyphHeight, 0);
  // The first character is drawn before the end test: an empty string draws
  // the list of code 0 once.
  const unsigned char* c = reinterpret_cast<const unsigned char*>(string);
  do {
    if (glyphLists[*c] != 0) glCallList(glyphLists[*c]);
    glTranslatef(advance / glyphWidth, 0, 0);
  } while (*c++ != '\0' && *c != '\0');
  glPopMatrix();

  const int32_t unit = font != nullptr ? font->unit : 0;
  ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
  glBindTexture(GL_TEXTURE_2D, unit == 0 ? gfx::defaultTexture : 0);
  gfx::end2D();
}

}  // namespace FWmodel
