#include "api/texture/bitmap.h"

#include "api/gl/extensions.h"

#include <cstdlib>

namespace FWtexture {

bitmap::bitmap() : width(gfx::maxTextureSize), height(gfx::maxTextureSize), maxSize(gfx::maxTextureSize) {}

bitmap::~bitmap() { std::free(pixels); }

}  // namespace FWtexture
