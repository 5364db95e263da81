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
  drawnStrip = std::make_unique<FWrender::VertexArraySet>();
  drawnStrip->primitive = 1;
}

tunnel::~tunnel() {
  arrays.reset();
  drawnStrip.reset();
}

void tunnel::keepDrawnVertex(size_t vertex) {
  drawnPositions.insert(drawnPositions.end(), &positions[vertex * 3], &positions[vertex * 3 + 3]);
  drawnNormals.insert(drawnNormals.end(), &normals[vertex * 3], &normals[vertex * 3 + 3]);
  drawnTexCoords.insert(drawnTexCoords.end(), &texCoords[vertex * 2], &texCoords[vertex * 2 + 2]);
}

void tunnel::buildGeometry() {
  if (!isActive()) return;
  if (segments <= 0.0f) return;
  drawnPositions.clear();
  drawnNormals.clear();
  drawnTexCoords.clear();
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
    const int32_t bandStart = n;
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
    // The band's first and last pairs: the strip keeps its parity, since
    // every band still starts on an even vertex.
    if (n > bandStart) {
      keepDrawnVertex(static_cast<size_t>(2 * bandStart));
      keepDrawnVertex(static_cast<size_t>(2 * bandStart + 1));
    }
    if (n - 1 > bandStart) {
      keepDrawnVertex(static_cast<size_t>(2 * (n - 1)));
      keepDrawnVertex(static_cast<size_t>(2 * (n - 1) + 1));
    }
  }
  const auto drawnTotal = static_cast<int32_t>(drawnPositions.size() / 3);
  drawnStrip->vertexSlot = {drawnPositions.data(), 3, drawnTotal * 3};
  drawnStrip->normalSlot = {drawnNormals.data(), 3, drawnTotal * 3};
  drawnStrip->texcoordSlot = {drawnTexCoords.data(), 2, drawnTotal * 2};
}

void tunnel::load() { loadBindGroup(); }

void tunnel::begin() { FWrender::enableArrays(*drawnStrip); }

void tunnel::draw() {
  glDrawArrays(FWrender::primitiveMode(drawnStrip->primitive), 0,
               drawnStrip->vertexSlot.elements / 3);
  gfx::polygonCount += vertexTotal;
  gfx::vertexCount += arrays->vertexSlot.elements;
}

void tunnel::end() { FWrender::disableArrays(*drawnStrip); }

void tunnel::vertexData(int32_t, void** data, int32_t* count) {
  if (data != nullptr) *data = scratch.data();
  if (count != nullptr) *count = vertexTotal;
}

}  // namespace NGcomp
