#include "content/image_encoding.h"
#include "content/raster.h"
#include "content/shapes.h"
#include "content/show_images.h"
#include "content/show_palette.h"

#include <cmath>

namespace content {

namespace {

constexpr int duckSize = 512;

using shapes::at;

// The duck as distances in picture units (0..1, y down), facing left.
struct duckShape {
  float body(at p) const {
    const float belly = shapes::ellipse(p, {0.56f, 0.63f}, 0.30f, 0.18f);
    const float tail = shapes::ellipse(shapes::rotated(p, {0.83f, 0.5f}, -35), {0.83f, 0.5f}, 0.1f, 0.055f);
    const float head = shapes::circle(p, {0.33f, 0.36f}, 0.14f);
    return shapes::smoothUnion(shapes::smoothUnion(belly, tail, 0.08f), head, 0.1f);
  }
  float beak(at p) const {
    const float upper = shapes::ellipse(p, {0.178f, 0.392f}, 0.085f, 0.034f);
    const float lower = shapes::ellipse(p, {0.19f, 0.425f}, 0.07f, 0.026f);
    return std::min(upper, lower);
  }
  float silhouette(at p) const { return std::min(body(p), beak(p)); }
  float wing(at p) const {
    return shapes::ellipse(shapes::rotated(p, {0.6f, 0.6f}, -14), {0.6f, 0.6f}, 0.17f, 0.085f);
  }
  float ripple(at p) const {
    const float wave = 0.845f + 0.012f * std::sin(p.x * 38.0f);
    const float band = std::fabs(p.y - wave) - 0.007f;
    const float reach = std::fabs(p.x - 0.53f) - 0.36f;  // the ripple's length
    return std::max(band, reach);
  }
};

// The blended shapes' distances grow slower or faster than true distances;
// dividing by the local slope gives an even line width all round.
template <class Shape>
float evenDistance(const Shape& shape, at p, float step) {
  const float d = shape(p);
  // Far from the edge the value only has to stay far from zero; the slope
  // there can jump (at an ellipse's centre, say).
  if (std::fabs(d) > 8 * step) return d;
  const float gx = (shape(at{p.x + step, p.y}) - shape(at{p.x - step, p.y})) / (2 * step);
  const float gy = (shape(at{p.x, p.y + step}) - shape(at{p.x, p.y - step})) / (2 * step);
  return d / std::max(std::hypot(gx, gy), 0.25f);
}

}  // namespace

std::vector<namedFile> makeDuckImages() {
  const duckShape duck;
  const float pixel = 1.0f / duckSize;
  const colour outline = palette::brownMid;
  const colour bodyTop{1.0f, 0.92f, 0.5f};
  const colour bodyBottom{0.96f, 0.7f, 0.14f};
  const colour wingColour{0.93f, 0.64f, 0.1f};
  const colour beakColour{1.0f, 0.52f, 0.08f};
  const colour water{0.35f, 0.8f, 0.95f};
  const float outlineWidth = 0.011f;

  picture image(duckSize, duckSize, bodyBottom);
  plane alpha(duckSize, duckSize);
  for (int y = 0; y < duckSize; ++y) {
    for (int x = 0; x < duckSize; ++x) {
      const at p{(x + 0.5f) * pixel, (y + 0.5f) * pixel};
      auto cover = [&](float distance) { return edgeCoverage(distance / pixel); };
      const float body = duck.body(p);
      const float beak = duck.beak(p);
      const float silhouette =
          evenDistance([&](at q) { return duck.silhouette(q); }, p, pixel / 2);

      colour c = mix(bodyTop, bodyBottom, shapes::smoothstep(0.25f, 0.8f, p.y));
      // A broad soft light on the upper body.
      c = mix(c, colour{1, 0.97f, 0.8f},
              0.25f * (1 - shapes::smoothstep(0.0f, 0.3f, std::hypot(p.x - 0.48f, p.y - 0.48f))));
      const float wing = duck.wing(p);
      c = mix(c, wingColour, cover(wing));
      c = mix(c, outline, 0.7f * cover(shapes::stroke(wing, 0.004f)) * cover(body));
      const float outsideBody = 1 - cover(body + 0.004f);
      c = mix(c, beakColour, cover(beak) * outsideBody);
      const float beakLine = std::hypot(std::max(std::fabs(p.x - 0.175f) - 0.07f, 0.0f), p.y - 0.41f) - 0.0035f;
      c = mix(c, outline, cover(beakLine) * cover(beak) * outsideBody);
      c = mix(c, colour{1.0f, 0.62f, 0.52f}, 0.55f * cover(shapes::ellipse(p, {0.37f, 0.415f}, 0.035f, 0.022f)));
      c = mix(c, palette::brownDark, cover(shapes::circle(p, {0.31f, 0.33f}, 0.03f)));
      c = mix(c, colour{1, 1, 1}, cover(shapes::circle(p, {0.3f, 0.318f}, 0.01f)));
      // The drawn line around the whole duck.
      c = mix(c, outline, cover(shapes::stroke(silhouette, outlineWidth / 2)));

      const float duckCover = cover(silhouette - outlineWidth / 2);
      const float rippleCover = cover(duck.ripple(p)) * (1 - duckCover);
      c = mix(c, water, rippleCover);
      image.set(x, y, c);
      alpha.at(x, y) = std::min(1.0f, duckCover + rippleCover);
    }
  }
  return {namedFile{"duck2.png", encodePng(duckSize, duckSize, 3, toBytes(image), "duck2.png")},
          namedFile{"duck2a.png", encodePng(duckSize, duckSize, 1, toBytes(alpha), "duck2a.png")}};
}

}  // namespace content
