#include "content/image_encoding.h"
#include "content/raster.h"
#include "content/shapes.h"
#include "content/show_images.h"

#include <cmath>
#include <functional>

namespace content {

namespace {

constexpr int spriteSize = 128;

// A grey sprite from a brightness function of the position in [-1, 1]^2.
// Every sprite falls to black before its border, so no square edge shows.
namedFile sprite(const std::string& name, const std::function<float(float, float)>& brightness) {
  plane grey(spriteSize, spriteSize);
  for (int y = 0; y < spriteSize; ++y) {
    for (int x = 0; x < spriteSize; ++x) {
      const float u = (x + 0.5f) / spriteSize * 2 - 1;
      const float v = (y + 0.5f) / spriteSize * 2 - 1;
      const float r = std::hypot(u, v);
      const float window = 1.0f - shapes::smoothstep(0.82f, 0.97f, r);
      grey.at(x, y) = std::min(1.0f, brightness(u, v) * window);
    }
  }
  // Three equal channels: the decoder hands the scenes an RGB picture.
  picture rgb(spriteSize, spriteSize);
  for (int y = 0; y < spriteSize; ++y) {
    for (int x = 0; x < spriteSize; ++x) {
      const float g = grey.at(x, y);
      rgb.set(x, y, colour{g, g, g});
    }
  }
  return namedFile{name, encodeJpeg(spriteSize, spriteSize, 3, toBytes(rgb), 95, name)};
}

}  // namespace

std::vector<namedFile> makeParticleImages() {
  std::vector<namedFile> files;
  // A soft round puff for the opening's drifting particles.
  files.push_back(sprite("PARTICLE0.JPG", [](float u, float v) {
    const float r2 = u * u + v * v;
    return std::exp(-r2 * 3.5f);
  }));
  // A bright spark with a halo and four faint rays for the title's rays.
  files.push_back(sprite("PARTICLE1.JPG", [](float u, float v) {
    const float r2 = u * u + v * v;
    const float r = std::sqrt(r2);
    const float core = std::exp(-r2 / 0.012f);
    const float halo = 0.45f * std::exp(-r2 / 0.09f);
    const float fall = (1 - r) * (1 - r);
    const float rays = 0.35f * (std::exp(-std::fabs(v) * 45) + std::exp(-std::fabs(u) * 45)) * fall;
    return core + halo + std::max(rays, 0.0f);
  }));
  // A bokeh ring: a dim disc with a brighter rim, for the tunnel's dots.
  files.push_back(sprite("particle3.jpg", [](float u, float v) {
    const float r = std::hypot(u, v);
    const float disc = 0.32f * (1.0f - shapes::smoothstep(0.74f, 0.8f, r));
    const float rim = 0.75f * std::exp(-std::pow((r - 0.74f) / 0.055f, 2.0f));
    const float centre = 0.12f * std::exp(-r * r / 0.05f);
    return disc + rim + centre;
  }));
  return files;
}

}  // namespace content
