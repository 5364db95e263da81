#pragma once

#include <cstdint>

namespace FWrender {

// Filter codes of TextureParams (the numbers the show's tables use).
enum textureFilter : int32_t {
  filterLinear = 0,
  filterNearest = 1,
  filterNearestMipmapNearest = 2,
  filterNearestMipmapLinear = 3,
  filterLinearMipmapNearest = 4,
  filterLinearMipmapLinear = 5,
};

// Wrap codes of TextureParams.
enum textureWrap : int32_t {
  wrapClamp = 0,
  wrapClampToEdge = 1,
  wrapRepeat = 2,
  wrapClampToBorder = 3,
  wrapMirroredRepeat = 4,
};

// How a GL texture is created (gfx::createTexture reads it). Filter, wrap
// and format fields hold small codes, not GL enums; see gfx::createTexture.
struct TextureParams {
  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 0;  // 1 luminance (or depth), 2 luminance+alpha, 4 RGBA, else RGB
  int32_t magFilter = filterLinear;  // a textureFilter code
  int32_t minFilter = filterLinear;
  bool generateMipmap = false;
  bool depth = false;
  int32_t format = 0;    // non-zero overrides channels
  int32_t dataType = 0;  // 3 ushort, 5 uint, 6 float, else ubyte
  int32_t wrapS = wrapClampToEdge;  // a textureWrap code
  int32_t wrapT = wrapClampToEdge;
  int32_t wrapR = wrapClampToEdge;
};

}  // namespace FWrender
