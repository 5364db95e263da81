#include "engine/window_icon.h"

#include "api/texture/stb_decoder.h"
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "engine/window.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using decodedPicture = std::unique_ptr<uint8_t, decltype(&std::free)>;

// Decodes a package entry; null (and no halt) when it is missing or broken.
decodedPicture decodeEntry(const char* name, int* width, int* height, int* channels) {
  fileBuffer file;
  try {
    readFile(name, file);
  } catch (int) {
    return decodedPicture(nullptr, &std::free);
  }
  return decodedPicture(FWtexture::decodeWithStb(file.data, static_cast<int>(file.length), width,
                                                 height, channels),
                        &std::free);
}

}  // namespace

std::vector<uint8_t> shrinkToIcon(const uint8_t* pixels, const uint8_t* alpha, int width,
                                  int height, int channels, int side) {
  std::vector<uint8_t> icon(static_cast<size_t>(side * side * 4));
  for (int row = 0; row < side; ++row) {
    const int y0 = row * height / side;
    const int y1 = std::max(y0 + 1, (row + 1) * height / side);
    for (int column = 0; column < side; ++column) {
      const int x0 = column * width / side;
      const int x1 = std::max(x0 + 1, (column + 1) * width / side);
      long sums[4] = {0, 0, 0, 0};
      for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
          const uint8_t* pixel = pixels + (static_cast<size_t>(y) * width + x) * channels;
          for (int c = 0; c < 3; ++c) sums[c] += pixel[channels >= 3 ? c : 0];
          sums[3] += alpha != nullptr ? alpha[static_cast<size_t>(y) * width + x] : 255;
        }
      }
      const long count = static_cast<long>(y1 - y0) * (x1 - x0);
      uint8_t* out = &icon[static_cast<size_t>(row * side + column) * 4];
      for (int c = 0; c < 4; ++c) out[c] = static_cast<uint8_t>(sums[c] / count);
    }
  }
  return icon;
}

void showBadgeAsWindowIcon() {
  if (mainWindow == nullptr || mainWindow->hwnd == nullptr) return;
  int width = 0, height = 0, channels = 0;
  int alphaWidth = 0, alphaHeight = 0, alphaChannels = 0;
  const decodedPicture badge = decodeEntry("textures/badge12.png", &width, &height, &channels);
  const decodedPicture alpha =
      decodeEntry("textures/badge12a.png", &alphaWidth, &alphaHeight, &alphaChannels);
  if (!badge || width <= 0 || height <= 0) {
    std::fprintf(stderr, "Window icon: badge12.png is missing or unreadable; keeping the "
                         "desktop's default icon.\n");
    return;
  }
  // The alpha companion is used only when it matches the picture pixel for
  // pixel; its first channel is the coverage.
  std::vector<uint8_t> plane;
  if (alpha && alphaWidth == width && alphaHeight == height && alphaChannels > 0) {
    plane.resize(static_cast<size_t>(width) * height);
    for (size_t i = 0; i < plane.size(); ++i) plane[i] = alpha.get()[i * alphaChannels];
  }
  const std::vector<uint8_t> icon =
      shrinkToIcon(badge.get(), plane.empty() ? nullptr : plane.data(), width, height, channels,
                   windowIconSide);
  platform::setWindowIcon(mainWindow->hwnd, icon.data(), windowIconSide, windowIconSide);
}
