#include "api/render/camera.h"

#include "api/gl/gl.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class Camera : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing_support::headlessGl()); }
  void TearDown() override {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }

  // Where the view matrix takes a world point.
  static std::array<float, 3> toView(const FWrender::camera& cam, float x, float y, float z) {
    const float* m = cam.viewMatrix.m;
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
  }
};

TEST_F(Camera, DefaultsAreAllZeroWithYUp) {
  FWrender::camera cam;
  EXPECT_EQ(cam.up[1], 1.0f);
  EXPECT_EQ(cam.fovDegrees, 60.0f);
  EXPECT_EQ(cam.placement, FWrender::cameraPlacement::absolute);
  cam.update();
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(cam.viewDir[c], 0.0f);
    EXPECT_EQ(cam.rollAxis[c], 0.0f);
    EXPECT_EQ(cam.eyeResolved[c], 0.0f);
    EXPECT_FALSE(std::isnan(cam.viewDir[c]));
  }
  EXPECT_EQ(cam.upStored[1], 1.0f);
}

TEST_F(Camera, SphericalEyeOrbitsTheTarget) {
  FWrender::camera cam;
  cam.up[0] = 0;
  cam.up[1] = 0;
  cam.up[2] = 1;
  cam.eyeSpherical = 1;
  cam.placement = FWrender::cameraPlacement::eyeAroundTarget;
  cam.eye[0] = 10;
  cam.update();
  EXPECT_FLOAT_EQ(cam.eyeResolved[0], 10.0f);
  EXPECT_NEAR(cam.eyeResolved[1], 0.0f, 1e-6);
  EXPECT_FLOAT_EQ(cam.viewDir[0], 1.0f);
  // The origin lies straight ahead, 10 units in front of the eye.
  const auto origin = toView(cam, 0, 0, 0);
  EXPECT_NEAR(origin[0], 0.0f, 1e-5);
  EXPECT_NEAR(origin[1], 0.0f, 1e-5);
  EXPECT_NEAR(origin[2], -10.0f, 1e-5);
  // Z is up on screen.
  const auto above = toView(cam, 0, 0, 1);
  EXPECT_NEAR(above[1], 1.0f, 1e-5);

  // Azimuth 90 and elevation 30 around a target at (1, 2, 3).
  cam.eye[0] = 2;
  cam.eye[1] = 90;
  cam.eye[2] = 30;
  cam.target[0] = 1;
  cam.target[1] = 2;
  cam.target[2] = 3;
  cam.update();
  EXPECT_NEAR(cam.eyeResolved[0], 1.0f, 1e-5);
  EXPECT_NEAR(cam.eyeResolved[1], 2.0f + 2.0f * std::cos(FWmath::radians(30)), 1e-5);
  EXPECT_NEAR(cam.eyeResolved[2], 4.0f, 1e-5);
}

TEST_F(Camera, RollFlipsFromElevationNinetyUpToButExcludingTwoSeventy) {
  const float cases[][2] = {{90.0f, 180.0f}, {180.0f, 180.0f}, {269.9f, 180.0f},
                            {270.0f, 0.0f},  {-90.0f, 0.0f},   {89.9f, 0.0f}};
  for (const auto& entry : cases) {
    FWrender::camera cam;
    cam.eyeSpherical = 1;
    cam.eye[0] = 5;
    cam.eye[2] = entry[0];
    cam.update();
    EXPECT_EQ(cam.rotation[0], entry[1]) << "elevation " << entry[0];
  }
  FWrender::camera twice;
  twice.eyeSpherical = 1;
  twice.eye[0] = 5;
  twice.eye[2] = 120;
  twice.rotation[0] = 10;
  twice.update();
  twice.update();
  EXPECT_EQ(twice.rotation[0], 370.0f);
}

TEST_F(Camera, TargetRelativeToTheEye) {
  FWrender::camera cam;
  cam.placement = FWrender::cameraPlacement::targetFromEye;
  cam.eye[2] = 5;
  cam.target[2] = -1;
  cam.update();
  EXPECT_EQ(cam.eyeResolved[2], 5.0f);
  EXPECT_EQ(cam.targetResolved[2], 4.0f);
  EXPECT_EQ(cam.viewDir[2], 1.0f);
}

TEST_F(Camera, OffsetsMoveEyeAndTargetWhenSwitchedOn) {
  FWrender::camera cam;
  cam.eye[2] = 5;
  cam.eyeOffset[0] = 1;
  cam.targetOffset[1] = 2;
  cam.update();
  EXPECT_EQ(cam.eyeResolved[0], 0.0f);
  cam.eyeOffsetOn = true;
  cam.targetOffsetOn = true;
  cam.update();
  EXPECT_EQ(cam.eyeResolved[0], 1.0f);
  EXPECT_EQ(cam.targetResolved[1], 2.0f);
}

TEST_F(Camera, RollTurnsTheUpVectorAboutTheViewDirection) {
  FWrender::camera cam;
  cam.up[0] = 0;
  cam.up[1] = 0;
  cam.up[2] = 1;
  cam.eye[1] = 5;  // looking along -Y
  cam.rotation[0] = 90;
  cam.update();
  // The rolled up vector lies along X: world X now points up on screen.
  const float* r = cam.rollMatrix.m;
  const float rolledUp[3] = {r[8], r[9], r[10]};
  EXPECT_NEAR(std::fabs(rolledUp[0]), 1.0f, 1e-6);
  EXPECT_NEAR(rolledUp[1], 0.0f, 1e-6);
  EXPECT_NEAR(rolledUp[2], 0.0f, 1e-6);
  const auto sideways = toView(cam, rolledUp[0], 0, 0);
  EXPECT_NEAR(sideways[1], 1.0f, 1e-5);
  for (int c = 0; c < 3; ++c) EXPECT_EQ(cam.upStored[c], cam.up[c]);  // unrolled copy
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
}

}  // namespace
