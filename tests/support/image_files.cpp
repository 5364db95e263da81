#include "support/image_files.h"

#include <zlib.h>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace testing_support {

namespace {

void appendBytes(void* context, void* data, int size) {
  static_cast<std::string*>(context)->append(static_cast<const char*>(data),
                                             static_cast<size_t>(size));
}

std::string bigEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string pngChunk(const std::string& type, const std::string& data) {
  std::string body = type + data;
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  return bigEndian32(static_cast<uint32_t>(data.size())) + body + bigEndian32(crc);
}

}  // namespace

std::string pngFile(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
  std::string out;
  stbi_write_png_to_func(appendBytes, &out, width, height, channels, pixels.data(),
                         width * channels);
  return out;
}

std::string jpegFile(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
  std::string out;
  stbi_write_jpg_to_func(appendBytes, &out, width, height, channels, pixels.data(), 100);
  return out;
}

std::string bmpFile(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
  std::string out;
  stbi_write_bmp_to_func(appendBytes, &out, width, height, channels, pixels.data());
  return out;
}

std::string tgaFile(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
  std::string out;
  stbi_write_tga_to_func(appendBytes, &out, width, height, channels, pixels.data());
  return out;
}

std::string palettePngFile(int width, int height, const std::vector<uint8_t>& palette,
                           const std::vector<uint8_t>& indices) {
  std::string header = bigEndian32(static_cast<uint32_t>(width)) +
                       bigEndian32(static_cast<uint32_t>(height));
  header += std::string{8, 3, 0, 0, 0};  // 8 bits, palette, deflate, no filter, no interlace
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // filter: none
    raw.append(reinterpret_cast<const char*>(indices.data()) + y * width,
               static_cast<size_t>(width));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
           reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
  packed.resize(packedSize);
  return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) +
         pngChunk("PLTE", std::string(palette.begin(), palette.end())) +
         pngChunk("IDAT", packed) + pngChunk("IEND", "");
}

std::string greyJpegFile(int blocksWide, int blocksHigh) {
  const int width = 8 * blocksWide;
  const int height = 8 * blocksHigh;
  auto marker = [](uint8_t code, const std::string& body) {
    const auto length = static_cast<uint16_t>(body.size() + 2);
    return std::string{'\xFF', static_cast<char>(code), static_cast<char>(length >> 8),
                       static_cast<char>(length & 0xFF)} +
           body;
  };
  // One Huffman code, "0", for the only symbol each table needs: DC
  // difference 0 and end-of-block.
  std::string oneCode(16, '\0');
  oneCode[0] = 1;
  std::string out("\xFF\xD8", 2);
  out += marker(0xDB, std::string(1, '\0') + std::string(64, '\1'));
  out += marker(0xC0, std::string{8, static_cast<char>(height >> 8), static_cast<char>(height & 0xFF),
                                  static_cast<char>(width >> 8), static_cast<char>(width & 0xFF), 1,
                                  1, 0x11, 0});
  out += marker(0xC4, std::string(1, '\x00') + oneCode + std::string(1, '\0'));
  out += marker(0xC4, std::string(1, '\x10') + oneCode + std::string(1, '\0'));
  out += marker(0xDA, std::string{1, 1, 0, 0, 63, 0});
  // Two zero bits per block, padded with ones.
  const int bits = 2 * blocksWide * blocksHigh;
  std::string data(static_cast<size_t>(bits / 8), '\0');
  if (bits % 8 != 0) data += static_cast<char>(0xFF >> (bits % 8));
  out += data;
  out += std::string("\xFF\xD9", 2);
  return out;
}

std::vector<uint8_t> solidPixels(int width, int height, const std::vector<uint8_t>& colour) {
  std::vector<uint8_t> pixels;
  for (int n = 0; n < width * height; ++n) pixels.insert(pixels.end(), colour.begin(), colour.end());
  return pixels;
}

}  // namespace testing_support
