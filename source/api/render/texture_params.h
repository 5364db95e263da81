#pragma once

#include <cstdint>

namespace FWrender {

// How a GL texture is created (gfx::createTexture reads it). Filter, wrap
// and format fields hold small codes, not GL enums; see gfx::createTexture.
struct TextureParams {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;  // 1 luminance (or depth), 2 luminance+alpha, 4 RGBA, else RGB
  int32_t magFilter = 0;
  int32_t minFilter = 0;
  bool generateMipmap = false;
  bool depth = false;
  int32_t format = 0;    // non-zero overrides channels
  int32_t dataType = 0;  // 3 ushort, 5 uint, 6 float, else ubyte
  int32_t wrapS = 1;
  int32_t wrapT = 1;
  int32_t wrapR = 1;
};

}  // namespace FWrender
