#pragma once

#include "engine/item.h"

class trackGroup;

namespace FWrender {
class camera;
}

namespace NGcomp {

// A scene camera: every active frame it reads its eye, target and roll
// groups at the current row and loads the view into the modelview matrix
// through its render camera. Renders nothing itself.
class camera : public NGcommon::item {
 public:
  // Makes the render camera (numbered by a camera counter from 1, up +Z).
  explicit camera(const char* name);
  // Deletes the render camera and the eye, target and roll groups.
  ~camera() override;

  // The activity group only; loads name.bind (258 when missing).
  void load() override;
  // When active: up to three group evaluations, then the render camera's
  // update (replaces the modelview matrix). Inactive: touches nothing.
  // No allocation.
  void draw() override;

  FWrender::camera* renderCamera = nullptr;
  float eye[3] = {0.0f, 0.0f, 0.0f};
  float target[3] = {0.0f, 0.0f, 0.0f};
  float roll = 0.0f;
  trackGroup* eyeGroup = nullptr;     // "e", xyz, kind 5; owned
  trackGroup* targetGroup = nullptr;  // "c", xyz, kind 5; owned
  trackGroup* rollGroup = nullptr;    // "rot", kind 2; owned
};

}  // namespace NGcomp
