#pragma once

#include "api/model/point_sprite.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace FWmodel {

// Any number of camera-facing squares sharing the point sprite's textures.
// The four arrays run in parallel, one entry per particle, so scenes can
// rewrite positions and colours in place every frame; a scene writes index
// i only when holds(i). Particles are drawn in index order with no depth
// test, no depth writes and no sorting: later ones blend over earlier ones.
class particles : public pointsprite {
 public:
  particles() = default;
  ~particles() override;

  // Appends a particle at the origin with the whole texture, half extent 1
  // and opaque white; returns its index. May reallocate the arrays: set-up
  // only.
  int32_t addParticle();
  // Whether `index` names a particle in positions, texRects and sizes.
  bool holds(int32_t index) const;

  // Every particle camera-facing in its own colour: one matrix load and one
  // quad per particle. Adds 2 polygons and 4 vertices per particle.
  void draw() override;
  // Every particle as a flat square in the current modelview (facing +z),
  // all in one primitive, opaque white-modulated whatever `colors` says.
  virtual void drawFlat();

  std::vector<std::array<float, 3>> positions;
  std::vector<std::array<float, 4>> texRects;  // s0, t0, s1, t1
  std::vector<float> sizes;                    // half extents
  std::vector<std::array<float, 4>> colors;    // r, g, b, a

 private:
  // The number of particles all three geometry arrays hold.
  std::size_t drawableCount() const;
};

}  // namespace FWmodel
