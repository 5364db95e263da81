#include "content/content_error.h"
#include "content/lettering.h"
#include "content/polygon_triangulation.h"
#include "content/show_models.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace content {

namespace {

constexpr const char* titleText = "Amber Pudding";
constexpr float titleWidth = 100.0f;
constexpr float titleDepth = 5.0f;
constexpr float curveTolerance = 0.015f;
// Walls meeting at a sharper turn than this get separate vertices (a crease).
constexpr float creaseDegrees = 32.0f;

struct bounds {
  float minX = std::numeric_limits<float>::max(), maxX = -std::numeric_limits<float>::max();
  float minY = std::numeric_limits<float>::max(), maxY = -std::numeric_limits<float>::max();
  void add(const contour& points) {
    for (const point2& p : points) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }
};

class extruder {
 public:
  extruder(object3ds& out, const bounds& box) : out_(out), box_(box) {}

  void addShape(const shapeWithHoles& shape) {
    std::vector<const contour*> rings{&shape.outer};
    for (const contour& hole : shape.holes) rings.push_back(&hole);
    const std::vector<triangleIndices> triangles = triangulate(shape);
    // Caps: the front (y = -depth/2) keeps the outline's counter-clockwise
    // turn, which faces -Y; the back turns the other way.
    for (int side = 0; side < 2; ++side) {
      const int first = static_cast<int>(out_.vertices.size());
      const float y = side == 0 ? -titleDepth / 2 : titleDepth / 2;
      for (const contour* ring : rings) {
        for (const point2& p : *ring) addVertex(p, y, planarU(p), planarV(p));
      }
      for (const triangleIndices& t : triangles) {
        if (side == 0) {
          out_.faces.push_back({first + t[0], first + t[1], first + t[2]});
        } else {
          out_.faces.push_back({first + t[0], first + t[2], first + t[1]});
        }
      }
    }
    for (const contour* ring : rings) addWalls(*ring);
  }

 private:
  float planarU(const point2& p) const { return (p.x - box_.minX) / (box_.maxX - box_.minX); }
  float planarV(const point2& p) const { return (p.y - box_.minY) / (box_.maxY - box_.minY); }

  // 2D (x, y) of the outline is (x, z) in the model.
  int addVertex(const point2& p, float y, float u, float v) {
    out_.vertices.push_back({p.x, y, p.y});
    out_.mapping.push_back({u, v});
    return static_cast<int>(out_.vertices.size()) - 1;
  }

  // A front and back vertex at p; returns the front one (the back follows).
  int addPair(const point2& p, float along) {
    const float u = along / (box_.maxY - box_.minY);
    const int front = addVertex(p, -titleDepth / 2, u, 0.0f);
    addVertex(p, titleDepth / 2, u, 1.0f);
    return front;
  }

  void addWalls(const contour& ring) {
    const size_t n = ring.size();
    std::vector<float> along(n + 1, 0.0f);
    for (size_t i = 0; i < n; ++i) {
      const point2& a = ring[i];
      const point2& b = ring[(i + 1) % n];
      along[i + 1] = along[i] + std::hypot(b.x - a.x, b.y - a.y);
    }
    const float creaseCos = std::cos(creaseDegrees * 3.14159265f / 180.0f);
    std::vector<int> starts(n), ends(n);
    for (size_t i = 0; i < n; ++i) {
      const point2& prev = ring[(i + n - 1) % n];
      const point2& here = ring[i];
      const point2& next = ring[(i + 1) % n];
      const float ix = here.x - prev.x, iy = here.y - prev.y;
      const float ox = next.x - here.x, oy = next.y - here.y;
      const float turnCos = (ix * ox + iy * oy) / (std::hypot(ix, iy) * std::hypot(ox, oy));
      // Point 0 is also where the along-the-outline mapping wraps.
      if (i == 0 || turnCos < creaseCos) {
        ends[i] = addPair(here, i == 0 ? along[n] : along[i]);
        starts[i] = addPair(here, along[i]);
      } else {
        starts[i] = ends[i] = addPair(here, along[i]);
      }
    }
    for (size_t i = 0; i < n; ++i) {
      const int a = starts[i], b = ends[(i + 1) % n];
      // a, b on the front; a + 1, b + 1 behind them. Wound to face outwards.
      out_.faces.push_back({a, b + 1, b});
      out_.faces.push_back({a, a + 1, b + 1});
    }
  }

  object3ds& out_;
  const bounds& box_;
};

// Drops points that lie exactly on the line through their neighbours: they
// would only add triangles of no area to the caps.
void dropStraightPoints(contour& points) {
  bool changed = true;
  while (changed && points.size() > 3) {
    changed = false;
    for (size_t i = 0; i < points.size() && points.size() > 3; ++i) {
      const point2& a = points[(i + points.size() - 1) % points.size()];
      const point2& b = points[i];
      const point2& c = points[(i + 1) % points.size()];
      const double turn = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                          (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.x) - a.x);
      const double ahead = (static_cast<double>(b.x) - a.x) * (static_cast<double>(c.x) - b.x) +
                           (static_cast<double>(b.y) - a.y) * (static_cast<double>(c.y) - b.y);
      if (turn == 0.0 && ahead > 0.0) {
        points.erase(points.begin() + static_cast<std::ptrdiff_t>(i));
        changed = true;
      }
    }
  }
}

}  // namespace

scene3ds makeTitleScene(const std::string& fontPath) {
  const lettering face(fontPath);
  // Measure at an em of 1, then scale the line to the title's width.
  bounds unit;
  for (const contour& c : face.outlineLine(titleText, 1.0f, 0.001f)) unit.add(c);
  const float em = titleWidth / (unit.maxX - unit.minX);
  std::vector<contour> contours = face.outlineLine(titleText, em, curveTolerance);
  bounds box;
  for (const contour& c : contours) box.add(c);
  const float shiftX = -(box.minX + box.maxX) / 2, shiftY = -(box.minY + box.maxY) / 2;
  for (contour& c : contours) {
    for (point2& p : c) {
      p.x += shiftX;
      p.y += shiftY;
    }
    dropStraightPoints(c);
  }
  box = bounds{};
  for (const contour& c : contours) box.add(c);

  object3ds title;
  title.name = "title";
  title.smooth = true;
  title.material = "title";
  extruder walls(title, box);
  for (const shapeWithHoles& shape : groupContours(contours)) {
    try {
      walls.addShape(shape);
    } catch (const contentError& error) {
      throw contentError(std::string("title.3ds: ") + error.what());
    }
  }
  material3ds material;
  material.name = "title";
  material.ambient = colour{0.3f, 0.2f, 0.05f};
  material.diffuse = colour{1.0f, 0.74f, 0.22f};
  material.specular = colour{1.0f, 0.95f, 0.8f};
  material.shininess = 48.0f;
  return scene3ds{{material}, splitToLimits(title)};
}

}  // namespace content
