#pragma once

#include "api/math/matrix.h"

#include <cstdint>
#include <vector>

namespace FWrender {
class texture;
}

namespace FWmodel {

// One camera-facing textured square at a world position, drawn in
// immediate mode with up to one texture per texture unit. It neither tests
// nor writes depth, so it shows over everything drawn before it, and it
// restores the GL state it changes.
class pointsprite {
 public:
  // One empty texture slot per texture unit (needs the GL layer set up, or
  // there is a single slot).
  pointsprite();
  // Frees the slots, never the textures.
  virtual ~pointsprite();
  pointsprite(const pointsprite&) = delete;
  pointsprite& operator=(const pointsprite&) = delete;

  // Stores `texture` (not owned) for `unit`; a unit outside the slots is
  // ignored. Returns `unit`.
  virtual int32_t setTexture(int32_t unit, FWrender::texture* texture);
  virtual void setTexture(FWrender::texture* texture);
  // The unit's texture, or null for a unit outside the slots.
  virtual FWrender::texture* getTexture(int32_t unit);
  virtual FWrender::texture* getTexture();
  // Draws the square facing the camera at `position` in the current
  // modelview. One matrix read and load; allocation-free.
  virtual void draw();

  float position[3] = {0.0f, 0.0f, 0.0f};
  float halfWidth = 1.0f;
  float halfHeight = 1.0f;
  float s0 = 0.0f, t0 = 0.0f, s1 = 1.0f, t1 = 1.0f;
  FWmath::matrix billboard;
  FWmath::matrix modelView;  // captured at the start of every draw
  std::vector<FWrender::texture*> textures;

 protected:
  // Captures the modelview, pushes the attributes and the modelview, sets
  // up alpha blending without depth writes and binds every unit's texture.
  // Must be closed with endBillboard.
  void beginBillboard();
  void endBillboard();
  // modelView x (point, 1): the point in view space.
  void toViewSpace(const float* point, float* out) const;
  // Puts `viewPoint` into the billboard's translation and loads it as the
  // modelview, so the square drawn next faces the camera there.
  void loadBillboardAt(const float* viewPoint);
};

}  // namespace FWmodel
