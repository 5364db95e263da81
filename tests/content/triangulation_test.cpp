#include "content/content_error.h"
#include "content/lettering.h"
#include "content/polygon_triangulation.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using content::contour;
using content::shapeWithHoles;

contour square(float x0, float y0, float size) {
  return {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}};
}

contour reversed(contour c) {
  std::reverse(c.begin(), c.end());
  return c;
}

// The triangles of a region cover exactly its area, all wound the same way.
void expectCovers(const shapeWithHoles& shape) {
  std::vector<content::point2> points = shape.outer;
  double area = content::signedArea(shape.outer);
  for (const contour& hole : shape.holes) {
    points.insert(points.end(), hole.begin(), hole.end());
    area += content::signedArea(hole);
  }
  double covered = 0;
  for (const auto& t : content::triangulate(shape)) {
    const contour triangle{points[t[0]], points[t[1]], points[t[2]]};
    const double a = content::signedArea(triangle);
    EXPECT_GE(a, 0.0);
    covered += a;
  }
  EXPECT_NEAR(covered, area, std::fabs(area) * 1e-5);
}

TEST(Triangulation, SquareWithTwoHoles) {
  const auto shapes = content::groupContours({square(0, 0, 10), square(1, 1, 3), square(6, 5, 3)});
  ASSERT_EQ(shapes.size(), 1u);
  ASSERT_EQ(shapes[0].holes.size(), 2u);
  EXPECT_GT(content::signedArea(shapes[0].outer), 0.0);
  EXPECT_LT(content::signedArea(shapes[0].holes[0]), 0.0);
  expectCovers(shapes[0]);
  EXPECT_NEAR(content::signedArea(shapes[0].outer) + content::signedArea(shapes[0].holes[0]) +
                  content::signedArea(shapes[0].holes[1]),
              100.0 - 18.0, 1e-9);
}

TEST(Triangulation, NestingDecidesOutlinesAndHolesWhateverTheWinding) {
  // A ring with an island inside its hole: two regions.
  const auto shapes =
      content::groupContours({reversed(square(0, 0, 10)), square(2, 2, 6), reversed(square(4, 4, 2))});
  ASSERT_EQ(shapes.size(), 2u);
  EXPECT_EQ(shapes[0].holes.size() + shapes[1].holes.size(), 1u);
  for (const auto& shape : shapes) expectCovers(shape);
}

TEST(Triangulation, ConcaveOutlineAndCollinearPoints) {
  // An L shape with extra points along straight edges.
  const contour shapeL{{0, 0}, {2, 0}, {4, 0}, {4, 1}, {1, 1}, {1, 3}, {1, 4}, {0, 4}, {0, 2}};
  expectCovers(shapeWithHoles{shapeL, {}});
  // Every outline edge is a triangle edge, straight points included.
  const auto triangles = content::triangulate(shapeWithHoles{shapeL, {}});
  for (size_t i = 0; i < shapeL.size(); ++i) {
    const int from = static_cast<int>(i), to = static_cast<int>((i + 1) % shapeL.size());
    bool found = false;
    for (const auto& t : triangles) {
      for (int k = 0; k < 3; ++k) found = found || (t[k] == from && t[(k + 1) % 3] == to);
    }
    EXPECT_TRUE(found) << from << " -> " << to;
  }
  EXPECT_THROW(content::triangulate(shapeWithHoles{{{0, 0}, {1, 1}}, {}}), content::contentError);
}

TEST(Triangulation, EveryGlyphOfTheTitleFaceFills) {
  const content::lettering face(content::lettering::showFontPath());
  const std::string text = "Amber Pudding 0123456789 @&%$#BQRgjkqwe";
  for (const auto& shape : content::groupContours(face.outlineLine(text, 40.0f, 0.01f))) expectCovers(shape);
}

}  // namespace
