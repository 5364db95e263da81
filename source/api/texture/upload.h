#pragma once

#include "api/texture/bitmap.h"

#include <cstdint>

namespace FWrender {
class texture;
}

namespace FWtexture {

// The square power-of-two side a width x height image is uploaded at: each
// side rounded to the nearest power of two (by its logarithm), the larger
// one taken, and never more than maxSize (the GL limit; 0 when unknown,
// which caps nothing). Pure.
int32_t uploadSide(int32_t width, int32_t height, int32_t maxSize);

// Resamples `image` to its upload side and creates the texture's GL
// texture from it (params width, height and channels are set here). A
// bitmap without pixels, with a zero size or with other than 1-4 channels
// is not uploaded and leaves glId at 0. Needs a current context; one
// allocation of side^2 x channels bytes.
void uploadBitmap(bitmap& image, FWrender::texture& target);

// Bilinear resize in place to newWidth x newHeight, rounding to nearest.
// Does nothing without pixels, when a target side is below 2, or at the
// image's own size (where the resize is exact); otherwise costs one pass
// over the new size and a new buffer. A source only 1 pixel wide (or high)
// repeats that column (row). Throws 2 when the buffer cannot be allocated.
void resample(bitmap& image, int32_t newWidth, int32_t newHeight);

}  // namespace FWtexture
