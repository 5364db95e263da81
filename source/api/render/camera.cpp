#include "api/render/camera.h"

#include "api/gl/gl.h"

#include <cmath>

namespace FWrender {

void sphericalToCartesian(const float* spherical, float* out) {
  const float radius = spherical[0];
  const float azimuth = FWmath::radians(spherical[1]);
  const float elevation = FWmath::radians(spherical[2]);
  const float cosAzimuth = std::cos(azimuth);
  const float sinAzimuth = std::sin(azimuth);
  const float cosElevation = std::cos(elevation);
  const float sinElevation = std::sin(elevation);
  out[0] = radius * cosAzimuth * cosElevation;
  out[1] = radius * sinAzimuth * cosElevation;
  out[2] = radius * sinElevation;
}

void resolvePlacement(camera& cam, float* eyeOut, float* targetOut) {
  if (cam.targetSpherical == 1) {
    sphericalToCartesian(cam.target, targetOut);
  } else {
    for (int c = 0; c < 3; ++c) targetOut[c] = cam.target[c];
  }

  if (cam.eyeSpherical == 1) {
    sphericalToCartesian(cam.eye, eyeOut);
    // Past the pole the view would turn upside down; the roll turns it back.
    const float elevation = cam.eye[2];
    if (elevation >= 90.0f && elevation < 270.0f) cam.rotation[0] += 180.0f;
  } else {
    for (int c = 0; c < 3; ++c) eyeOut[c] = cam.eye[c];
  }

  if (cam.placement == cameraPlacement::targetFromEye) {
    for (int c = 0; c < 3; ++c) targetOut[c] += eyeOut[c];
  } else if (cam.placement == cameraPlacement::eyeAroundTarget) {
    for (int c = 0; c < 3; ++c) eyeOut[c] += targetOut[c];
  }

  if (cam.targetOffsetOn) {
    for (int c = 0; c < 3; ++c) targetOut[c] += cam.targetOffset[c];
  }
  if (cam.eyeOffsetOn) {
    for (int c = 0; c < 3; ++c) eyeOut[c] += cam.eyeOffset[c];
  }
}

void camera::update() {
  float eyePosition[3];
  float targetPosition[3];
  resolvePlacement(*this, eyePosition, targetPosition);

  for (int c = 0; c < 3; ++c) {
    viewDir[c] = eyePosition[c] - targetPosition[c];
    rollAxis[c] = viewDir[c];
  }
  FWmath::normalize(viewDir);
  FWmath::normalize(rollAxis);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  rollMatrix.identity();
  rollMatrix.rotate(rotation[0], rollAxis[0], rollAxis[1], rollAxis[2]);
  const float* r = rollMatrix.m;
  const float rolledUp[3] = {r[0] * up[0] + r[4] * up[1] + r[8] * up[2],
                             r[1] * up[0] + r[5] * up[1] + r[9] * up[2],
                             r[2] * up[0] + r[6] * up[1] + r[10] * up[2]};

  for (int c = 0; c < 3; ++c) {
    eyeResolved[c] = eyePosition[c];
    targetResolved[c] = targetPosition[c];
    upStored[c] = up[c];
  }

  gluLookAt(eyePosition[0], eyePosition[1], eyePosition[2], targetPosition[0], targetPosition[1],
            targetPosition[2], rolledUp[0], rolledUp[1], rolledUp[2]);
  glGetFloatv(GL_MODELVIEW_MATRIX, viewMatrix.m);
}

}  // namespace FWrender
