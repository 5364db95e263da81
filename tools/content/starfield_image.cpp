#include "content/image_encoding.h"
#include "content/raster.h"
#include "content/shapes.h"
#include "content/show_images.h"
#include "content/show_palette.h"

#include <cmath>

namespace content {

namespace {

constexpr int fieldSize = 1024;

// Fractal noise that tiles over the image: each octave repeats a whole
// number of times across it.
float cloud(float x, float y, uint32_t seed) {
  float sum = 0, weight = 0.5f, total = 0;
  for (int cells = 4; cells <= 64; cells *= 2) {
    sum += weight * tileableNoise(x * cells, y * cells, cells, seed + static_cast<uint32_t>(cells));
    total += weight;
    weight *= 0.55f;
  }
  return sum / total;
}

void addStar(picture& sky, float cx, float cy, float radius, const colour& tint, float brightness) {
  const int reach = static_cast<int>(std::ceil(radius * 3.5f)) + 1;
  const int x0 = static_cast<int>(std::floor(cx));
  const int y0 = static_cast<int>(std::floor(cy));
  for (int dy = -reach; dy <= reach; ++dy) {
    for (int dx = -reach; dx <= reach; ++dx) {
      const float px = x0 + dx + 0.5f - cx;
      const float py = y0 + dy + 0.5f - cy;
      float glow = brightness * std::exp(-(px * px + py * py) / (2 * radius * radius));
      if (brightness > 0.8f) {
        // The brightest stars get a faint cross.
        glow += 0.25f * brightness *
                (std::exp(-std::fabs(py) * 2.5f) * std::exp(-std::fabs(px) / (radius * 5)) +
                 std::exp(-std::fabs(px) * 2.5f) * std::exp(-std::fabs(py) / (radius * 5)));
      }
      if (glow < 1e-3f) continue;
      // Wrap around, so the face tiles.
      const int x = ((x0 + dx) % fieldSize + fieldSize) % fieldSize;
      const int y = ((y0 + dy) % fieldSize + fieldSize) % fieldSize;
      colour c = sky.at(x, y);
      c.r += tint.r * glow;
      c.g += tint.g * glow;
      c.b += tint.b * glow;
      sky.set(x, y, c);
    }
  }
}

}  // namespace

namedFile makeStarfieldImage() {
  const colour night{0.012f, 0.016f, 0.035f};
  const colour cyanMist{0.05f, 0.3f, 0.42f};
  const colour amberMist{0.45f, 0.26f, 0.05f};
  picture sky(fieldSize, fieldSize);
  for (int y = 0; y < fieldSize; ++y) {
    for (int x = 0; x < fieldSize; ++x) {
      const float u = static_cast<float>(x) / fieldSize;
      const float v = static_cast<float>(y) / fieldSize;
      const float cool = shapes::smoothstep(0.5f, 0.82f, cloud(u, v, 11)) * 0.38f;
      const float warm = shapes::smoothstep(0.55f, 0.85f, cloud(u + 0.37f, v + 0.21f, 29)) * 0.4f;
      colour c = night;
      c = colour{c.r + cyanMist.r * cool + amberMist.r * warm, c.g + cyanMist.g * cool + amberMist.g * warm,
                 c.b + cyanMist.b * cool + amberMist.b * warm};
      sky.set(x, y, c);
    }
  }
  randomSequence random(0x5EED5);
  for (int i = 0; i < 2600; ++i) {
    const float x = random.between(0, fieldSize);
    const float y = random.between(0, fieldSize);
    const float brightness = 0.12f + 0.88f * std::pow(random.next(), 7.0f);
    const float kind = random.next();
    const colour tint = kind < 0.18f   ? mix(colour{1, 1, 1}, palette::cyan, 0.45f)
                        : kind < 0.3f ? mix(colour{1, 1, 1}, palette::amber, 0.45f)
                                      : colour{0.95f, 0.95f, 1.0f};
    addStar(sky, x, y, 0.55f + 1.1f * brightness, tint, brightness);
  }
  return namedFile{"starfield.jpg", encodeJpeg(fieldSize, fieldSize, 3, toBytes(sky), 92, "starfield.jpg")};
}

}  // namespace content
