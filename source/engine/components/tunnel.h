#pragma once

#include "engine/item.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace FWrender {
struct VertexArraySet;
}

namespace NGcomp {

// An open tube along the x axis, seen from inside, as one triangle strip:
// one band of vertex pairs per angular segment, each band running the whole
// length of the tube. Geometry is built once; drawing is one glDrawArrays
// between begin() and end(). The owning scene decides whether it draws.
//
// Every band is a flat rectangle whose attributes change linearly along it,
// so only the end pairs of each band are drawn (`drawnStrip`): the strip then
// has the same triangles between bands and, within each band, two triangles
// covering the same pixels with the same interpolated values as its many
// thin ones, at a fraction of the vertex work.
class tunnel : public NGcommon::item {
 public:
  // Allocates (zeroed) arrays for 2 x trunc(segments x halfLength x 2 / step)
  // vertices. `step` and `halfLength` must be positive, `segments` not
  // negative.
  tunnel(const char* name, float segments, float halfLength, float radius, float step);
  ~tunnel() override;

  // Fills positions, normals, texture coordinates and the scratch array;
  // only while the item is active. Linear in the vertex count.
  void buildGeometry();

  // The activity group only (258 when its track file is missing).
  void load() override;
  // Enables the client-side arrays of the drawn strip.
  void begin() override;
  // The whole strip in one call; adds the tube's counts to the draw
  // counters. No allocation.
  void draw() override;
  // Disables the client-side arrays.
  void end() override;
  // The scratch array and the vertex count.
  void vertexData(int32_t unused, void** data, int32_t* count) override;

  float segments;
  float halfLength;
  float step;
  float radius;
  int32_t vertexTotal;
  std::vector<float> positions;  // vertexTotal x 3
  std::vector<float> normals;    // vertexTotal x 3, towards the axis
  std::vector<float> scratch;    // vertexTotal x 3; reported, never drawn
  std::vector<float> texCoords;  // vertexTotal x 2: angle, axial position / k
  std::unique_ptr<FWrender::VertexArraySet> arrays;  // the whole tube

  // The end pairs of every band, in strip order: 4 vertices a band.
  std::vector<float> drawnPositions;
  std::vector<float> drawnNormals;
  std::vector<float> drawnTexCoords;
  std::unique_ptr<FWrender::VertexArraySet> drawnStrip;

 private:
  void keepDrawnVertex(size_t vertex);
};

// 2 x trunc(segments x halfLength x (2 / step)): the vertex count of a tube.
int32_t tunnelVertexTotal(float segments, float halfLength, float step);

}  // namespace NGcomp
