#include "frame_pixels.h"

#include <array>
#include <cstring>

namespace {

// 10-bit to 8-bit channel values, rounded as Mesa's format conversion does.
const std::array<uint8_t, 1024>& eightBitsOfTen() {
  static const std::array<uint8_t, 1024> table = [] {
    std::array<uint8_t, 1024> values{};
    for (uint32_t v = 0; v < 1024; ++v) values[v] = static_cast<uint8_t>((v * 255 + 511) / 1023);
    return values;
  }();
  return table;
}

}  // namespace

frameReadback readbackForCurrentFramebuffer() {
  GLint red = 0, green = 0, blue = 0;
  glGetIntegerv(GL_RED_BITS, &red);
  glGetIntegerv(GL_GREEN_BITS, &green);
  glGetIntegerv(GL_BLUE_BITS, &blue);
  frameReadback readback;
  if (red == 10 && green == 10 && blue == 10) readback.type = GL_UNSIGNED_INT_2_10_10_10_REV;
  return readback;
}

void toTopFirstRgb(const frameReadback& readback, const uint8_t* bottomFirst, int32_t width,
                   int32_t height, uint8_t* topFirstRgb) {
  const size_t inRow = static_cast<size_t>(width) * frameReadback::bytesPerPixel;
  const size_t outRow = static_cast<size_t>(width) * 3;
  const bool tenBits = readback.type == GL_UNSIGNED_INT_2_10_10_10_REV;
  const std::array<uint8_t, 1024>& eight = eightBitsOfTen();
  for (int32_t row = 0; row < height; ++row) {
    const uint8_t* in = bottomFirst + inRow * static_cast<size_t>(height - 1 - row);
    uint8_t* out = topFirstRgb + outRow * static_cast<size_t>(row);
    if (tenBits) {
      // Blue in the low bits, then green, red, and 2 bits of alpha.
      for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
        uint32_t word;
        std::memcpy(&word, in, 4);
        out[0] = eight[(word >> 20) & 1023u];
        out[1] = eight[(word >> 10) & 1023u];
        out[2] = eight[word & 1023u];
      }
    } else {
      for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      }
    }
  }
}
