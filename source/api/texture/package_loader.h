#pragma once

#include "api/texture/bitmap.h"

#include <cstdint>
#include <memory>

namespace FWtexture {

// Images wider or taller than this are refused by the decoder (code 2945),
// so a forged header cannot make it allocate more than
// maxImageSide^2 x 4 bytes (256 MiB).
constexpr int32_t maxImageSide = 8192;

// The loader hook installed at start-up: a registered generator of that
// name fills the bitmap; otherwise "textures/<name>" is read from the
// package and decoded. Throws 258 (missing entry) or 2945 (undecodable).
void packageTextureLoader(const char* name, int32_t& flag, std::unique_ptr<bitmap>& result);

// Decodes an image file held in memory into `target` with the file's own
// channel count (8 bits each). Throws 2945 when it cannot be decoded.
// Cost: one allocation of width x height x channels bytes.
void decodeImage(const uint8_t* data, uint32_t length, bitmap& target);

}  // namespace FWtexture
