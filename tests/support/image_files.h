#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Image files for tests, encoded in memory: PNG, JPEG, BMP and TGA through
// stb_image_write, and palette PNGs written by hand (stb does not write them).
namespace testing_support {

// `pixels` holds width x height x channels bytes, first row first.
std::string pngFile(int width, int height, int channels, const std::vector<uint8_t>& pixels);
std::string jpegFile(int width, int height, int channels, const std::vector<uint8_t>& pixels);
std::string bmpFile(int width, int height, int channels, const std::vector<uint8_t>& pixels);
std::string tgaFile(int width, int height, int channels, const std::vector<uint8_t>& pixels);

// An 8-bit palette PNG: `palette` holds RGB triples, `indices` one byte per
// pixel.
std::string palettePngFile(int width, int height, const std::vector<uint8_t>& palette,
                           const std::vector<uint8_t>& indices);

// A one-component (greyscale) baseline JPEG, 8 x blocksWide by
// 8 x blocksHigh pixels, every pixel 128. Written by hand: stb only writes
// three-component JPEGs.
std::string greyJpegFile(int blocksWide, int blocksHigh);

// A width x height image of one colour.
std::vector<uint8_t> solidPixels(int width, int height, const std::vector<uint8_t>& colour);

}  // namespace testing_support
