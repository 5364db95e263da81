#pragma once

#include "engine/item.h"

#include <cstdint>

class trackGroup;

namespace FWrender {
struct LightState;
}

namespace NGcomp {

// The scene light "light0": every active frame it moves its GL light to the
// position its group gives and applies the light record. While inactive it
// switches its GL light off and leaves lighting on.
class light : public NGcommon::item {
 public:
  // Named "light0"; its GL light is the light counter (from 0) modulo the
  // number of GL lights.
  light();
  // Deletes the light record and the position group.
  ~light() override;

  // The activity group only; loads light0.bind (258 when missing).
  void load() override;
  // One or two group evaluations and the GL light calls; the position goes
  // through the current modelview matrix. No allocation.
  void draw() override;

  FWrender::LightState* renderLight = nullptr;
  trackGroup* posGroup = nullptr;  // "pos", xyz, kind 5; owned
};

// Restarts the light counter (tests).
void resetLightCounter();

}  // namespace NGcomp
