#include "frame_capture.h"

#include "frame_selection.h"

#include "api/gl/extensions.h"

#include <stb_image_write.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

bool pixelBuffersAvailable() {
  return ext::glGenBuffersARB != nullptr && ext::glBindBufferARB != nullptr &&
         ext::glBufferDataARB != nullptr && ext::glMapBufferARB != nullptr &&
         ext::glUnmapBufferARB != nullptr && ext::glDeleteBuffersARB != nullptr;
}

}  // namespace

frameCapture::~frameCapture() {
  finish();
  if (buffers_[0] != 0 && ext::glDeleteBuffersARB != nullptr) {
    ext::glDeleteBuffersARB(2, buffers_);
  }
}

void frameCapture::toPngFolder(const std::string& folder) { folder_ = folder; }

void frameCapture::toFlashCheck(flashAnalysis* analysis) { flashes_ = analysis; }

bool frameCapture::toEncoder(const std::string& command, bool yuv) {
  toEncoder_ = true;
  // readback_ is chosen at the first swap(), before the first frame is
  // handed to the writing thread.
  const yuvMatrix matrix = videoMatrixFor(height_);
  const auto convert = [this, yuv, matrix](const std::vector<uint8_t>& frame,
                                           std::vector<uint8_t>& bytes) {
    if (yuv) {
      bytes.resize(yuv420Bytes(width_, height_));
      toYuv420(readback_, frame.data(), width_, height_, matrix, bytes.data());
    } else {
      bytes.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3);
      toTopFirstRgb(readback_, frame.data(), width_, height_, bytes.data());
    }
  };
  if (encoder_.start(command, convert)) return true;
  fail("cannot start the video encoder: " + encoder_.lastError());
  return false;
}

void frameCapture::fail(const std::string& message) {
  if (!healthy_) return;
  std::fprintf(stderr, "amberrender: %s\n", message.c_str());
  healthy_ = false;
}

void frameCapture::swap() {
  if (!readbackPrepared_) {
    readbackPrepared_ = true;
    readback_ = readbackForCurrentFramebuffer();
    if (pixelBuffersAvailable()) {
      ext::glGenBuffersARB(2, buffers_);
      for (GLuint buffer : buffers_) {
        ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, buffer);
        ext::glBufferDataARB(GL_PIXEL_PACK_BUFFER_ARB, static_cast<GLsizeiptrARB>(readBytes()),
                             nullptr, GL_STREAM_READ_ARB);
      }
      ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, 0);
    }
  }
  const int64_t number = nextNumber_++;
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadBuffer(GL_BACK);
  if (buffers_[0] == 0) {
    pixels_.resize(readBytes());
    glReadPixels(0, 0, width_, height_, readback_.format, readback_.type, pixels_.data());
    handOn(pixels_.data(), number);
    return;
  }
  // Start this frame's read into one buffer, then hand on the frame that
  // has been waiting in the other.
  ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, buffers_[slot_]);
  glReadPixels(0, 0, width_, height_, readback_.format, readback_.type, nullptr);
  const int64_t waiting = pendingNumber_;
  pendingNumber_ = number;
  slot_ ^= 1;
  if (waiting >= 0) handOnBuffer(buffers_[slot_], waiting);
  ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, 0);
}

size_t frameCapture::readBytes() const {
  return static_cast<size_t>(width_) * static_cast<size_t>(height_) *
         static_cast<size_t>(frameReadback::bytesPerPixel);
}

void frameCapture::handOnBuffer(GLuint buffer, int64_t number) {
  ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, buffer);
  const auto* mapped =
      static_cast<const uint8_t*>(ext::glMapBufferARB(GL_PIXEL_PACK_BUFFER_ARB, GL_READ_ONLY_ARB));
  if (mapped != nullptr) handOn(mapped, number);
  else fail("cannot map the frame read back from the GPU");
  ext::glUnmapBufferARB(GL_PIXEL_PACK_BUFFER_ARB);
}

void frameCapture::handOn(const uint8_t* bottomFirst, int64_t number) {
  if (!healthy_ || (!toEncoder_ && folder_.empty() && flashes_ == nullptr)) return;
  if (toEncoder_) {
    // A copy, so that the conversion runs on the encoder's thread while the
    // next frame is drawn. The reason for a failure is the encoder's own;
    // finish() reports it once it has ended.
    forEncoder_.assign(bottomFirst, bottomFirst + readBytes());
    if (!encoder_.write(forEncoder_)) {
      encoderStopped_ = true;
      healthy_ = false;
    }
    return;
  }
  // GL reads the bottom row first; files want the top first.
  topFirst_.resize(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3);
  toTopFirstRgb(readback_, bottomFirst, width_, height_, topFirst_.data());
  if (flashes_ != nullptr) flashes_->addFrame(number, topFirst_.data());
  else writePng(topFirst_.data(), number);
}

void frameCapture::writePng(const uint8_t* topFirst, int64_t number) {
  const std::string path = framePngPath(folder_, number);
  // Compressed in memory first: stb's own file writer ignores write errors.
  png_.clear();
  const auto append = [](void* context, void* data, int size) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  };
  if (!stbi_write_png_to_func(append, &png_, width_, height_, 3, topFirst, width_ * 3)) {
    fail("cannot compress " + path);
    return;
  }
  // Written under a temporary name and renamed once whole, so that a frame
  // with its final name is always complete (what --resume relies on).
  const std::string partial = path + ".part";
  errno = 0;
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(png_.data(), 1, png_.size(), file) == png_.size() &&
                 std::fflush(file) == 0;
  int reason = errno;
  if (file != nullptr && std::fclose(file) != 0 && written) {
    written = false;
    reason = errno;
  }
  if (written && std::rename(partial.c_str(), path.c_str()) != 0) {
    written = false;
    reason = errno;
  }
  if (!written) {
    std::remove(partial.c_str());
    fail("cannot write " + path + ": " + std::strerror(reason != 0 ? reason : EIO));
  }
}

bool frameCapture::finish() {
  if (finished_) return healthy_;
  finished_ = true;
  if (pendingNumber_ >= 0 && buffers_[0] != 0) {
    handOnBuffer(buffers_[slot_ ^ 1], pendingNumber_);
    ext::glBindBufferARB(GL_PIXEL_PACK_BUFFER_ARB, 0);
    pendingNumber_ = -1;
  }
  if (!toEncoder_) return healthy_;
  const int status = encoder_.finish();
  if (status != 0 || encoderStopped_) {
    const std::string reason = encoder_.lastError();
    std::fprintf(stderr, "amberrender: the video encoder %s (status %d)%s%s\n",
                 encoderStopped_ ? "stopped taking frames" : "failed", status,
                 reason.empty() ? "" : ": ", reason.c_str());
    healthy_ = false;
  }
  return healthy_;
}
