#include "engine/scenes/occlusion_tables.h"

#include "api/texture/bitmap.h"
#include "engine/errors.h"
#include "engine/show_random.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace scenes {

void occlusionKernelVector(int32_t r1, int32_t r2, int32_t r3, float out[3]) {
  const float x = 1.0f - static_cast<float>(r1 % 10000) / 5000.0f;
  const float y = 1.0f - static_cast<float>(r2 % 10000) / 5000.0f;
  const float z = static_cast<float>(r3 % 10000) / 10000.0f;
  float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) length = 1.0f;
  out[0] = x / length;
  out[1] = y / length;
  out[2] = z / length;
}

std::array<float, occlusionKernelSize * 3> makeOcclusionKernel() {
  std::array<float, occlusionKernelSize * 3> kernel{};
  for (int32_t i = 0; i < occlusionKernelSize; ++i) {
    // Three separate statements: the draw order is part of the picture.
    const int32_t r1 = showRandom();
    const int32_t r2 = showRandom();
    const int32_t r3 = showRandom();
    occlusionKernelVector(r1, r2, r3, &kernel[static_cast<size_t>(i) * 3]);
  }
  return kernel;
}

void fillOcclusionNoise(FWtexture::bitmap& noise) {
  int32_t width = occlusionNoiseSide;
  int32_t height = occlusionNoiseSide;
  if (noise.maxSize > 0) {
    width = std::min(width, noise.maxSize);
    height = std::min(height, noise.maxSize);
  }
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  auto* pixels = static_cast<uint8_t*>(std::malloc(bytes));
  if (pixels == nullptr) throw errorCode::outOfMemory;
  std::free(noise.pixels);
  noise.pixels = pixels;
  noise.width = width;
  noise.height = height;
  noise.channels = 4;
  for (size_t i = 0; i < bytes; ++i) pixels[i] = static_cast<uint8_t>(showRandom() % 256);
}

}  // namespace scenes
