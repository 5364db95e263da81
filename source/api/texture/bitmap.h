#pragma once

#include <cstdint>

namespace FWtexture {

// Decoded pixels on their way to a GL texture: rows first to last,
// `channels` bytes per pixel (1 grey, 2 grey+alpha, 3 RGB, 4 RGBA).
// `pixels` comes from malloc and is freed by the destructor.
class bitmap {
 public:
  // Reads GL_MAX_TEXTURE_SIZE (as queried at start-up) into maxSize; the
  // loader's bitmaps start at maxSize x maxSize, 3 channels, no pixels.
  bitmap();
  virtual ~bitmap();
  bitmap(const bitmap&) = delete;
  bitmap& operator=(const bitmap&) = delete;

  int32_t width = 0;
  int32_t height = 0;
  int32_t channels = 3;
  uint8_t* pixels = nullptr;
  int32_t maxSize = 0;
};

// The bitmap type palette-expanded images use; `tag` tells them apart.
class iBitmap : public bitmap {
 public:
  iBitmap() = default;
  virtual int32_t tag() const { return tagValue; }

  int32_t tagValue = 0;
};

}  // namespace FWtexture
