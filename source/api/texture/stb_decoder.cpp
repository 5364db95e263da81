#include "api/texture/stb_decoder.h"

#include "api/texture/decoder_guard.h"
#include "api/texture/package_loader.h"

#include <cstdlib>
#include <cstring>

// The one translation unit that compiles the decoder. Its own dimension
// limit rejects forged headers before any pixel buffer is allocated. Only
// the formats the show reads are compiled in (no GIF, PIC or PNM): the
// decoders nobody uses are the ones nobody would notice misbehave.
//
// Its working memory starts zeroed: a crafted JPEG can make it decode with
// a Huffman table no segment defined, which would otherwise be whatever the
// heap held (and lead its lookups out of bounds); zeroed tables decode as
// one fixed, short code.
#define STBI_MALLOC(size) std::calloc(1, size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_PSD
#define STBI_ONLY_TGA
#define STBI_ONLY_HDR
#define STBI_MAX_DIMENSIONS 8192
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <algorithm>

static_assert(STBI_MAX_DIMENSIONS == FWtexture::maxImageSide,
              "decoder limit and documented limit differ");

namespace FWtexture {

namespace {

uint32_t le16(const uint8_t* data, int length, int at) {
  return at + 2 <= length ? uint32_t{data[at]} | uint32_t{data[at + 1]} << 8 : 0;
}

uint32_t be16(const uint8_t* data, int length, int at) {
  return at + 2 <= length ? uint32_t{data[at]} << 8 | data[at + 1] : 0;
}

uint32_t be32(const uint8_t* data, int length, int64_t at) {
  if (at < 0 || at + 4 > length) return 0;
  return uint32_t{data[at]} << 24 | uint32_t{data[at + 1]} << 16 | uint32_t{data[at + 2]} << 8 |
         data[at + 3];
}

// PSD: the compression word follows three sections that each start with
// their own 32-bit length.
uint32_t psdCompression(const uint8_t* data, int length) {
  int64_t at = 26;
  for (int section = 0; section < 3; ++section) at += 4 + int64_t{be32(data, length, at)};
  return at + 2 <= length ? be16(data, length, static_cast<int>(at)) : 0;
}

}  // namespace

uint64_t smallestFileFor(const uint8_t* data, int length, uint64_t width, uint64_t height) {
  const uint64_t pixels = width * height;
  stbi__context context;
  // The formats in the order the decoder tries them.
  stbi__start_mem(&context, data, length);
  if (stbi__png_test(&context)) {
    // Deflate expands at most about 1032 times; every row has a filter byte.
    static const uint64_t channelsOfType[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint64_t depth = length > 24 ? data[24] : 0;
    const uint64_t type = length > 25 ? data[25] : 0;
    const uint64_t bits = depth * (type < 7 ? channelsOfType[type] : 0);
    return height * (1 + (width * bits + 7) / 8) / 1032;
  }
  if (stbi__bmp_test(&context)) {
    // Uncompressed rows (the decoder reads no run-length BMPs).
    const bool core = le16(data, length, 14) == 12;
    const uint64_t bits = le16(data, length, core ? 24 : 28);
    return pixels * bits / 8;
  }
  if (stbi__psd_test(&context)) {
    const uint64_t channels = std::min<uint64_t>(be16(data, length, 12), 4);
    const uint64_t bytes = channels * pixels * (be16(data, length, 22) / 8);
    // Run-length rows: at most 128 bytes per 2, after a count per row.
    return psdCompression(data, length) == 0 ? bytes : bytes / 64;
  }
  if (stbi__jpeg_test(&context)) {
    // At least one bit per 8 x 8 block, even with the shortest codes and
    // progressive runs of empty blocks.
    return pixels / 512;
  }
  if (stbi__hdr_test(&context)) {
    // Run-length scanlines: at most 127 values per 2 bytes, 4 per pixel.
    return pixels / 32;
  }
  if (stbi__tga_test(&context)) {
    const bool indexed = length > 1 && data[1] != 0;
    const uint32_t type = length > 2 ? data[2] : 0;
    const uint64_t bits = length > 16 ? data[16] : 0;
    const uint64_t bytesPerPixel = indexed ? bits / 8 : (bits + 7) / 8;
    // Run-length packets hold at most 128 pixels after one header byte.
    return type >= 8 ? (pixels + 127) / 128 * (1 + bytesPerPixel) : pixels * bytesPerPixel;
  }
  return 0;
}

uint64_t decodeBudget(uint32_t fileLength) {
  return std::max(minimumDecodeBudget, uint64_t{fileLength} * maxExpansion);
}

uint8_t* decodeWithStb(const uint8_t* data, int length, int* width, int* height, int* channels) {
  if (hasKnownDecoderFault(data, static_cast<uint32_t>(length))) return nullptr;
  // Some formats allocate the whole image from the header before reading
  // any pixel data, so the claimed size is checked first.
  int claimedWidth = 0;
  int claimedHeight = 0;
  int claimedChannels = 0;
  if (!stbi_info_from_memory(data, length, &claimedWidth, &claimedHeight, &claimedChannels)) {
    return nullptr;
  }
  const uint64_t claimedBytes = uint64_t(claimedWidth) * uint64_t(claimedHeight) * 4;
  if (claimedBytes > decodeBudget(static_cast<uint32_t>(length))) return nullptr;
  // The decoder reads zeros past the end of the data and still succeeds, so
  // a cut-short file (or a forged header in a tiny one) would come out as
  // a large mostly black image; a file too short for its size is damaged.
  if (uint64_t(length) < smallestFileFor(data, length, uint64_t(claimedWidth),
                                         uint64_t(claimedHeight))) {
    return nullptr;
  }
  stbi__g_failure_reason = nullptr;
  return stbi_load_from_memory(data, length, width, height, channels, 0);
}

bool decodeRanOutOfMemory() {
  const char* reason = stbi_failure_reason();
  return reason != nullptr && std::strcmp(reason, "Out of memory") == 0;
}

}  // namespace FWtexture
