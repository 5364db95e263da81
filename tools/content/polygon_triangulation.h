#pragma once

#include "content/lettering.h"

#include <array>
#include <vector>

// Filled polygons with holes (glyph outlines) as triangles, by ear clipping
// after joining every hole to its outline with a bridge.
namespace content {

// One filled region: its outline counter-clockwise (y up) and its holes
// clockwise.
struct shapeWithHoles {
  contour outer;
  std::vector<contour> holes;
};

using triangleIndices = std::array<int, 3>;

// Twice nothing: positive for counter-clockwise contours (y up).
double signedArea(const contour& points);

// Sorts non-crossing contours into regions by how deeply each one is nested
// (even depth: an outline, odd: a hole of the outline around it) and orients
// them. Works whatever orientation the contours came with.
std::vector<shapeWithHoles> groupContours(const std::vector<contour>& contours);

// Triangulates one region. Indices count through the outline's points, then
// each hole's in order; every triangle is counter-clockwise, or of no area
// where three points lie on one line (kept so that every outline edge is a
// triangle edge). Throws
// contentError when the region is not a simple polygon. Cost: quadratic in
// the point count.
std::vector<triangleIndices> triangulate(const shapeWithHoles& shape);

}  // namespace content
