#include "api/texture/stb_decoder.h"

#include "api/texture/package_loader.h"

// The one translation unit that compiles the decoder. Its own dimension
// limit rejects forged headers before any pixel buffer is allocated.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_MAX_DIMENSIONS 8192
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <algorithm>

static_assert(STBI_MAX_DIMENSIONS == FWtexture::maxImageSide,
              "decoder limit and documented limit differ");

namespace FWtexture {

uint64_t decodeBudget(uint32_t fileLength) {
  return std::max(minimumDecodeBudget, uint64_t{fileLength} * maxExpansion);
}

uint8_t* decodeWithStb(const uint8_t* data, int length, int* width, int* height, int* channels) {
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
  return stbi_load_from_memory(data, length, width, height, channels, 0);
}

}  // namespace FWtexture
