#pragma once

#include <cstdint>

namespace FWtexture {

// The image decoder the system provides has faults that crafted files reach
// (found by fuzzing it). This looks for the structures that trigger them,
// so such files are refused as damaged before the decoder sees them:
// - a JPEG Huffman table (DHT segment) listing more than 256 codes, which
//   the decoder writes past its 256-entry tables;
// - a PNG chunk longer than the rest of the file: the decoder allocates its
//   buffer from the stated length (up to 4 GiB) and can loop for ever
//   doubling a size that wraps around;
// - a JPEG whose forged, overlapping segments would make this check itself
//   take more than linear time.
// Looks at `length` bytes and nothing past them; linear in the length.
bool hasKnownDecoderFault(const uint8_t* data, uint32_t length);

}  // namespace FWtexture
