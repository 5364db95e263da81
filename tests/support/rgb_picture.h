#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

// A screenshot or rendered frame read back for comparison: 8-bit RGB,
// first row first.
namespace testing_support {

struct rgbPicture {
  std::unique_ptr<uint8_t, decltype(&std::free)> pixels{nullptr, &std::free};
  int width = 0;
  int height = 0;
  // Channel `c` of the pixel at (x, y); no bounds check.
  int at(int x, int y, int c) const { return pixels.get()[(y * width + x) * 3 + c]; }
};

// Decodes the image file at `path`; no pixels when it is missing, cannot be
// decoded or is not RGB.
rgbPicture readRgbPicture(const std::string& path);

}  // namespace testing_support
