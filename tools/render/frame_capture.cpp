#include "frame_capture.h"

#include "api/gl/gl.h"

#include <stb_image_write.h>

#include <algorithm>
#include <cstring>

frameCapture::~frameCapture() { finish(); }

void frameCapture::toPngFolder(const std::string& folder, int64_t first) {
  folder_ = folder;
  next_ = first;
}

bool frameCapture::toPipe(const std::string& command) {
  pipe_ = popen(command.c_str(), "w");
  return pipe_ != nullptr;
}

int frameCapture::finish() {
  if (pipe_ == nullptr) return 0;
  const int status = pclose(pipe_);
  pipe_ = nullptr;
  return status;
}

void frameCapture::swap() {
  const size_t rowBytes = static_cast<size_t>(width_) * 3;
  pixels_.resize(rowBytes * static_cast<size_t>(height_));
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, pixels_.data());
  if (!healthy_) return;

  if (pipe_ != nullptr) {
    // ffmpeg flips the rows itself (GL reads the bottom row first).
    if (std::fwrite(pixels_.data(), 1, pixels_.size(), pipe_) != pixels_.size()) {
      std::fprintf(stderr, "amberrender: the video encoder stopped taking frames\n");
      healthy_ = false;
    }
    return;
  }
  if (folder_.empty()) return;
  topFirst_.resize(pixels_.size());
  for (int32_t row = 0; row < height_; ++row) {
    std::memcpy(&topFirst_[rowBytes * static_cast<size_t>(row)],
                &pixels_[rowBytes * static_cast<size_t>(height_ - 1 - row)], rowBytes);
  }
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(next_++));
  const std::string path = folder_ + name;
  if (!stbi_write_png(path.c_str(), width_, height_, 3, topFirst_.data(),
                      static_cast<int>(rowBytes))) {
    std::fprintf(stderr, "amberrender: cannot write %s\n", path.c_str());
    healthy_ = false;
  }
}
