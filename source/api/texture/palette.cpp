#include "api/texture/palette.h"

#include <algorithm>

namespace FWtexture {

const uint8_t paletteTable[8] = {0, 0, 0, 0, 255, 255, 255, 255};

void expandPalette(const uint8_t* indices, uint8_t* output, const bitmap& image, int32_t kind,
                   int32_t count) {
  if (kind < 1 || kind > 4 || indices == nullptr || output == nullptr || image.channels <= 0) {
    return;
  }
  const int32_t channels = image.channels;
  for (int32_t n = 0; n < count; ++n) {
    const int32_t index = indices[n] == 0 ? 0 : 1;
    const uint8_t* entry = paletteTable + index * kind;
    uint8_t colour[4];
    switch (kind) {
      case 1: colour[0] = colour[1] = colour[2] = entry[0]; colour[3] = 255; break;
      case 2: colour[0] = colour[1] = colour[2] = entry[0]; colour[3] = entry[1]; break;
      case 3: colour[0] = entry[0]; colour[1] = entry[1]; colour[2] = entry[2]; colour[3] = 255; break;
      default: std::copy(entry, entry + 4, colour); break;
    }
    for (int32_t c = 0; c < channels; ++c) *output++ = c < 4 ? colour[c] : 255;
  }
}

}  // namespace FWtexture
