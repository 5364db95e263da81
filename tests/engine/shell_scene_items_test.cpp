// The shell's own scene items: the two cameras and the light it creates
// before the content, and the groups it binds to them after loading.
#include "engine/shell.h"

#include "api/gl/display.h"
#include "api/gl/state.h"
#include "api/render/camera.h"
#include "api/render/light_state.h"
#include "engine/components/camera.h"
#include "engine/components/light.h"
#include "engine/item.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track_group.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <string>
#include <vector>

namespace {

using testing_support::constantTrack;
using testing_support::trackFile;

class nullPresenter : public presenter {
 public:
  void swap() override {}
  bool pumpMessages() override { return false; }
};

std::vector<std::string> trackNames(const trackGroup* group) {
  std::vector<std::string> names;
  for (int32_t t = 0; t < group->count(); ++t) names.emplace_back(group->track(t)->name);
  return names;
}

class ShellSceneItems : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    rocketTest::SetUp();
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
    NGcommon::deleteAllItems();
    NGcomp::resetLightCounter();
    activePresenter = &presenter_;
  }
  void TearDown() override {
    activePresenter = windowPresenter();
    NGcommon::deleteAllItems();
    cam0 = cam1 = nullptr;
    light0 = nullptr;
    delete clearGroup;
    clearGroup = nullptr;
    defaultItemCount = 0;
    NGcomp::resetLightCounter();
    gfx::resetState();
    rocketTest::TearDown();
  }

  // Every track the shell binds, empty unless `given` has it.
  void usePackWith(std::vector<testing_support::zipEntry> given) {
    for (const char* track :
         {"cam0.bind", "cam1.bind", "light0.bind", "cam0.c.x", "cam0.c.y", "cam0.c.z", "cam0.e.x",
          "cam0.e.y", "cam0.e.z", "cam0.rot", "cam1.c.x", "cam1.c.y", "cam1.c.z", "cam1.e.x",
          "cam1.e.y", "cam1.e.z", "cam1.rot", "clear.c.r", "clear.c.g", "clear.c.b",
          "light0.pos.x", "light0.pos.y", "light0.pos.z"}) {
      const std::string name = std::string("script/sync_") + track + ".track";
      bool present = false;
      for (const auto& entry : given) present |= entry.name == name;
      if (!present) given.push_back({name, trackFile({})});
    }
    usePack(given);
  }

  nullPresenter presenter_;
};

TEST_F(ShellSceneItems, CamerasAndLightAreTheFirstItemsAndOrbitTheirTargets) {
  createShellItems();
  ASSERT_EQ(NGcommon::itemCount(), 3);
  EXPECT_EQ(NGcommon::itemAt(0), cam0);
  EXPECT_EQ(NGcommon::itemAt(1), cam1);
  EXPECT_EQ(NGcommon::itemAt(2), light0);
  EXPECT_STREQ(cam0->name, "cam0");
  EXPECT_STREQ(cam1->name, "cam1");
  EXPECT_STREQ(light0->name, "light0");
  EXPECT_EQ(light0->renderLight->index, 0);
  for (NGcomp::camera* cam : {cam0, cam1}) {
    EXPECT_EQ(cam->renderCamera->placement, FWrender::cameraPlacement::eyeAroundTarget);
    EXPECT_EQ(cam->renderCamera->eyeSpherical, 1);
    EXPECT_EQ(cam->renderCamera->targetSpherical, 0);
  }
}

TEST_F(ShellSceneItems, BindingMakesTheGroupsInOrderWithTheLightColours) {
  usePackWith({});
  createShellItems();
  loadAll();
  ASSERT_NE(cam0->bindGroup, nullptr);
  ASSERT_NE(light0->bindGroup, nullptr);
  const int32_t loaded = trackerDevice->track_count;  // the three bind tracks
  EXPECT_EQ(loaded, 3);
  bindShellGroups();

  EXPECT_EQ(trackNames(cam0->targetGroup),
            (std::vector<std::string>{"cam0.c.x", "cam0.c.y", "cam0.c.z"}));
  EXPECT_EQ(trackNames(cam0->eyeGroup),
            (std::vector<std::string>{"cam0.e.x", "cam0.e.y", "cam0.e.z"}));
  EXPECT_EQ(trackNames(cam0->rollGroup), (std::vector<std::string>{"cam0.rot"}));
  EXPECT_EQ(trackNames(cam1->rollGroup), (std::vector<std::string>{"cam1.rot"}));
  EXPECT_EQ(trackNames(light0->posGroup),
            (std::vector<std::string>{"light0.pos.x", "light0.pos.y", "light0.pos.z"}));
  // Tracks are made in binding order: cam0, cam1, clear, light0.
  std::vector<std::string> order;
  for (int32_t t = loaded; t < trackerDevice->track_count; ++t) {
    order.emplace_back(trackerDevice->tracks[t]->name);
  }
  EXPECT_EQ(order, (std::vector<std::string>{
                       "cam0.c.x", "cam0.c.y", "cam0.c.z", "cam0.e.x", "cam0.e.y", "cam0.e.z",
                       "cam0.rot", "cam1.c.x", "cam1.c.y", "cam1.c.z", "cam1.e.x", "cam1.e.y",
                       "cam1.e.z", "cam1.rot", "clear.c.r", "clear.c.g", "clear.c.b",
                       "light0.pos.x", "light0.pos.y", "light0.pos.z"}));

  const FWrender::LightState& record = *light0->renderLight;
  EXPECT_EQ(record.diffuse[0], 0.5f);
  EXPECT_EQ(record.diffuse[3], 1.0f);
  EXPECT_EQ(record.ambient[2], 0.1f);
  EXPECT_EQ(record.ambient[3], 1.0f);
  EXPECT_EQ(record.specular[1], 1.0f);
}

TEST_F(ShellSceneItems, AFrameOfTheDefaultRoutinePlacesTheViewAndTheLight) {
  usePackWith({{"script/sync_cam0.bind.track", constantTrack(1.0f)},
               {"script/sync_cam0.e.x.track", constantTrack(50.0f)},
               {"script/sync_light0.bind.track", constantTrack(1.0f)},
               {"script/sync_light0.pos.y.track", constantTrack(2.0f)}});
  createShellItems();
  loadAll();
  bindShellGroups();
  defaultItemCount = NGcommon::itemCount();
  drawAllItems(0.0f);  // cam1 is inactive and leaves cam0's view in place
  EXPECT_NEAR(cam0->renderCamera->eyeResolved[0], 50.0f, 1e-4f);
  float m[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, m);
  EXPECT_NEAR(m[14], -50.0f, 1e-4f);  // the origin lies 50 units ahead
  // The light went through that view: (0, 2, 0) in the world.
  float position[4];
  glGetLightfv(GL_LIGHT0, GL_POSITION, position);
  float expected[3];
  for (int r = 0; r < 3; ++r) expected[r] = m[4 + r] * 2.0f + m[12 + r];
  for (int r = 0; r < 3; ++r) EXPECT_NEAR(position[r], expected[r], 1e-4f);
  EXPECT_EQ(position[3], 1.0f);
  float diffuse[4];
  glGetLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
  EXPECT_EQ(diffuse[0], 0.5f);
}

}  // namespace
