#pragma once

#include "api/texture/bitmap.h"

#include <cstdint>
#include <memory>

namespace FWtexture {

// Images wider or taller than this are refused (code 2945).
constexpr int32_t maxImageSide = 8192;
// An image is also refused when its header claims more than
// max(minimumDecodeBudget, maxExpansion x file size) bytes at four channels:
// no real format packs pixels tighter than that, and a forged header in a
// small file cannot make the decoder allocate more than 64 MiB.
constexpr uint64_t minimumDecodeBudget = uint64_t{64} << 20;
constexpr uint64_t maxExpansion = 4096;

// The most bytes a file of `fileLength` bytes may decode to.
uint64_t decodeBudget(uint32_t fileLength);

// The loader hook installed at start-up: a registered generator of that
// name fills the bitmap; otherwise "textures/<name>" is read from the
// package and decoded. Throws 258 (missing entry) or 2945 (undecodable).
void packageTextureLoader(const char* name, int32_t& flag, std::unique_ptr<bitmap>& result);

// Decodes an image file held in memory into `target` with the file's own
// channel count (8 bits each). Throws 2945 when it cannot be decoded or has
// no pixels (a zero side).
// Cost: one allocation of width x height x channels bytes.
void decodeImage(const uint8_t* data, uint32_t length, bitmap& target);

}  // namespace FWtexture
