#include "content/image_encoding.h"

#include "content/content_error.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <png.h>

namespace content {

namespace {

struct jpegFailure {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void jpegErrorExit(j_common_ptr info) {
  auto* failure = reinterpret_cast<jpegFailure*>(info->err);
  (*info->err->format_message)(info, failure->message);
  std::longjmp(failure->jump, 1);
}

// The libjpeg part, free of C++ objects with destructors so that its error
// jump skips nothing. Returns false with `failure.message` set on error.
bool compressJpeg(int width, int height, int channels, const uint8_t* pixels, int quality,
                  unsigned char** output, unsigned long* outputSize, jpegFailure& failure) {
  jpeg_compress_struct info;
  info.err = jpeg_std_error(&failure.manager);
  failure.manager.error_exit = jpegErrorExit;
  if (setjmp(failure.jump) != 0) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  jpeg_mem_dest(&info, output, outputSize);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = channels;
  info.in_color_space = channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, quality, TRUE);
  info.optimize_coding = TRUE;
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(width) * channels;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + info.next_scanline * stride);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

struct pngFailure {
  char message[256];
};

void pngError(png_structp png, png_const_charp text) {
  auto* failure = static_cast<pngFailure*>(png_get_error_ptr(png));
  std::snprintf(failure->message, sizeof failure->message, "%s", text);
  png_longjmp(png, 1);
}

void pngWarning(png_structp, png_const_charp) {}

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
  static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<const char*>(data), length);
}

void pngFlush(png_structp) {}

bool compressPng(int width, int height, int channels, const uint8_t* pixels, std::string* output,
                 pngFailure& failure) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, pngError, pngWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, output, pngAppend, pngFlush);
  const int colourType = channels == 1   ? PNG_COLOR_TYPE_GRAY
                         : channels == 3 ? PNG_COLOR_TYPE_RGB
                                         : PNG_COLOR_TYPE_RGB_ALPHA;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               colourType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  const size_t stride = static_cast<size_t>(width) * channels;
  for (int y = 0; y < height; ++y) png_write_row(png, pixels + y * stride);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

void checkShape(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                const std::string& name) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<size_t>(width) * height * static_cast<size_t>(channels)) {
    throw contentError(name + ": pixel buffer does not match " + std::to_string(width) + "x" +
                       std::to_string(height) + "x" + std::to_string(channels));
  }
}

}  // namespace

std::string encodeJpeg(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                       int quality, const std::string& name) {
  if (channels != 1 && channels != 3) throw contentError(name + ": JPEG takes 1 or 3 channels");
  checkShape(width, height, channels, pixels, name);
  unsigned char* output = nullptr;
  unsigned long outputSize = 0;
  jpegFailure failure{};
  const bool ok = compressJpeg(width, height, channels, pixels.data(), quality, &output, &outputSize, failure);
  std::string bytes;
  if (ok) bytes.assign(reinterpret_cast<const char*>(output), outputSize);
  std::free(output);
  if (!ok) throw contentError(name + ": JPEG encoding failed: " + failure.message);
  return bytes;
}

std::string encodePng(int width, int height, int channels, const std::vector<uint8_t>& pixels,
                      const std::string& name) {
  if (channels != 1 && channels != 3 && channels != 4) {
    throw contentError(name + ": PNG takes 1, 3 or 4 channels");
  }
  checkShape(width, height, channels, pixels, name);
  std::string bytes;
  pngFailure failure{};
  if (!compressPng(width, height, channels, pixels.data(), &bytes, failure)) {
    throw contentError(name + ": PNG encoding failed: " + failure.message);
  }
  return bytes;
}

}  // namespace content
