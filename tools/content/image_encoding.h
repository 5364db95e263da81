#pragma once

#include <cstdint>
#include <string>
#include <vector>

// JPEG and PNG files from 8-bit pixels, rows top first. Both encoders write
// no time stamps, so equal pixels give equal files.
namespace content {

// `channels` 1 (grey) or 3 (RGB); `quality` 1..100. Throws contentError.
std::string encodeJpeg(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                       int quality, const std::string& name);

// `channels` 1 (grey), 3 (RGB) or 4 (RGBA). Throws contentError.
std::string encodePng(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                      const std::string& name);

}  // namespace content
