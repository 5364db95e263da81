#include "support/scene_frame.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/render_target.h"
#include "content/zip_archive.h"
#include "engine/components/camera.h"
#include "engine/components/light.h"
#include "engine/item.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track_group.h"
#include "engine/scenes/duck_scene.h"
#include "engine/scenes/frame_composition.h"
#include "engine/scenes/post_processing.h"
#include "engine/scenes/title_scenes.h"
#include "engine/scenes/tunnel_scene.h"
#include "engine/shell.h"
#include "engine/show_random.h"
#include "support/track_bytes.h"

namespace testing_support {

void sceneFrameTest::SetUp() {
  galleryTest::SetUp();
  if (HasFatalFailure()) return;
  usePackage(AMBER_PACK_PATH);
  resetShowRandom();
  NGcomp::resetLightCounter();
}

void sceneFrameTest::TearDown() {
  galleryTest::TearDown();
  if (scenes::sceneTarget) FWrender::release(scenes::sceneTarget);
  cam0 = cam1 = nullptr;
  light0 = nullptr;
  delete clearGroup;
  clearGroup = nullptr;
  NGcomp::resetLightCounter();
  gfx::resetState();
}

void sceneFrameTest::useShowPackWith(const std::vector<zipEntry>& replaced) {
  std::vector<zipEntry> entries;
  for (const content::archiveEntry& entry : content::readArchive(AMBER_PACK_PATH)) {
    if (entry.name.rfind("sfx/", 0) == 0) continue;
    bool swapped = false;
    for (const zipEntry& replacement : replaced) swapped |= replacement.name == entry.name;
    if (!swapped) entries.push_back({entry.name, entry.bytes, true});
  }
  for (const zipEntry& replacement : replaced) entries.push_back(replacement);
  usePack(entries);
}

void sceneFrameTest::buildScenes() {
  NGcommon::deleteAllItems();
  if (scenes::sceneTarget) FWrender::release(scenes::sceneTarget);
  resetShowRandom();
  NGcomp::resetLightCounter();
  tracker_create_device();  // tracks of an earlier pack are forgotten
  createShellItems();
  scenes::sceneTarget = FWrender::createRenderTarget(4);
  scenes::setupTunnelScene();
  scenes::setupTitleScenes();
  scenes::setupDuckScene();
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) NGcommon::itemAt(i)->load();
  bindShellGroups();
  scenes::bindTunnelScene();
  scenes::bindTitleScenes();
  scenes::bindDuckScene();
}

void sceneFrameTest::beginFrame(float row) {
  setRow(row);
  scenes::switchLightForTheScenes(scenes::beginShowFrame());
}

void sceneFrameTest::drawFrame(float row) {
  setRow(row);
  scenes::composeFrame(0.0f);
}

zipEntry constantTrackEntry(const std::string& track, float value) {
  return {"script/sync_" + track + ".track", constantTrack(value)};
}

}  // namespace testing_support
