#include "api/texture/upload.h"

#include "api/gl/state.h"
#include "api/render/texture.h"
#include "engine/errors.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace FWtexture {

namespace {

int32_t nearestPowerOfTwo(int32_t size) {
  const float exponent = std::floor(std::log(static_cast<float>(size)) / std::log(2.0f) + 0.5f);
  return int32_t{1} << static_cast<int>(exponent);
}

}  // namespace

int32_t uploadSide(int32_t width, int32_t height, int32_t maxSize) {
  const int32_t powerWidth = nearestPowerOfTwo(width);
  const int32_t powerHeight = nearestPowerOfTwo(height);
  const int32_t side = std::max(powerWidth, powerHeight);
  // A side above the GL limit cannot be uploaded at all, so it is capped
  // even when only one side of the picture reaches the limit.
  return maxSize > 0 ? std::min(side, maxSize) : side;
}

void uploadBitmap(bitmap& image, FWrender::texture& target) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 || image.channels < 1 ||
      image.channels > 4) {
    return;
  }
  // Sides beyond 2^30 cannot be expressed; the decoder never gets near.
  if (image.width > (1 << 30) || image.height > (1 << 30)) return;
  const int32_t side = uploadSide(image.width, image.height, image.maxSize);
  resample(image, side, side);
  target.params.width = side;
  target.params.height = side;
  target.params.channels = image.channels;
  target.glId = gfx::createTexture(target.params, image.pixels);
}

void resample(bitmap& image, int32_t newWidth, int32_t newHeight) {
  if (image.pixels == nullptr || image.width <= 0 || image.height <= 0 || image.channels <= 0 ||
      newWidth < 2 || newHeight < 2) {
    return;
  }
  // At the same size every sample lands on a source pixel with weight 1 and
  // the rounding gives that pixel back, so the result is the source itself.
  // Most pictures are already power-of-two squares: skip the pass.
  if (newWidth == image.width && newHeight == image.height) return;
  const int32_t width = image.width;
  const int32_t height = image.height;
  const int32_t channels = image.channels;
  const size_t bytes = static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight) *
                       static_cast<size_t>(channels);
  auto* out = static_cast<uint8_t*>(std::malloc(bytes));
  if (out == nullptr) throw errorCode::outOfMemory;

  const float stepY = static_cast<float>(static_cast<double>(height - 1) / (newHeight - 1));
  const float stepX = static_cast<float>(static_cast<double>(width - 1) / (newWidth - 1));
  const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(channels);

  // The neighbour columns and weights are the same for every row.
  std::vector<int32_t> left(static_cast<size_t>(newWidth));
  std::vector<int32_t> right(static_cast<size_t>(newWidth));
  std::vector<float> across(static_cast<size_t>(newWidth));
  for (int32_t j = 0; j < newWidth; ++j) {
    const float fx = stepX * static_cast<float>(j);
    // The right neighbour is x0 + 1, so x0 stops one short of the last
    // column; a one-column source uses its only column for both.
    const int32_t x0 = std::max(0, std::min(static_cast<int32_t>(fx), width - 2));
    left[j] = x0 * channels;
    right[j] = std::min(x0 + 1, width - 1) * channels;
    across[j] = fx - static_cast<float>(x0);
  }

  uint8_t* write = out;
  for (int32_t i = 0; i < newHeight; ++i) {
    const float fy = stepY * static_cast<float>(i);
    const int32_t y0 = std::max(0, std::min(static_cast<int32_t>(fy), height - 2));
    const int32_t y1 = std::min(y0 + 1, height - 1);
    const float dy = fy - static_cast<float>(y0);
    const uint8_t* row0 = image.pixels + static_cast<size_t>(y0) * rowBytes;
    const uint8_t* row1 = image.pixels + static_cast<size_t>(y1) * rowBytes;
    for (int32_t j = 0; j < newWidth; ++j) {
      const float dx = across[j];
      const uint8_t* p00 = row0 + left[j];
      const uint8_t* p10 = row0 + right[j];
      const uint8_t* p01 = row1 + left[j];
      const uint8_t* p11 = row1 + right[j];
      for (int32_t c = 0; c < channels; ++c) {
        // The 0.5 added to the first term makes the truncation round.
        const double value = (static_cast<double>((1.0f - dx) * p00[c] * (1.0f - dy)) + 0.5) +
                             (1.0f - dy) * dx * p10[c] + dy * (1.0f - dx) * p01[c] +
                             dy * dx * p11[c];
        *write++ = static_cast<uint8_t>(value);
      }
    }
  }
  std::free(image.pixels);
  image.pixels = out;
  image.width = newWidth;
  image.height = newHeight;
}

}  // namespace FWtexture
