#include "engine/components/camera.h"

#include "api/render/camera.h"
#include "engine/rocket/track_group.h"

namespace NGcomp {

namespace {

int32_t camerasMade = 0;

}  // namespace

camera::camera(const char* name) : NGcommon::item(name) {
  kind = 6;
  renderCamera = new FWrender::camera();
  renderCamera->ownerId = ++camerasMade;
  renderCamera->up[0] = 0.0f;
  renderCamera->up[1] = 0.0f;
  renderCamera->up[2] = 1.0f;
}

camera::~camera() {
  delete renderCamera;
  delete eyeGroup;
  delete targetGroup;
  delete rollGroup;
}

void camera::load() { loadBindGroup(); }

void camera::draw() {
  if (!isActive()) return;
  if (eyeGroup != nullptr) eyeGroup->vectorNow(eye);
  if (targetGroup != nullptr) targetGroup->vectorNow(target);
  if (rollGroup != nullptr) roll = rollGroup->valueNow();
  for (int c = 0; c < 3; ++c) {
    renderCamera->eye[c] = eye[c];
    renderCamera->target[c] = target[c];
  }
  // Written before every update: the render camera adds 180 degrees to the
  // stored roll while the orbit is past the pole.
  renderCamera->rotation[0] = roll;
  renderCamera->rotation[1] = 0.0f;
  renderCamera->rotation[2] = 0.0f;
  renderCamera->update();
}

}  // namespace NGcomp
