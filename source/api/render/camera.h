#pragma once

#include "api/math/matrix.h"

#include <cstdint>

namespace FWrender {

// How the eye and the target relate (codes as the show's tables use them).
enum class cameraPlacement : int32_t {
  absolute = 0,         // both are positions
  targetFromEye = 1,    // the target is an offset from the eye
  eyeAroundTarget = 2,  // the eye is an offset from the target
};

// Turns placement values (eye, target, up, roll) into the modelview matrix
// of a frame. Eye and target may be given in spherical coordinates
// (radius, azimuth, elevation in degrees, Z up); the owner writes the inputs
// before every update.
class camera {
 public:
  camera() = default;
  virtual ~camera() = default;

  // Replaces the GL modelview matrix with the view (leaves GL_MODELVIEW
  // selected) and refreshes the resolved fields and viewMatrix. While the
  // spherical eye's elevation is in [90, 270) it adds 180 to the stored roll,
  // so owners rewrite the roll before each call. Needs a current context.
  void update();

  int32_t ownerId = 0;
  float viewDir[3] = {0, 0, 0};
  float rollAxis[3] = {0, 0, 0};
  float rotation[3] = {0, 0, 0};  // [0]: roll in degrees
  float eye[3] = {0, 0, 0};
  float eyeResolved[3] = {0, 0, 0};
  float target[3] = {0, 0, 0};
  float targetResolved[3] = {0, 0, 0};
  float up[3] = {0, 1, 0};
  float upStored[3] = {0, 0, 0};
  float fovDegrees = 60.0f;  // stored only; the projection uses gfx::fieldOfView
  FWmath::matrix rollMatrix;
  FWmath::matrix viewMatrix;
  FWmath::matrix spareMatrix;
  cameraPlacement placement = cameraPlacement::absolute;
  // Whether the target (eye) offset is spherical (radius, azimuth,
  // elevation) rather than Cartesian: 1 or 0.
  int32_t targetSpherical = 0;
  int32_t eyeSpherical = 0;
  float eyeOffset[3] = {0, 0, 0};
  float targetOffset[3] = {0, 0, 0};
  bool eyeOffsetOn = false;
  bool targetOffsetOn = false;
};

// (radius, azimuth, elevation) in degrees to a Z-up position. Pure.
void sphericalToCartesian(const float* spherical, float* out);

// The camera's eye and target for its current inputs, as update() resolves
// them (including the stored roll flip). Pure: no GL calls.
void resolvePlacement(camera& cam, float* eyeOut, float* targetOut);

}  // namespace FWrender
