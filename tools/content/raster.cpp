#include "content/raster.h"

#include <algorithm>
#include <cmath>

namespace content {

colour mix(const colour& a, const colour& b, float t) {
  return colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

colour fromBytes(int r, int g, int b) { return colour{r / 255.0f, g / 255.0f, b / 255.0f}; }

float plane::sample(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return 0.0f;
  return at(x, y);
}

picture::picture(int w, int h, const colour& fill)
    : width(w), height(h), rgb(static_cast<size_t>(w) * h * 3) {
  for (size_t i = 0; i < rgb.size(); i += 3) {
    rgb[i] = fill.r;
    rgb[i + 1] = fill.g;
    rgb[i + 2] = fill.b;
  }
}

colour picture::at(int x, int y) const {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  return colour{rgb[i], rgb[i + 1], rgb[i + 2]};
}

void picture::set(int x, int y, const colour& c) {
  const size_t i = (static_cast<size_t>(y) * width + x) * 3;
  rgb[i] = c.r;
  rgb[i + 1] = c.g;
  rgb[i + 2] = c.b;
}

void picture::blend(int x, int y, const colour& c, float coverage) {
  if (coverage <= 0.0f) return;
  set(x, y, mix(at(x, y), c, std::min(coverage, 1.0f)));
}

float edgeCoverage(float distance) { return std::clamp(0.5f - distance, 0.0f, 1.0f); }

namespace {

// One box pass of width 2r + 1 along rows (horizontal) or columns.
plane boxPass(const plane& in, int r, bool horizontal) {
  plane out(in.width, in.height);
  const int lines = horizontal ? in.height : in.width;
  const int length = horizontal ? in.width : in.height;
  const float scale = 1.0f / static_cast<float>(2 * r + 1);
  for (int line = 0; line < lines; ++line) {
    auto value = [&](int i) {
      if (i < 0 || i >= length) return 0.0f;
      return horizontal ? in.at(i, line) : in.at(line, i);
    };
    double sum = 0.0;
    for (int i = -r; i <= r; ++i) sum += value(i);
    for (int i = 0; i < length; ++i) {
      const float v = static_cast<float>(sum) * scale;
      if (horizontal) {
        out.at(i, line) = v;
      } else {
        out.at(line, i) = v;
      }
      sum += value(i + r + 1) - value(i - r);
    }
  }
  return out;
}

}  // namespace

plane blurred(const plane& source, int radius) {
  if (radius <= 0) return source;
  const int box = std::max(1, static_cast<int>(std::lround(radius / std::sqrt(3.0))));
  plane result = source;
  for (int pass = 0; pass < 3; ++pass) {
    result = boxPass(boxPass(result, box, true), box, false);
  }
  // The running sums leave rounding dust far from any ink: clear it.
  for (float& v : result.values) {
    if (v < 1e-4f) v = 0.0f;
  }
  return result;
}

plane shifted(const plane& source, int dx, int dy) {
  plane out(source.width, source.height);
  for (int y = 0; y < source.height; ++y) {
    for (int x = 0; x < source.width; ++x) out.at(x, y) = source.sample(x - dx, y - dy);
  }
  return out;
}

namespace {

uint8_t toByte(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

std::vector<uint8_t> toBytes(const picture& image) {
  std::vector<uint8_t> bytes(image.rgb.size());
  std::transform(image.rgb.begin(), image.rgb.end(), bytes.begin(), toByte);
  return bytes;
}

std::vector<uint8_t> toBytes(const plane& grey) {
  std::vector<uint8_t> bytes(grey.values.size());
  std::transform(grey.values.begin(), grey.values.end(), bytes.begin(), toByte);
  return bytes;
}

float randomSequence::next() {
  // xorshift32: tiny, fast, and fixed by its definition.
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return static_cast<float>(state_ >> 8) / 16777216.0f;
}

namespace {

float latticeValue(int x, int y, int period, uint32_t seed) {
  x = ((x % period) + period) % period;
  y = ((y % period) + period) % period;
  uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x8DA6B343u) ^ (static_cast<uint32_t>(y) * 0xD8163841u);
  h ^= h >> 13;
  h *= 0x85EBCA6Bu;
  h ^= h >> 16;
  return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;
}

float fade(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float tileableNoise(float x, float y, int period, uint32_t seed) {
  const float fx = std::floor(x);
  const float fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  const float tx = fade(x - fx);
  const float ty = fade(y - fy);
  const float top = latticeValue(ix, iy, period, seed) +
                    (latticeValue(ix + 1, iy, period, seed) - latticeValue(ix, iy, period, seed)) * tx;
  const float bottom =
      latticeValue(ix, iy + 1, period, seed) +
      (latticeValue(ix + 1, iy + 1, period, seed) - latticeValue(ix, iy + 1, period, seed)) * tx;
  return top + (bottom - top) * ty;
}

}  // namespace content
