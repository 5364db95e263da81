#include "api/texture/package_loader.h"

#include "api/texture/registry.h"
#include "api/texture/stb_decoder.h"
#include "engine/errors.h"
#include "engine/file_buffer.h"
#include "engine/package.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace FWtexture {

void decodeImage(const uint8_t* data, uint32_t length, bitmap& target) {
  if (data == nullptr || length == 0 || length > static_cast<uint32_t>(INT_MAX)) {
    throw errorCode::imageLoadFailed;
  }
  int width = 0;
  int height = 0;
  int channels = 0;
  uint8_t* pixels = decodeWithStb(data, static_cast<int>(length), &width, &height, &channels);
  if (pixels == nullptr) {
    throw decodeRanOutOfMemory() ? errorCode::outOfMemory : errorCode::imageLoadFailed;
  }
  // The decoder accepts some headers with a zero side (an HDR of height 0);
  // an image without pixels is as damaged as one that fails to decode.
  if (width <= 0 || height <= 0 || channels < 1 || channels > 4) {
    std::free(pixels);
    throw errorCode::imageLoadFailed;
  }
  std::free(target.pixels);
  target.pixels = pixels;
  target.width = width;
  target.height = height;
  target.channels = channels;
}

void packageTextureLoader(const char* name, int32_t& flag, std::unique_ptr<bitmap>& result) {
  const std::string path = std::string("textures/") + name;
  flag = 1;
  auto image = std::make_unique<bitmap>();

  auto generator = textureGenerators.find(name);
  if (generator != textureGenerators.end() && generator->second.generate != nullptr) {
    generator->second.generate(*image, generator->second.userValue);
    result = std::move(image);
    return;
  }

  fileBuffer file;
  if (!readFile(path.c_str(), file) || file.length == 0) return;
  decodeImage(file.data, file.length, *image);
  result = std::move(image);
}

}  // namespace FWtexture
