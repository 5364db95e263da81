#include "api/texture/bitmap.h"
#include "api/texture/package_loader.h"
#include "api/texture/palette.h"
#include "api/texture/registry.h"
#include "api/texture/upload.h"

#include "engine/errors.h"
#include "support/image_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

using namespace testing_support;

void fill(FWtexture::bitmap& image, int width, int height, int channels,
          const std::vector<uint8_t>& pixels) {
  std::free(image.pixels);
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.pixels = static_cast<uint8_t*>(std::malloc(pixels.size()));
  std::memcpy(image.pixels, pixels.data(), pixels.size());
}

uint8_t at(const FWtexture::bitmap& image, int x, int y, int channel) {
  return image.pixels[(y * image.width + x) * image.channels + channel];
}

int decodeCode(const std::string& file, FWtexture::bitmap& target) {
  try {
    FWtexture::decodeImage(reinterpret_cast<const uint8_t*>(file.data()),
                           static_cast<uint32_t>(file.size()), target);
  } catch (int code) {
    return code;
  }
  return 0;
}

TEST(TextureCacheKey, NameThenFiveCodeLetters) {
  FWrender::TextureParams params;
  params.minFilter = 5;
  params.generateMipmap = true;
  EXPECT_EQ(FWtexture::cacheKey("wood.jpg", params), "wood.jpg@@AAFBA");
  params.channels = 26;
  params.magFilter = 35;
  params.depth = true;
  params.minFilter = 0x105;  // only the low byte counts
  EXPECT_EQ(FWtexture::cacheKey("x", params), "x@@09FBB");
  // Wrap modes, format and data type do not take part.
  FWrender::TextureParams other = params;
  other.wrapS = 2;
  other.format = 11;
  other.dataType = 6;
  EXPECT_EQ(FWtexture::cacheKey("x", other), FWtexture::cacheKey("x", params));
  // Codes past the alphabet wrap instead of reading beyond it.
  params.channels = 36;
  EXPECT_EQ(FWtexture::cacheKey("x", params), "x@@A9FBB");
}

TEST(UploadSide, NearestPowerOfTwoOfTheLargerSide) {
  EXPECT_EQ(FWtexture::uploadSide(300, 200, 2048), 256);
  EXPECT_EQ(FWtexture::uploadSide(384, 100, 2048), 512);
  EXPECT_EQ(FWtexture::uploadSide(4096, 4096, 2048), 2048);
  // One side past the limit is enough to cap the square at the limit: a
  // larger texture could not be created.
  EXPECT_EQ(FWtexture::uploadSide(4096, 1024, 2048), 2048);
  EXPECT_EQ(FWtexture::uploadSide(8192, 1, 4096), 4096);
  EXPECT_EQ(FWtexture::uploadSide(1, 1, 2048), 1);
  EXPECT_EQ(FWtexture::uploadSide(1, 3, 2048), 4);
  EXPECT_EQ(FWtexture::uploadSide(182, 2, 2048), 256);  // log2 182 = 7.51
  EXPECT_EQ(FWtexture::uploadSide(181, 2, 2048), 128);  // log2 181 = 7.4998
}

TEST(Resample, TwoByTwoToFourByFourKeepsTheCorners) {
  FWtexture::bitmap image;
  fill(image, 2, 2, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30});
  FWtexture::resample(image, 4, 4);
  ASSERT_EQ(image.width, 4);
  ASSERT_EQ(image.height, 4);
  EXPECT_EQ(at(image, 0, 0, 0), 255);
  EXPECT_EQ(at(image, 3, 0, 1), 255);
  EXPECT_EQ(at(image, 0, 3, 2), 255);
  EXPECT_EQ(at(image, 3, 3, 0), 10);
  EXPECT_EQ(at(image, 3, 3, 1), 20);
  EXPECT_EQ(at(image, 3, 3, 2), 30);
  // One third of the way from red to green: 255 * 2/3 = 170, 255 / 3 = 85.
  EXPECT_EQ(at(image, 1, 0, 0), 170);
  EXPECT_EQ(at(image, 1, 0, 1), 85);
}

TEST(Resample, RoundsToNearest) {
  FWtexture::bitmap image;
  fill(image, 2, 2, 1, {0, 1, 0, 1});
  FWtexture::resample(image, 3, 2);  // the middle column is 0.5
  EXPECT_EQ(at(image, 1, 0, 0), 1);
  fill(image, 2, 2, 1, {0, 3, 0, 3});
  FWtexture::resample(image, 5, 2);  // 0.75 and 2.25
  EXPECT_EQ(at(image, 1, 0, 0), 1);
  EXPECT_EQ(at(image, 3, 0, 0), 2);
}

TEST(Resample, AtItsOwnSizeAnImageComesBackUnchanged) {
  // Every weight is 0 or 1 there, so the bilinear pass would give each pixel
  // back; pictures already at their upload size rely on that.
  for (const auto& [width, height, channels] :
       std::vector<std::tuple<int, int, int>>{{37, 23, 3}, {2, 2, 4}, {2, 5, 1}, {64, 2, 2}}) {
    FWtexture::bitmap image;
    std::vector<uint8_t> pixels(static_cast<size_t>(width * height * channels));
    uint32_t seed = 99;
    for (uint8_t& value : pixels) {
      seed = seed * 1103515245u + 12345u;
      value = static_cast<uint8_t>(seed >> 23);
    }
    fill(image, width, height, channels, pixels);
    FWtexture::resample(image, width, height);
    ASSERT_EQ(image.width, width);
    ASSERT_EQ(image.height, height);
    EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), image.pixels))
        << width << " x " << height << " x " << channels;
  }
}

TEST(Resample, OnePixelWideOrHighSourcesRepeatTheirOnlyColumnOrRow) {
  FWtexture::bitmap column;
  fill(column, 1, 3, 1, {0, 100, 200});
  FWtexture::resample(column, 4, 4);
  ASSERT_EQ(column.width, 4);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(at(column, x, 0, 0), 0);
    EXPECT_EQ(at(column, x, 3, 0), 200);
  }
  FWtexture::bitmap dot;
  fill(dot, 1, 1, 4, {1, 2, 3, 4});
  FWtexture::resample(dot, 2, 2);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(dot.pixels[p * 4 + 3], 4);
}

TEST(Resample, TargetsBelowTwoOrMissingPixelsChangeNothing) {
  FWtexture::bitmap image;
  fill(image, 2, 2, 1, {1, 2, 3, 4});
  uint8_t* before = image.pixels;
  FWtexture::resample(image, 1, 4);
  EXPECT_EQ(image.pixels, before);
  EXPECT_EQ(image.width, 2);
  FWtexture::bitmap empty;
  empty.width = 4;
  empty.height = 4;
  FWtexture::resample(empty, 8, 8);
  EXPECT_EQ(empty.pixels, nullptr);
  EXPECT_EQ(empty.width, 4);
}

TEST(ExpandPalette, EachKindReadsTheTableWithItsEntrySize) {
  const uint8_t indices[2] = {0, 1};
  FWtexture::iBitmap rgba;
  rgba.channels = 4;
  uint8_t out[8];
  FWtexture::expandPalette(indices, out, rgba, 4, 2);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{0, 0, 0, 0, 255, 255, 255, 255}));
  FWtexture::expandPalette(indices, out, rgba, 3, 2);  // entry 1 starts at byte 3
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{0, 0, 0, 255, 0, 255, 255, 255}));
  FWtexture::expandPalette(indices, out, rgba, 2, 2);  // (value, alpha)
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0}));
  FWtexture::expandPalette(indices, out, rgba, 1, 2);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 8), (std::vector<uint8_t>{0, 0, 0, 255, 0, 0, 0, 255}));
  FWtexture::iBitmap rgb;
  rgb.channels = 3;
  uint8_t three[6];
  const uint8_t stray[2] = {1, 200};  // an index past the table reads as 1
  FWtexture::expandPalette(stray, three, rgb, 4, 2);
  EXPECT_EQ(std::vector<uint8_t>(three, three + 6), (std::vector<uint8_t>(6, 255)));
  EXPECT_EQ(rgb.tag(), 0);
}

TEST(DecodeImage, KeepsTheFilesOwnChannelCount) {
  struct sample {
    std::string file;
    int channels;
    int height = 4;
  };
  const std::vector<uint8_t> grey = solidPixels(8, 4, {90});
  const std::vector<uint8_t> greyAlpha = solidPixels(8, 4, {90, 128});
  const std::vector<uint8_t> rgb = solidPixels(8, 4, {10, 200, 30});
  const std::vector<uint8_t> rgba = solidPixels(8, 4, {10, 200, 30, 77});
  const std::vector<sample> samples = {
      {pngFile(8, 4, 1, grey), 1},   {pngFile(8, 4, 2, greyAlpha), 2},
      {pngFile(8, 4, 4, rgba), 4},   {greyJpegFile(1, 1), 1, 8},
      {jpegFile(8, 4, 3, rgb), 3},   {bmpFile(8, 4, 3, rgb), 3},
      {tgaFile(8, 4, 4, rgba), 4},   {palettePngFile(8, 4, {255, 0, 0, 0, 0, 255}, std::vector<uint8_t>(32, 1)), 3}};
  for (size_t s = 0; s < samples.size(); ++s) {
    FWtexture::bitmap image;
    ASSERT_EQ(decodeCode(samples[s].file, image), 0) << "sample " << s;
    EXPECT_EQ(image.width, 8) << "sample " << s;
    EXPECT_EQ(image.height, samples[s].height) << "sample " << s;
    EXPECT_EQ(image.channels, samples[s].channels) << "sample " << s;
  }
  FWtexture::bitmap greyJpeg;
  decodeCode(samples[3].file, greyJpeg);
  EXPECT_EQ(at(greyJpeg, 5, 5, 0), 128);
  FWtexture::bitmap palette;
  decodeCode(samples.back().file, palette);
  EXPECT_EQ(at(palette, 3, 2, 0), 0);
  EXPECT_EQ(at(palette, 3, 2, 2), 255);
}

TEST(DecodeImage, DamagedOrForgedFilesAreCode2945) {
  FWtexture::bitmap image;
  EXPECT_EQ(decodeCode("not an image at all", image), errorCode::imageLoadFailed);
  EXPECT_EQ(image.pixels, nullptr);
  std::string png = pngFile(16, 16, 3, solidPixels(16, 16, {1, 2, 3}));
  EXPECT_EQ(decodeCode(png.substr(0, png.size() / 2), image), errorCode::imageLoadFailed);
  EXPECT_EQ(decodeCode("", image), errorCode::imageLoadFailed);

  // A PNG header claiming 100000 x 100000 pixels: refused by size.
  std::string huge = png;
  huge.replace(16, 8, std::string("\x00\x01\x86\xa0\x00\x01\x86\xa0", 8));
  EXPECT_EQ(decodeCode(huge, image), errorCode::imageLoadFailed);

  // A TGA header claiming 8000 x 8000 (within the side limit) in a tiny
  // file: the decoder would allocate the whole image before reading.
  std::string tga = tgaFile(2, 2, 3, solidPixels(2, 2, {1, 2, 3}));
  tga.replace(12, 4, std::string("\x40\x1f\x40\x1f", 4));
  EXPECT_EQ(decodeCode(tga, image), errorCode::imageLoadFailed);
  EXPECT_GE(FWtexture::decodeBudget(20), uint64_t{64} << 20);
  EXPECT_EQ(FWtexture::decodeBudget(1 << 20), uint64_t{4096} << 20);
}

TEST(DecodeImage, SidesUpToTheLimitDecode) {
  FWtexture::bitmap wide;
  EXPECT_EQ(decodeCode(pngFile(8192, 1, 1, std::vector<uint8_t>(8192, 7)), wide), 0);
  EXPECT_EQ(wide.width, 8192);
  FWtexture::bitmap wider;
  EXPECT_EQ(decodeCode(pngFile(8193, 1, 1, std::vector<uint8_t>(8193, 7)), wider),
            errorCode::imageLoadFailed);
}

}  // namespace
