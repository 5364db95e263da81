#include "engine/components/skybox.h"

#include "api/render/texture.h"

namespace NGcomp {

namespace {
constexpr int32_t kSkyboxKind = 8;
constexpr const char* kFaceNames[6] = {"starfield.jpg", "starfield.jpg", "starfield.jpg",
                                       "starfield.jpg", "starfield.jpg", "starfield.jpg"};
}  // namespace

skybox::skybox() : NGcommon::item(itemName) {
  kind = kSkyboxKind;
  for (size_t face = 0; face < faceNames.size(); ++face) faceNames[face] = kFaceNames[face];
}

skybox::~skybox() = default;

void skybox::load() {
  for (size_t face = 0; face < faceTextures.size(); ++face) {
    faceTextures[face] = std::make_unique<FWrender::texture>();
    faceTextures[face]->name = faceNames[face];
    faceTextures[face]->load();
  }
  for (size_t face = 0; face < faceTextures.size(); ++face) cube.faces[face] = faceTextures[face].get();
  loadBindGroup();
}

void skybox::draw() {
  if (isActive()) FWmodel::drawSkyboxCube(cube);
}

}  // namespace NGcomp
