#include "engine/loading_bar.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"

void drawProgressBar(float fraction) {
  gfx::begin2D();
  gfx::orthoUnit();
  // A virtual 800 x 600 screen, origin bottom-left, y up.
  gfx::orthoRect(0, 800, 600, 0);

  glColor3f(1, 1, 1);
  glLineWidth(2);
  glBegin(GL_LINE_LOOP);
  glVertex2f(95, 285);
  glVertex2f(705, 285);
  glVertex2f(705, 315);
  glVertex2f(95, 315);
  glEnd();

  glLineWidth(1);
  const auto filledTo = static_cast<float>(static_cast<int>(fraction * 600.0f + 100.0f));
  glBegin(GL_QUADS);
  glVertex2f(100, 290);
  glVertex2f(filledTo, 290);
  glVertex2f(filledTo, 310);
  glVertex2f(100, 310);
  glEnd();

  glColor3f(0, 0, 0);
  gfx::end2D();
}
