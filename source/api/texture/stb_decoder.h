#pragma once

#include <cstdint>

namespace FWtexture {

// stb_image's load-from-memory with the file's own channel count, behind
// the decoder limits of package_loader.h. Null when the data cannot be
// decoded; otherwise malloc'd pixels the caller frees with free().
uint8_t* decodeWithStb(const uint8_t* data, int length, int* width, int* height, int* channels);

}  // namespace FWtexture
