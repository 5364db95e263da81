// Image files that lie: faults of the system's image decoder that crafted
// files reach (found by fuzzing), and headers claiming more pixels than the
// file could hold. Every one must be refused with 2945 before the decoder
// allocates for it or writes out of bounds (sanitizer builds catch both).
#include "api/texture/decoder_guard.h"
#include "api/texture/package_loader.h"
#include "api/texture/stb_decoder.h"

#include "engine/errors.h"
#include "support/image_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

int decodeCode(const std::string& file) {
  FWtexture::bitmap image;
  try {
    FWtexture::decodeImage(reinterpret_cast<const uint8_t*>(file.data()),
                           static_cast<uint32_t>(file.size()), image);
  } catch (int code) {
    return code;
  }
  return image.pixels != nullptr ? 0 : -1;
}

bool guarded(const std::string& file) {
  return FWtexture::hasKnownDecoderFault(reinterpret_cast<const uint8_t*>(file.data()),
                                         static_cast<uint32_t>(file.size()));
}

std::string bigEndian16(uint16_t value) {
  return std::string{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

// The grey JPEG of the test writers with its DC table's code counts
// replaced by `counts` (16 values); the segment length follows them.
std::string jpegWithDcCounts(const std::vector<uint8_t>& counts) {
  std::string file = greyJpegFile(1, 1);
  const size_t dht = file.find("\xFF\xC4");
  EXPECT_NE(dht, std::string::npos);
  for (size_t i = 0; i < 16; ++i) file[dht + 5 + i] = static_cast<char>(counts[i]);
  return file;
}

TEST(ImageHostile, JpegHuffmanTablesOfMoreThan256CodesAreRefused) {
  std::vector<uint8_t> counts(16, 0);
  counts[0] = 1;
  ASSERT_EQ(decodeCode(jpegWithDcCounts(counts)), 0);  // the writer's own table
  counts.assign(16, 17);                               // 272 codes
  const std::string overflowing = jpegWithDcCounts(counts);
  EXPECT_TRUE(guarded(overflowing));
  EXPECT_EQ(decodeCode(overflowing), errorCode::imageLoadFailed);
  // The decoder skips 0xFF fill before the start marker, so must the guard.
  EXPECT_TRUE(guarded("\xFF\xFF\xFF" + overflowing.substr(1)));
  EXPECT_EQ(decodeCode("\xFF\xFF\xFF" + overflowing.substr(1)), errorCode::imageLoadFailed);
  // Exactly 256 codes is a legal table.
  counts.assign(16, 16);
  EXPECT_FALSE(guarded(jpegWithDcCounts(counts)));
}

TEST(ImageHostile, ForgedHuffmanSegmentsEverywhereAreRefusedInLinearTime) {
  // Thousands of overlapping DHT markers, each claiming a long segment of
  // small tables: checking every one fully would take quadratic time.
  std::string file("\xFF\xD8", 2);
  for (int n = 0; n < 20000; ++n) {
    file += std::string("\xFF\xC4\xFF\xF0\x00", 5) + std::string(17, '\0');
  }
  EXPECT_TRUE(guarded(file));
  EXPECT_EQ(decodeCode(file), errorCode::imageLoadFailed);
}

TEST(ImageHostile, PngChunksLongerThanTheFileAreRefused) {
  const std::string png = pngFile(5, 3, 4, solidPixels(5, 3, {1, 2, 3, 4}));
  ASSERT_FALSE(guarded(png));
  const size_t idat = png.find("IDAT");
  ASSERT_NE(idat, std::string::npos);
  // The decoder would size its buffer from this length: 1.5 GiB.
  std::string lying = png;
  lying.replace(idat - 4, 4, std::string("\x60\x00\x00\x4A", 4));
  EXPECT_TRUE(guarded(lying));
  EXPECT_EQ(decodeCode(lying), errorCode::imageLoadFailed);
  // A file ending right after IEND's type (no checksum) still decodes.
  EXPECT_EQ(decodeCode(png.substr(0, png.size() - 4)), 0);
}

TEST(ImageHostile, AnHdrImageOfHeightZeroIsRefused) {
  std::string hdr = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 0 +X 4\n";
  hdr += std::string(16, '\x40');
  EXPECT_EQ(decodeCode(hdr), errorCode::imageLoadFailed);
  std::string proper = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 4\n";
  proper += std::string(16, '\x40');
  EXPECT_EQ(decodeCode(proper), 0);
}

TEST(ImageHostile, RawImagesCutShortAreRefusedNotFilledWithBlack) {
  const std::vector<uint8_t> pixels = solidPixels(16, 16, {200, 100, 50});
  // An uncompressed true-colour TGA (the writer's own are run-length coded,
  // and a cut run-length file cannot be told from a well-compressed one).
  std::string rawTga("\0\0\x02\0\0\0\0\0\0\0\0\0\x10\0\x10\0\x18\x20", 18);
  rawTga.append(pixels.begin(), pixels.end());
  for (const std::string& whole : {rawTga, bmpFile(16, 16, 3, pixels)}) {
    ASSERT_EQ(decodeCode(whole), 0);
    EXPECT_EQ(decodeCode(whole.substr(0, whole.size() / 2)), errorCode::imageLoadFailed);
  }
  // An uncompressed 3-channel Photoshop file of 8 x 8, cut in half.
  std::string psd = "8BPS" + bigEndian16(1) + std::string(6, '\0') + bigEndian16(3) +
                    std::string("\0\0\0\x08\0\0\0\x08", 8) + bigEndian16(8) + bigEndian16(3) +
                    std::string(12, '\0') + bigEndian16(0) + std::string(3 * 64, '\x55');
  ASSERT_EQ(decodeCode(psd), 0);
  EXPECT_EQ(decodeCode(psd.substr(0, psd.size() - 100)), errorCode::imageLoadFailed);
}

// Found by fuzzing: the decoder removes a white matte from Photoshop files
// with alpha, and a dark pixel with a faint alpha (which no real matted file
// has) makes it convert an out-of-range float to a byte. That costs a wrong
// pixel, not memory; such files decode, in sanitizer builds too.
TEST(ImageHostile, AnUnmattedPhotoshopPixelDecodes) {
  std::string psd = "8BPS" + bigEndian16(1) + std::string(6, '\0') + bigEndian16(4) +
                    std::string("\0\0\0\x02\0\0\0\x02", 8) + bigEndian16(8) + bigEndian16(3) +
                    std::string(12, '\0') + bigEndian16(0);
  psd += std::string(3 * 4, '\0') + std::string(4, '\x01');  // black, alpha 1/255
  EXPECT_EQ(decodeCode(psd), 0);
}

// Pixels of `file`, decoded right after the heap held `junk` everywhere the
// decoder's working memory may come from.
std::vector<uint8_t> pixelsAfterJunk(const std::string& file, uint8_t junk) {
  std::vector<void*> blocks;
  for (size_t size = 1024; size <= 96 * 1024; size += 1024) {
    blocks.push_back(std::malloc(size));
    std::memset(blocks.back(), junk, size);
  }
  for (void* block : blocks) std::free(block);
  FWtexture::bitmap image;
  FWtexture::decodeImage(reinterpret_cast<const uint8_t*>(file.data()),
                         static_cast<uint32_t>(file.size()), image);
  return std::vector<uint8_t>(image.pixels,
                              image.pixels + image.width * image.height * image.channels);
}

// Found by fuzzing (a report that came and went with the heap's contents):
// a JPEG scan may name a Huffman table no segment defined, and the decoder
// then decodes with whatever its memory held, reading past its tables.
// Its memory now starts zeroed, so such a file decodes the same every time.
TEST(ImageHostile, AScanNamingAnUndefinedHuffmanTableDecodesTheSameEveryTime) {
  std::string jpeg = greyJpegFile(2, 2);
  const size_t scan = jpeg.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  jpeg[scan + 6] = '\x01';  // the component's AC table: 1, never defined
  ASSERT_EQ(decodeCode(jpeg), 0);
  const std::vector<uint8_t> clean = pixelsAfterJunk(jpeg, 0);
  for (uint8_t junk : {0x03, 0x11, 0x7F, 0xBE}) {
    EXPECT_EQ(pixelsAfterJunk(jpeg, junk), clean) << "junk " << int{junk};
  }
}

TEST(ImageHostile, TinyFilesCannotClaimLargeCompressedImages) {
  // A JPEG frame header claiming 4096 x 4096 in a few hundred bytes: within
  // the side limit and the 64 MiB floor, but no JPEG data that short could
  // fill it, so it is refused before 16 M pixels are allocated.
  std::string jpeg = greyJpegFile(1, 1);
  const size_t frame = jpeg.find("\xFF\xC0");
  ASSERT_NE(frame, std::string::npos);
  jpeg.replace(frame + 5, 4, std::string("\x10\x00\x10\x00", 4));
  EXPECT_GT(FWtexture::smallestFileFor(reinterpret_cast<const uint8_t*>(jpeg.data()),
                                       static_cast<int>(jpeg.size()), 4096, 4096),
            jpeg.size());
  EXPECT_EQ(decodeCode(jpeg), errorCode::imageLoadFailed);
  // A PNG of the same claim.
  std::string png = pngFile(4, 4, 3, solidPixels(4, 4, {9, 9, 9}));
  png.replace(16, 8, std::string("\x00\x00\x10\x00\x00\x00\x10\x00", 8));
  EXPECT_EQ(decodeCode(png), errorCode::imageLoadFailed);
}

}  // namespace
