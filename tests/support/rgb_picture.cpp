#include "support/rgb_picture.h"

#include "api/texture/stb_decoder.h"
#include "support/test_package.h"

namespace testing_support {

rgbPicture readRgbPicture(const std::string& path) {
  const std::string file = readWholeFile(path);
  rgbPicture read;
  int channels = 0;
  read.pixels.reset(FWtexture::decodeWithStb(reinterpret_cast<const uint8_t*>(file.data()),
                                             static_cast<int>(file.size()), &read.width,
                                             &read.height, &channels));
  if (channels != 3) read.pixels.reset();
  return read;
}

}  // namespace testing_support
