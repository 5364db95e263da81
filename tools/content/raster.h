#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Float rasters for the image generators: colour planes in 0..1, drawn with
// coverage values so that every edge is anti-aliased.
namespace content {

struct colour {
  float r = 0, g = 0, b = 0;
};

colour mix(const colour& a, const colour& b, float t);
colour fromBytes(int r, int g, int b);

// A single-channel plane: coverage masks, alpha maps, grey images.
struct plane {
  plane() = default;
  plane(int w, int h, float fill = 0.0f) : width(w), height(h), values(static_cast<size_t>(w) * h, fill) {}

  float& at(int x, int y) { return values[static_cast<size_t>(y) * width + x]; }
  float at(int x, int y) const { return values[static_cast<size_t>(y) * width + x]; }
  // 0 outside the plane.
  float sample(int x, int y) const;

  int width = 0;
  int height = 0;
  std::vector<float> values;
};

// An RGB picture.
struct picture {
  picture(int w, int h, const colour& fill = {});

  colour at(int x, int y) const;
  void set(int x, int y, const colour& c);
  // Blends `c` over the pixel by `coverage` (0 keeps it, 1 replaces it).
  void blend(int x, int y, const colour& c, float coverage);

  int width;
  int height;
  std::vector<float> rgb;
};

// Coverage of a pixel by a shape whose signed distance (negative inside) at
// the pixel centre is `distance` pixels: a one-pixel-wide linear edge.
float edgeCoverage(float distance);

// Blurs a plane with three box passes (close to a Gaussian of the given
// radius in pixels). Cost: linear in the pixel count, not in the radius.
plane blurred(const plane& source, int radius);

// Shifts a plane by whole pixels; uncovered pixels become 0.
plane shifted(const plane& source, int dx, int dy);

// 8-bit samples, rounded: 3 bytes per pixel for a picture, 1 for a plane.
std::vector<uint8_t> toBytes(const picture& image);
std::vector<uint8_t> toBytes(const plane& grey);

// A small deterministic generator (the same sequence on every machine), so
// generated images are reproducible.
class randomSequence {
 public:
  explicit randomSequence(uint32_t seed) : state_(seed) {}
  // Uniform in [0, 1).
  float next();
  // Uniform in [low, high).
  float between(float low, float high) { return low + (high - low) * next(); }

 private:
  uint32_t state_;
};

// Smooth value noise in [0, 1] that repeats every `period` lattice cells, so
// an image made of it tiles. `seed` picks the lattice values.
float tileableNoise(float x, float y, int period, uint32_t seed);

}  // namespace content
