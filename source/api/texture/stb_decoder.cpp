#include "api/texture/stb_decoder.h"

#include "api/texture/package_loader.h"

// The one translation unit that compiles the decoder. Its own dimension
// limit rejects forged headers before any pixel buffer is allocated.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_MAX_DIMENSIONS 8192
#define STBI_NO_STDIO
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

static_assert(STBI_MAX_DIMENSIONS == FWtexture::maxImageSide, "decoder limit and documented limit differ");

namespace FWtexture {

uint8_t* decodeWithStb(const uint8_t* data, int length, int* width, int* height, int* channels) {
  return stbi_load_from_memory(data, length, width, height, channels, 0);
}

}  // namespace FWtexture
