#include "api/model/skybox_cube.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/texture.h"

namespace FWmodel {

namespace {

// Faces lie just inside the cube's edges so that no two faces share a
// plane with an edge of another.
constexpr float kPlane = 9.99999f;

enum axis { alongX, alongY, alongZ };

// One face: its texture, the axis it is perpendicular to, the side of the
// cube, and four corners as (s, t, a, b) where a and b are the two other
// coordinates in x, y, z order.
struct face {
  int texture;
  axis normal;
  float plane;
  float corners[4][4];
};

const face kFaces[6] = {
    {5, alongZ, kPlane, {{1, 0, -10, 10}, {0, 0, 10, 10}, {0, 1, 10, -10}, {1, 1, -10, -10}}},
    {4, alongZ, -kPlane, {{1, 1, 10, -10}, {1, 0, 10, 10}, {0, 0, -10, 10}, {0, 1, -10, -10}}},
    {0, alongY, kPlane, {{0, 1, 10, -10}, {0, 0, 10, 10}, {1, 0, -10, 10}, {1, 1, -10, -10}}},
    {1, alongY, -kPlane, {{0, 1, -10, 10}, {1, 1, 10, 10}, {1, 0, 10, -10}, {0, 0, -10, -10}}},
    {3, alongX, kPlane, {{1, 1, -10, 10}, {1, 0, 10, 10}, {0, 0, 10, -10}, {0, 1, -10, -10}}},
    {2, alongX, -kPlane, {{1, 0, 10, -10}, {0, 0, 10, 10}, {0, 1, -10, 10}, {1, 1, -10, -10}}},
};

void bindFace(FWrender::texture* texture) {
  if (texture != nullptr) {
    texture->bind();
    return;
  }
  ext::glActiveTextureARB(GL_TEXTURE0_ARB);
  glBindTexture(GL_TEXTURE_2D, gfx::defaultTexture);
}

void vertexOf(const face& side, const float* corner) {
  switch (side.normal) {
    case alongX: glVertex3f(side.plane, corner[2], corner[3]); break;
    case alongY: glVertex3f(corner[2], side.plane, corner[3]); break;
    case alongZ: glVertex3f(corner[2], corner[3], side.plane); break;
  }
}

}  // namespace

void drawSkyboxCube(const skyboxCube& cube) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glPushAttrib(gfx::attribMask2D);
  gfx::resetState();
  gfx::enableTexturing();
  glDepthMask(GL_FALSE);

  // Only the camera's rotation counts: the cube travels with the eye.
  float view[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, view);
  view[12] = view[13] = view[14] = 0.0f;
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(view);
  glRotatef(90.0f, 1.0f, 0.0f, 0.0f);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);

  for (const face& side : kFaces) {
    bindFace(cube.faces[side.texture]);
    glBegin(GL_QUADS);
    for (const auto& corner : side.corners) {
      glTexCoord2f(corner[0], corner[1]);
      vertexOf(side, corner);
    }
    glEnd();
  }

  gfx::polygonCount += 36;
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  glDepthMask(GL_TRUE);
}

}  // namespace FWmodel
