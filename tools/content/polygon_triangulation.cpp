#include "content/polygon_triangulation.h"

#include "content/content_error.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace content {

namespace {

struct vec {
  double x, y;
};

double cross(const vec& o, const vec& a, const vec& b) {
  return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

bool samePlace(const vec& a, const vec& b) { return a.x == b.x && a.y == b.y; }

// Inside or on the border of the counter-clockwise triangle abc.
bool inTriangle(const vec& p, const vec& a, const vec& b, const vec& c) {
  return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

bool containsPoint(const contour& polygon, const point2& p) {
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const point2& a = polygon[i];
    const point2& b = polygon[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

contour oriented(const contour& points, bool counterClockwise) {
  contour result = points;
  if ((signedArea(result) > 0) != counterClockwise) std::reverse(result.begin(), result.end());
  return result;
}

class earClipper {
 public:
  explicit earClipper(const shapeWithHoles& shape) {
    appendPoints(shape.outer);
    for (size_t i = 0; i < shape.outer.size(); ++i) ring_.push_back(static_cast<int>(i));
    std::vector<std::pair<int, int>> holeRanges;  // first index, count
    for (const contour& hole : shape.holes) {
      holeRanges.emplace_back(static_cast<int>(points_.size()), static_cast<int>(hole.size()));
      appendPoints(hole);
    }
    // Bridge the holes from the rightmost inwards, so no bridge crosses a later one.
    std::sort(holeRanges.begin(), holeRanges.end(), [&](const auto& a, const auto& b) {
      return rightmost(a).x > rightmost(b).x;
    });
    for (const auto& hole : holeRanges) bridge(hole.first, hole.second);
  }

  std::vector<triangleIndices> clip() {
    std::vector<triangleIndices> triangles;
    std::vector<int> ring = ring_;
    size_t failures = 0;
    size_t i = 0;
    while (ring.size() > 3) {
      const size_t n = ring.size();
      const size_t prev = (i + n - 1) % n, next = (i + 1) % n;
      const vec& a = points_[ring[prev]];
      const vec& b = points_[ring[i]];
      const vec& c = points_[ring[next]];
      const double turn = cross(a, b, c);
      if (turn == 0.0 || (turn > 0 && isEar(ring, prev, i, next))) {
        // A straight or doubled-back vertex makes a triangle of no area. It is
        // kept all the same: without it the neighbours' edge would pass
        // through the vertex, and a surface built on the outline would not close.
        triangles.push_back({ring[prev], ring[i], ring[next]});
        ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(i));
        if (i >= ring.size()) i = 0;
        failures = 0;
        continue;
      }
      i = (i + 1) % n;
      if (++failures > n) throw contentError("outline is not a simple polygon: no ear left to clip");
    }
    if (ring.size() == 3 && cross(points_[ring[0]], points_[ring[1]], points_[ring[2]]) > 0) {
      triangles.push_back({ring[0], ring[1], ring[2]});
    }
    return triangles;
  }

 private:
  void appendPoints(const contour& points) {
    for (const point2& p : points) points_.push_back(vec{p.x, p.y});
  }

  vec rightmost(const std::pair<int, int>& hole) const {
    vec best = points_[hole.first];
    for (int k = 0; k < hole.second; ++k) {
      if (points_[hole.first + k].x > best.x) best = points_[hole.first + k];
    }
    return best;
  }

  bool isEar(const std::vector<int>& ring, size_t prev, size_t at, size_t next) const {
    const vec& a = points_[ring[prev]];
    const vec& b = points_[ring[at]];
    const vec& c = points_[ring[next]];
    for (size_t k = 0; k < ring.size(); ++k) {
      if (k == prev || k == at || k == next) continue;
      const vec& p = points_[ring[k]];
      if (samePlace(p, a) || samePlace(p, b) || samePlace(p, c)) continue;
      if (inTriangle(p, a, b, c)) return false;
    }
    return true;
  }

  bool isReflex(size_t position) const {
    const size_t n = ring_.size();
    return cross(points_[ring_[(position + n - 1) % n]], points_[ring_[position]],
                 points_[ring_[(position + 1) % n]]) < 0;
  }

  // Joins the hole (clockwise) into the ring through a bridge from its
  // rightmost point M to a point of the ring that M can see.
  void bridge(int first, int count) {
    int m = first;
    for (int k = 1; k < count; ++k) {
      if (points_[first + k].x > points_[m].x) m = first + k;
    }
    const vec& pm = points_[m];
    // The nearest crossing of the ray from M towards +x with a ring edge.
    double nearest = std::numeric_limits<double>::infinity();
    size_t seen = ring_.size();
    for (size_t k = 0; k < ring_.size(); ++k) {
      const vec& a = points_[ring_[k]];
      const vec& b = points_[ring_[(k + 1) % ring_.size()]];
      if ((a.y < pm.y && b.y < pm.y) || (a.y > pm.y && b.y > pm.y) || a.y == b.y) continue;
      const double x = a.x + (pm.y - a.y) * (b.x - a.x) / (b.y - a.y);
      if (x < pm.x || x >= nearest) continue;
      nearest = x;
      // Of the crossed edge, the end farther along the ray.
      seen = a.x > b.x ? k : (k + 1) % ring_.size();
      if (x == a.x && a.y == pm.y) seen = k;
      if (x == b.x && b.y == pm.y) seen = (k + 1) % ring_.size();
    }
    if (seen == ring_.size()) throw contentError("a hole lies outside its outline");
    const vec crossing{nearest, pm.y};
    const vec candidate = points_[ring_[seen]];
    if (!samePlace(candidate, crossing)) {
      // Reflex ring points inside triangle M, crossing, candidate would block
      // the view; take the one at the smallest angle from the ray instead.
      const bool flip = cross(pm, crossing, candidate) < 0;
      const vec& t1 = flip ? candidate : crossing;
      const vec& t2 = flip ? crossing : candidate;
      double bestAngle = std::numeric_limits<double>::infinity();
      double bestDistance = std::numeric_limits<double>::infinity();
      for (size_t k = 0; k < ring_.size(); ++k) {
        const vec& p = points_[ring_[k]];
        if (k == seen || samePlace(p, pm) || !isReflex(k) || !inTriangle(p, pm, t1, t2)) continue;
        const double dx = p.x - pm.x, dy = p.y - pm.y;
        const double distance = std::hypot(dx, dy);
        const double angle = std::fabs(dy) / distance;
        if (angle < bestAngle || (angle == bestAngle && distance < bestDistance)) {
          bestAngle = angle;
          bestDistance = distance;
          seen = k;
        }
      }
    }
    // ring: ... V, M, hole after M ..., M, V, ...
    std::vector<int> inserted;
    inserted.push_back(m);
    for (int k = 1; k < count; ++k) inserted.push_back(first + (m - first + k) % count);
    inserted.push_back(m);
    inserted.push_back(ring_[seen]);
    ring_.insert(ring_.begin() + static_cast<std::ptrdiff_t>(seen) + 1, inserted.begin(), inserted.end());
  }

  std::vector<vec> points_;
  std::vector<int> ring_;  // indices into points_, the polygon to clip
};

}  // namespace

double signedArea(const contour& points) {
  double twice = 0;
  for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
    twice += static_cast<double>(points[j].x) * points[i].y - static_cast<double>(points[i].x) * points[j].y;
  }
  return twice / 2;
}

std::vector<shapeWithHoles> groupContours(const std::vector<contour>& contours) {
  const size_t n = contours.size();
  std::vector<int> depth(n, 0);
  std::vector<std::vector<size_t>> containers(n);
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      if (i != j && containsPoint(contours[j], contours[i].front())) {
        ++depth[i];
        containers[i].push_back(j);
      }
    }
  }
  std::vector<shapeWithHoles> shapes;
  std::vector<int> shapeOf(n, -1);
  for (size_t i = 0; i < n; ++i) {
    if (depth[i] % 2 != 0) continue;
    shapeOf[i] = static_cast<int>(shapes.size());
    shapes.push_back(shapeWithHoles{oriented(contours[i], true), {}});
  }
  for (size_t i = 0; i < n; ++i) {
    if (depth[i] % 2 == 0) continue;
    for (size_t j : containers[i]) {
      if (depth[j] == depth[i] - 1) shapes[shapeOf[j]].holes.push_back(oriented(contours[i], false));
    }
  }
  return shapes;
}

std::vector<triangleIndices> triangulate(const shapeWithHoles& shape) {
  if (shape.outer.size() < 3) throw contentError("an outline needs at least three points");
  return earClipper(shape).clip();
}

}  // namespace content
