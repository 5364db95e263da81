// Image loading over arbitrary bytes, through the texture loader hook the
// show installs: the input is the package entry textures/fuzz.img, the hook
// reads and decodes it, and the bitmap is then resampled to its upload size
// and palette-expanded as the upload and the font atlas do, without GL.
#include "api/gl/extensions.h"
#include "api/texture/bitmap.h"
#include "api/texture/palette.h"
#include "api/texture/registry.h"
#include "api/texture/upload.h"
#include "engine/package.h"
#include "fuzz_support.h"

#include <zip.h>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// llvmpipe's limit, the one the show meets headless.
constexpr int32_t textureSizeLimit = 16384;

// The upload squares images to their power-of-two side: a long strip (8192 x
// 1) becomes 8192 x 8192, which takes seconds under the sanitizers. Sides
// above this are resampled at this side instead, through the same code.
constexpr int32_t largestFuzzedSide = 256;

void writePackage(const uint8_t* data, size_t size) {
  zipFile zip = zipOpen64(fuzzing::scratchPackagePath().c_str(), APPEND_STATUS_CREATE);
  fuzzing::require(zip != nullptr, "the scratch package can be written");
  zip_fileinfo info{};
  bool ok = zipOpenNewFileInZip64(zip, "textures/fuzz.img", &info, nullptr, 0, nullptr, 0,
                                  nullptr, 0, 0, 1) == ZIP_OK;
  ok = ok && zipWriteInFileInZip(zip, data, static_cast<unsigned>(size)) == ZIP_OK;
  ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  ok = zipClose(zip, nullptr) == ZIP_OK && ok;
  fuzzing::require(ok, "the scratch package is written whole");
}

void uploadWithoutGl(FWtexture::bitmap& image) {
  const int32_t side = FWtexture::uploadSide(image.width, image.height, image.maxSize);
  fuzzing::require(side >= 1 && side <= 16384, "the upload side is a sane power of two");
  fuzzing::require((side & (side - 1)) == 0, "the upload side is a power of two");
  const int32_t fuzzedSide = side > largestFuzzedSide ? largestFuzzedSide : side;
  FWtexture::resample(image, fuzzedSide, fuzzedSide);
  if (fuzzedSide >= 2) {
    fuzzing::require(image.width == fuzzedSide && image.height == fuzzedSide,
                     "resampling gives the asked size");
  }
}

void expandLikeTheAtlas(const FWtexture::bitmap& image, int32_t kind) {
  FWtexture::iBitmap atlas;
  atlas.channels = 4;
  const int32_t count = image.width * image.channels;  // the first row's bytes
  std::vector<uint8_t> output(static_cast<size_t>(count) * 4);
  FWtexture::expandPalette(image.pixels, output.data(), atlas, kind, count);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::makeScratchFolder();
  gfx::maxTextureSize = textureSizeLimit;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX / 2) return 0;
  writePackage(data, size);
  fuzzing::openScratchPackage();
  int32_t flag = 0;
  std::unique_ptr<FWtexture::bitmap> image;
  try {
    FWtexture::textureLoader("fuzz.img", flag, image);
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::imageLoadFailed, errorCode::packageEntryMissing});
    fuzzing::require(code != errorCode::packageEntryMissing || size == 0,
                     "only an empty entry is missing");
  }
  closePackage(package);
  if (image == nullptr) return 0;
  fuzzing::require(flag == 1, "a decoded bitmap is flagged for upload");
  fuzzing::require(image->pixels != nullptr && image->width > 0 && image->height > 0,
                   "a decoded bitmap has pixels");
  fuzzing::require(image->channels >= 1 && image->channels <= 4, "1 to 4 channels");
  fuzzing::require(image->width <= 8192 && image->height <= 8192, "the decoder's side limit holds");
  expandLikeTheAtlas(*image, 1 + static_cast<int32_t>(size % 4));
  uploadWithoutGl(*image);
  return 0;
}
