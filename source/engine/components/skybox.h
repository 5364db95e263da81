#pragma once

#include "api/model/skybox_cube.h"
#include "engine/item.h"

#include <array>
#include <memory>
#include <string>

namespace FWrender {
class texture;
}

namespace NGcomp {

// The star field around the camera: six face textures on the skybox cube,
// switched by the track tentacleSkybox_ejel12_45van.bind.
class skybox : public NGcommon::item {
 public:
  static constexpr const char* itemName = "tentacleSkybox_ejel12_45van";

  skybox();
  ~skybox() override;

  // Loads the six faces (equal names share one GL texture through the
  // texture cache), then the activity track. Throws what texture loading
  // and the track throw.
  void load() override;
  // Draws the cube when active; it ignores depth, so it goes first in a
  // frame. Allocation-free.
  void draw() override;

  std::array<std::string, 6> faceNames;
  std::array<std::unique_ptr<FWrender::texture>, 6> faceTextures;
  FWmodel::skyboxCube cube;
};

}  // namespace NGcomp
