#include "frame_pixels.h"

#include <array>
#include <cstring>
#include <vector>

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

// One row of `width` pixels as read back into RGB bytes.
void toRgbRow(const frameReadback& readback, const uint8_t* in, int32_t width, uint8_t* out) {
  if (readback.type == GL_UNSIGNED_INT_2_10_10_10_REV) {
    const std::array<uint8_t, 1024>& eight = eightBitsOfTen();
    // Blue in the low bits, then green, red, and 2 bits of alpha.
    for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
      uint32_t word;
      std::memcpy(&word, in, 4);
      out[0] = eight[(word >> 20) & 1023u];
      out[1] = eight[(word >> 10) & 1023u];
      out[2] = eight[word & 1023u];
    }
    return;
  }
  for (int32_t x = 0; x < width; ++x, in += 4, out += 3) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}

// The weights of red, green and blue at studio range, in 1/65536, from a
// matrix's red and blue luma shares: luma spans 219 steps from 16, chroma
// 224 steps around 128.
constexpr int32_t fractionBits = 16;
constexpr int32_t weight(double perFullRange) {
  const double scaled = perFullRange / 255.0 * (1 << fractionBits);
  return static_cast<int32_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}
struct yuvWeights {
  int32_t luma[3];
  int32_t blueDifference[3];
  int32_t redDifference[3];
};
constexpr yuvWeights weightsOf(double red, double blue) {
  const double green = 1.0 - red - blue;
  const double toBlue = 224.0 / (2.0 * (1.0 - blue));
  const double toRed = 224.0 / (2.0 * (1.0 - red));
  return {{weight(219.0 * red), weight(219.0 * green), weight(219.0 * blue)},
          {weight(-red * toBlue), weight(-green * toBlue), weight(112.0)},
          {weight(112.0), weight(-green * toRed), weight(-blue * toRed)}};
}
constexpr yuvWeights bt601Weights = weightsOf(0.299, 0.114);
constexpr yuvWeights bt709Weights = weightsOf(0.2126, 0.0722);

// A chroma sample from the sums of four pixels' channels.
uint8_t chromaOfFour(const int32_t (&weights)[3], int32_t red, int32_t green, int32_t blue) {
  constexpr int32_t shift = fractionBits + 2;
  const int32_t value = weights[0] * red + weights[1] * green + weights[2] * blue +
                        (128 << shift) + (1 << (shift - 1));
  return static_cast<uint8_t>(value >> shift);
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
  for (int32_t row = 0; row < height; ++row) {
    toRgbRow(readback, bottomFirst + inRow * static_cast<size_t>(height - 1 - row), width,
             topFirstRgb + outRow * static_cast<size_t>(row));
  }
}

size_t yuv420Bytes(int32_t width, int32_t height) {
  const size_t luma = static_cast<size_t>(width) * static_cast<size_t>(height);
  return luma + luma / 2;
}

yuvMatrix videoMatrixFor(int32_t height) {
  return height >= 720 ? yuvMatrix::bt709 : yuvMatrix::bt601;
}

void toYuv420(const frameReadback& readback, const uint8_t* bottomFirst, int32_t width,
              int32_t height, yuvMatrix matrix, uint8_t* yuv) {
  const yuvWeights& weights = matrix == yuvMatrix::bt709 ? bt709Weights : bt601Weights;
  const int32_t(&lumaWeights)[3] = weights.luma;
  const size_t inRow = static_cast<size_t>(width) * frameReadback::bytesPerPixel;
  const size_t rgbRow = static_cast<size_t>(width) * 3;
  const size_t lumaSize = static_cast<size_t>(width) * static_cast<size_t>(height);
  uint8_t* luma = yuv;
  uint8_t* blueDifference = yuv + lumaSize;
  uint8_t* redDifference = blueDifference + lumaSize / 4;
  // Two rows at a time: they share a row of chroma samples.
  std::vector<uint8_t> rows(rgbRow * 2);
  for (int32_t row = 0; row < height; row += 2) {
    for (int32_t pair = 0; pair < 2; ++pair) {
      const uint8_t* in = bottomFirst + inRow * static_cast<size_t>(height - 1 - row - pair);
      uint8_t* rgb = rows.data() + rgbRow * static_cast<size_t>(pair);
      toRgbRow(readback, in, width, rgb);
      for (int32_t x = 0; x < width; ++x, rgb += 3) {
        const int32_t value = lumaWeights[0] * rgb[0] + lumaWeights[1] * rgb[1] +
                              lumaWeights[2] * rgb[2] + (16 << fractionBits) +
                              (1 << (fractionBits - 1));
        *luma++ = static_cast<uint8_t>(value >> fractionBits);
      }
    }
    const uint8_t* top = rows.data();
    const uint8_t* below = top + rgbRow;
    for (int32_t x = 0; x < width; x += 2, top += 6, below += 6) {
      const int32_t red = top[0] + top[3] + below[0] + below[3];
      const int32_t green = top[1] + top[4] + below[1] + below[4];
      const int32_t blue = top[2] + top[5] + below[2] + below[5];
      *blueDifference++ = chromaOfFour(weights.blueDifference, red, green, blue);
      *redDifference++ = chromaOfFour(weights.redDifference, red, green, blue);
    }
  }
}
