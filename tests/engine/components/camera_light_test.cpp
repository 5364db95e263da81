#include "engine/components/camera.h"
#include "engine/components/light.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/camera.h"
#include "api/render/light_state.h"
#include "engine/item.h"
#include "engine/rocket/track_group.h"
#include "engine/virtual_clock.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using testing_support::constantTrack;
using testing_support::trackFile;

using matrix16 = std::array<float, 16>;

matrix16 modelviewNow() {
  matrix16 m{};
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

// The modelview matrix gluLookAt makes from an identity.
matrix16 lookAt(const float* eye, const float* centre, const float* up) {
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  gluLookAt(eye[0], eye[1], eye[2], centre[0], centre[1], centre[2], up[0], up[1], up[2]);
  const matrix16 m = modelviewNow();
  glPopMatrix();
  return m;
}

void expectMatrixNear(const matrix16& actual, const matrix16& expected) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << "element " << i;
}

class CameraLight : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    rocketTest::SetUp();
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
    NGcomp::resetLightCounter();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
  }
  void TearDown() override {
    NGcommon::deleteAllItems();
    NGcomp::resetLightCounter();
    gfx::resetState();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    rocketTest::TearDown();
  }

  // The music at `row` on a virtual clock.
  void setRow(float row) {
    if (music == nullptr) music = makeSoundtrack(new virtualClock(44100.0f, 600.0f), 128.0);
    auto* clock = static_cast<virtualClock*>(music->stream);
    clock->play();
    const double seconds = (row - 1.0) * music->msPerRow / 1000.0;
    clock->setPosition(static_cast<uint32_t>(seconds * 44100.0 + 0.5));
  }

  // A camera as the show sets it up: the eye orbits the target.
  static NGcomp::camera* orbitCamera(const char* name) {
    auto* made = new NGcomp::camera(name);
    made->renderCamera->placement = FWrender::cameraPlacement::eyeAroundTarget;
    made->renderCamera->eyeSpherical = 1;
    return made;
  }

  static void bindAll(NGcomp::camera* target) {
    target->targetGroup = new trackGroup(target->name, "c", "xyz", 5);
    target->eyeGroup = new trackGroup(target->name, "e", "xyz", 5);
    target->rollGroup = new trackGroup(target->name, "rot", nullptr, 2);
  }
};

TEST_F(CameraLight, CameraIsAnOrbitCameraNumberedFromItsOwnCounter) {
  auto* first = new NGcomp::camera("cam0");
  auto* second = new NGcomp::camera("cam1");
  EXPECT_EQ(first->kind, 6);
  EXPECT_EQ(second->id, first->id + 1);
  EXPECT_EQ(second->renderCamera->ownerId, first->renderCamera->ownerId + 1);
  EXPECT_GE(first->renderCamera->ownerId, 1);
  EXPECT_EQ(first->renderCamera->up[0], 0.0f);
  EXPECT_EQ(first->renderCamera->up[1], 0.0f);
  EXPECT_EQ(first->renderCamera->up[2], 1.0f);
  EXPECT_EQ(first->eyeGroup, nullptr);
  EXPECT_EQ(first->targetGroup, nullptr);
  EXPECT_EQ(first->rollGroup, nullptr);
}

TEST_F(CameraLight, ActiveCameraFollowsItsEyeTargetAndRollTracks) {
  // Eye radius rises from 10 at row 1 to 20 at row 9; azimuth 90, elevation
  // 0; target (1, 2, 3); roll 0.
  usePack({{"script/sync_cam0.bind.track", constantTrack(1.0f)},
           {"script/sync_cam0.e.x.track", trackFile({{1, 10.0f, 1}, {9, 20.0f, 0}})},
           {"script/sync_cam0.e.y.track", constantTrack(90.0f)},
           {"script/sync_cam0.e.z.track", trackFile({})},
           {"script/sync_cam0.c.x.track", constantTrack(1.0f)},
           {"script/sync_cam0.c.y.track", constantTrack(2.0f)},
           {"script/sync_cam0.c.z.track", constantTrack(3.0f)},
           {"script/sync_cam0.rot.track", trackFile({})}});
  NGcomp::camera* cam = orbitCamera("cam0");
  cam->load();
  ASSERT_NE(cam->bindGroup, nullptr);
  bindAll(cam);

  setRow(1.0f);
  glLoadIdentity();
  glTranslatef(5, 5, 5);  // replaced, not multiplied
  cam->draw();
  EXPECT_NEAR(cam->renderCamera->eyeResolved[0], 1.0f, 1e-5f);
  EXPECT_NEAR(cam->renderCamera->eyeResolved[1], 12.0f, 1e-5f);
  EXPECT_NEAR(cam->renderCamera->eyeResolved[2], 3.0f, 1e-5f);
  const float target[3] = {1, 2, 3};
  const float up[3] = {0, 0, 1};
  expectMatrixNear(modelviewNow(), lookAt(cam->renderCamera->eyeResolved, target, up));

  setRow(5.0f);  // half way: radius 15
  cam->draw();
  EXPECT_NEAR(cam->eye[0], 15.0f, 1e-4f);
  EXPECT_NEAR(cam->renderCamera->eyeResolved[1], 17.0f, 1e-4f);
  GLint matrixMode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
  EXPECT_EQ(matrixMode, GL_MODELVIEW);
}

TEST_F(CameraLight, InactiveCameraLeavesTheModelviewMatrixAlone) {
  usePack({{"script/sync_cam1.bind.track", constantTrack(0.7f)},
           {"script/sync_cam1.c.x.track", constantTrack(4.0f)},
           {"script/sync_cam1.c.y.track", constantTrack(4.0f)},
           {"script/sync_cam1.c.z.track", constantTrack(4.0f)}});
  NGcomp::camera* cam = orbitCamera("cam1");
  cam->load();
  cam->targetGroup = new trackGroup("cam1", "c", "xyz", 5);
  setRow(3.0f);
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  const matrix16 before = modelviewNow();
  cam->draw();
  EXPECT_EQ(modelviewNow(), before);
  EXPECT_EQ(cam->target[0], 0.0f);  // not even read
  EXPECT_EQ(cam->renderCamera->eyeResolved[0], 0.0f);
}

TEST_F(CameraLight, CameraWithOnlyATargetPutsTheEyeOnTheTarget) {
  usePack({{"script/sync_cam0.bind.track", constantTrack(1.0f)},
           {"script/sync_cam0.c.x.track", constantTrack(7.0f)},
           {"script/sync_cam0.c.y.track", constantTrack(-2.0f)},
           {"script/sync_cam0.c.z.track", constantTrack(0.5f)}});
  NGcomp::camera* cam = orbitCamera("cam0");
  cam->load();
  cam->targetGroup = new trackGroup("cam0", "c", "xyz", 5);
  cam->draw();
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(cam->eye[c], 0.0f);
    EXPECT_EQ(cam->renderCamera->eyeResolved[c], cam->renderCamera->targetResolved[c]);
  }
  EXPECT_EQ(cam->renderCamera->targetResolved[0], 7.0f);
}

TEST_F(CameraLight, CameraWithoutGroupsStillUpdatesEveryActiveFrame) {
  NGcomp::camera* cam = orbitCamera("free");
  cam->bindable = false;
  cam->load();
  EXPECT_EQ(cam->bindGroup, nullptr);
  cam->eye[0] = 10.0f;  // kept between frames
  glLoadIdentity();
  glTranslatef(1, 2, 3);
  cam->draw();
  EXPECT_NEAR(cam->renderCamera->eyeResolved[0], 10.0f, 1e-5f);
  // Looking from +x at the origin: the origin lies 10 units ahead.
  const matrix16 m = modelviewNow();
  EXPECT_NEAR(m[14], -10.0f, 1e-5f);
}

TEST_F(CameraLight, RollIsHandedOverEveryFrameAndFlippedOnlyInTheRenderCamera) {
  usePack({{"script/sync_cam0.bind.track", constantTrack(1.0f)},
           {"script/sync_cam0.e.x.track", constantTrack(10.0f)},
           {"script/sync_cam0.e.y.track", constantTrack(0.0f)},
           {"script/sync_cam0.e.z.track", constantTrack(120.0f)},
           {"script/sync_cam0.c.x.track", trackFile({})},
           {"script/sync_cam0.c.y.track", trackFile({})},
           {"script/sync_cam0.c.z.track", trackFile({})},
           {"script/sync_cam0.rot.track", constantTrack(30.0f)}});
  NGcomp::camera* cam = orbitCamera("cam0");
  cam->load();
  bindAll(cam);
  for (int frame = 0; frame < 2; ++frame) {
    cam->draw();
    EXPECT_EQ(cam->roll, 30.0f);
    EXPECT_EQ(cam->renderCamera->rotation[0], 210.0f);
    EXPECT_EQ(cam->renderCamera->rotation[1], 0.0f);
  }
}

TEST_F(CameraLight, LightsTakeTheirGlLightFromTheirOwnCounter) {
  auto* first = new NGcomp::light();
  auto* second = new NGcomp::light();
  EXPECT_STREQ(first->name, "light0");
  EXPECT_STREQ(second->name, "light0");
  EXPECT_EQ(first->kind, 7);
  EXPECT_EQ(first->renderLight->index, 0);
  EXPECT_EQ(second->renderLight->index, 1);
  EXPECT_EQ(first->posGroup, nullptr);
  // The record starts with the light defaults.
  EXPECT_EQ(first->renderLight->kind, 0);
  EXPECT_EQ(first->renderLight->diffuse[0], 1.0f);
  EXPECT_EQ(first->renderLight->specular[0], 0.0f);
  // The number wraps at the GL light count.
  for (int n = 2; n < gfx::maxLights; ++n) new NGcomp::light();
  auto* wrapped = new NGcomp::light();
  EXPECT_EQ(wrapped->renderLight->index, 0);
}

TEST_F(CameraLight, InactiveLightSwitchesItsLightOffAndLightingOn) {
  usePack({{"script/sync_light0.bind.track", constantTrack(0.5f)}});
  auto* lamp = new NGcomp::light();
  lamp->load();
  glEnable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  lamp->draw();
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  lamp->draw();  // and stays so
  EXPECT_FALSE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(CameraLight, ActiveLightMovesToItsTrackedPositionAsAPositionalLight) {
  usePack({{"script/sync_light0.bind.track", constantTrack(1.0f)},
           {"script/sync_light0.pos.x.track", constantTrack(1.0f)},
           {"script/sync_light0.pos.y.track", trackFile({{1, 0.0f, 1}, {5, 8.0f, 0}})},
           {"script/sync_light0.pos.z.track", constantTrack(-3.0f)}});
  auto* lamp = new NGcomp::light();
  lamp->load();
  lamp->posGroup = new trackGroup("light0", "pos", "xyz", 5);
  lamp->renderLight->kind = 1;
  setRow(3.0f);
  glDisable(GL_LIGHT0);
  glDisable(GL_LIGHTING);
  glLoadIdentity();
  lamp->draw();
  EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
  EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
  EXPECT_EQ(lamp->renderLight->kind, 0);
  float position[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);
  EXPECT_FLOAT_EQ(position[0], 1.0f);
  EXPECT_NEAR(position[1], 4.0f, 1e-3f);  // row 3 lies half way
  EXPECT_FLOAT_EQ(position[2], -3.0f);
  EXPECT_FLOAT_EQ(position[3], 1.0f);

  // The position goes through the modelview matrix of the moment.
  glTranslatef(10, 0, 0);
  lamp->draw();
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);
  EXPECT_FLOAT_EQ(position[0], 11.0f);
}

TEST_F(CameraLight, ActiveLightWithoutAPositionGroupAppliesItsRecordUnchanged) {
  auto* lamp = new NGcomp::light();
  lamp->bindable = false;
  lamp->load();
  lamp->renderLight->kind = 1;
  lamp->renderLight->direction[2] = 1.0f;
  lamp->renderLight->diffuse[1] = 0.25f;
  lamp->draw();
  EXPECT_EQ(lamp->renderLight->kind, 1);
  float position[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);
  EXPECT_EQ(position[2], 1.0f);
  EXPECT_EQ(position[3], 0.0f);
  float diffuse[4];
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  EXPECT_EQ(diffuse[1], 0.25f);
}

TEST_F(CameraLight, MissingBindTracksStopTheLoad) {
  usePack({{"readme.txt", "nothing else"}});
  auto* cam = new NGcomp::camera("cam0");
  auto* lamp = new NGcomp::light();
  EXPECT_EQ(testing_support::thrownCode([&] { cam->load(); }), 258);
  EXPECT_EQ(testing_support::thrownCode([&] { lamp->load(); }), 258);
}

}  // namespace
