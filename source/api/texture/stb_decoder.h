#pragma once

#include <cstdint>

namespace FWtexture {

// The fewest bytes a real file of its format could hold for an image of
// width x height, from the format's best compression (0 for formats it does
// not know): raw pixels for uncompressed BMP, TGA and PSD, a fraction of
// them for run-length, deflate and JPEG data. Reads only inside `length`.
uint64_t smallestFileFor(const uint8_t* data, int length, uint64_t width, uint64_t height);

// stb_image's load-from-memory with the file's own channel count, behind
// the decoder limits of package_loader.h, the known-fault checks of
// decoder_guard.h and smallestFileFor. Null when the data cannot be
// decoded; otherwise malloc'd pixels the caller frees with free().
uint8_t* decodeWithStb(const uint8_t* data, int length, int* width, int* height, int* channels);

// Whether the last decodeWithStb returned null for want of memory rather
// than for damaged data.
bool decodeRanOutOfMemory();

}  // namespace FWtexture
