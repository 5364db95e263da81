#include "engine/components/tunnel.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/render/vertex_arrays.h"

#include <cmath>

namespace NGcomp {

namespace {

constexpr float fullTurn = 6.283185307179586f;

// Writes the unit vector towards the axis from a ring offset (0, y, z); a
// zero offset keeps its zero components.
void inwardNormal(float y, float z, float* out) {
  float length = std::sqrt(y * y + z * z);
  if (length == 0.0f) length = 1.0f;
  out[0] = 0.0f;
  out[1] = -y / length;
  out[2] = -z / length;
}

}  // namespace

int32_t tunnelVertexTotal(float segments, float halfLength, float step) {
  const double pairs = static_cast<double>(segments * halfLength) * (2.0 / step);
  return pairs > 0.0 ? 2 * static_cast<int32_t>(pairs) : 0;
}

tunnel::tunnel(const char* name, float segmentCount, float half, float tubeRadius, float ringStep)
    : NGcommon::item(name),
      segments(segmentCount),
      halfLength(half),
      step(ringStep),
      radius(tubeRadius),
      vertexTotal(tunnelVertexTotal(segmentCount, half, ringStep)) {
  kind = 0;
  const size_t total = vertexTotal > 0 ? static_cast<size_t>(vertexTotal) : 0;
  positions.assign(total * 3, 0.0f);
  normals.assign(total * 3, 0.0f);
  scratch.assign(total * 3, 0.0f);
  texCoords.assign(total * 2, 0.0f);
  arrays = std::make_unique<FWrender::VertexArraySet>();
  arrays->vertexSlot = {positions.data(), 3, vertexTotal * 3};
  arrays->normalSlot = {normals.data(), 3, vertexTotal * 3};
  arrays->texcoordSlot = {texCoords.data(), 2, vertexTotal * 2};
  arrays->primitive = 1;
}

tunnel::~tunnel() { arrays.reset(); }

void tunnel::buildGeometry() {
  if (!isActive()) return;
  if (segments <= 0.0f) return;
  const float k = segments / fullTurn;  // segment index h is the angle h / k
  // The count was rounded down from the step arithmetic; accumulated steps
  // can come out one more, and those never get written past the arrays.
  const int32_t pairCapacity = vertexTotal / 2;
  int32_t n = 0;
  for (float h = 0.0f; h < segments; h += 1.0f) {
    const float a0 = h / k;
    const float a1 = (h + 1.0f) / k;
    const float y0 = std::sin(a0) * radius;
    const float z0 = std::cos(a0) * radius;
    const float y1 = std::sin(a1) * radius;
    const float z1 = std::cos(a1) * radius;
    float normal0[3];
    float normal1[3];
    inwardNormal(y0, z0, normal0);
    inwardNormal(y1, z1, normal1);
    for (float u = -halfLength; u < halfLength && n < pairCapacity; u += step) {
      const size_t first = static_cast<size_t>(2 * n);
      const size_t second = first + 1;
      const float at0[3] = {u, y0, z0};
      const float at1[3] = {u, y1, z1};
      const float scratch0[3] = {h, u, 0.0f};
      const float scratch1[3] = {u, u, 0.0f};
      for (int c = 0; c < 3; ++c) {
        positions[first * 3 + c] = at0[c];
        positions[second * 3 + c] = at1[c];
        normals[first * 3 + c] = normal0[c];
        normals[second * 3 + c] = normal1[c];
        scratch[first * 3 + c] = scratch0[c];
        scratch[second * 3 + c] = scratch1[c];
      }
      texCoords[first * 2] = a0;
      texCoords[first * 2 + 1] = u / k;
      texCoords[second * 2] = a1;
      texCoords[second * 2 + 1] = u / k;
      ++n;
    }
  }
}

void tunnel::load() { loadBindGroup(); }

void tunnel::begin() { FWrender::enableArrays(*arrays); }

void tunnel::draw() {
  glDrawArrays(FWrender::primitiveMode(arrays->primitive), 0, vertexTotal);
  gfx::polygonCount += vertexTotal;
  gfx::vertexCount += arrays->vertexSlot.elements;
}

void tunnel::end() { FWrender::disableArrays(*arrays); }

void tunnel::vertexData(int32_t, void** data, int32_t* count) {
  if (data != nullptr) *data = scratch.data();
  if (count != nullptr) *count = vertexTotal;
}

}  // namespace NGcomp
