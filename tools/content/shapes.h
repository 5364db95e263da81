#pragma once

#include <algorithm>
#include <cmath>

// Signed distances (negative inside) of simple shapes, for drawing with
// anti-aliased edges: coverage comes from the distance at each pixel centre.
namespace content::shapes {

struct at {
  float x, y;
};

inline at rotated(at p, at centre, float degrees) {
  const float a = degrees * 3.14159265f / 180.0f;
  const float dx = p.x - centre.x, dy = p.y - centre.y;
  return at{centre.x + dx * std::cos(a) + dy * std::sin(a), centre.y - dx * std::sin(a) + dy * std::cos(a)};
}

inline float circle(at p, at centre, float radius) {
  return std::hypot(p.x - centre.x, p.y - centre.y) - radius;
}

// Close to the true distance near the edge, which is all coverage needs.
inline float ellipse(at p, at centre, float rx, float ry) {
  const float x = p.x - centre.x, y = p.y - centre.y;
  const float k0 = std::hypot(x / rx, y / ry);
  const float k1 = std::hypot(x / (rx * rx), y / (ry * ry));
  if (k1 == 0.0f) return -std::min(rx, ry);
  return k0 * (k0 - 1.0f) / k1;
}

inline float roundedBox(at p, at centre, float halfWidth, float halfHeight, float radius) {
  const float qx = std::fabs(p.x - centre.x) - halfWidth + radius;
  const float qy = std::fabs(p.y - centre.y) - halfHeight + radius;
  return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - radius;
}

// A band of the given half width around the zero line of `distance`.
inline float stroke(float distance, float halfWidth) { return std::fabs(distance) - halfWidth; }

// Union with a rounded join of width k.
inline float smoothUnion(float a, float b, float k) {
  const float h = std::max(k - std::fabs(a - b), 0.0f) / k;
  return std::min(a, b) - h * h * k * 0.25f;
}

inline float smoothstep(float edge0, float edge1, float x) {
  const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
  return t * t * (3.0f - 2.0f * t);
}

}  // namespace content::shapes
