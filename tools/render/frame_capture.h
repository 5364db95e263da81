#pragma once

#include "encoder_process.h"
#include "flash_analysis.h"
#include "frame_pixels.h"

#include "api/gl/gl.h"
#include "engine/shell.h"

#include <cstdint>
#include <string>
#include <vector>

// Where the offline renderer's frames go: PNG files, the video encoder's
// input, the flash check, or nowhere (timing only). Stands in for the window's presenter.
// Frames are read back through two pixel-buffer objects: a frame is handed
// on while the one after it is being drawn.
class frameCapture : public presenter {
 public:
  frameCapture(int32_t width, int32_t height) : width_(width), height_(height) {}
  ~frameCapture() override;

  // Writes each frame as <folder>/frame_NNNNNN.png.
  void toPngFolder(const std::string& folder);
  // Hands each frame, as RGB bytes, to `analysis` (not owned).
  void toFlashCheck(flashAnalysis* analysis);
  // Sends raw frames, top row first, to `command`'s standard input: planar
  // YUV 4:2:0 in the matrix of the picture's height when `yuv` (see
  // toYuv420), else RGB bytes. False, with the reason on stderr, when it
  // cannot be started.
  bool toEncoder(const std::string& command, bool yuv);
  // The song frame number of the next frame swap() receives (the PNG name).
  void nextFrameIs(int64_t frame) { nextNumber_ = frame; }

  // Hands on the frame still held back, closes the encoder and waits for it.
  // False (with the reason on stderr) when any frame could not be written or
  // the encoder failed.
  bool finish();

  // Starts reading the finished frame back and hands on the previous one.
  void swap() override;
  bool pumpMessages() override { return false; }

  // False once a frame could not be written; the reason is on stderr.
  bool healthy() const { return healthy_; }

 private:
  void handOn(const uint8_t* bottomFirst, int64_t number);
  // Maps the pixel buffer `buffer` (frame `number`) and hands it on; leaves
  // the buffer bound.
  void handOnBuffer(GLuint buffer, int64_t number);
  void writePng(const uint8_t* topFirst, int64_t number);
  void fail(const std::string& message);
  size_t readBytes() const;

  int32_t width_;
  int32_t height_;
  std::string folder_;
  flashAnalysis* flashes_ = nullptr;
  encoderProcess encoder_;
  bool toEncoder_ = false;
  bool finished_ = false;
  bool encoderStopped_ = false;
  bool healthy_ = true;
  int64_t nextNumber_ = 0;
  GLuint buffers_[2] = {0, 0};
  bool readbackPrepared_ = false;  // the read's layout chosen, pixel buffers made
  frameReadback readback_;
  int slot_ = 0;
  int64_t pendingNumber_ = -1;  // the frame waiting in buffers_[slot_ ^ 1]
  std::vector<uint8_t> pixels_;
  std::vector<uint8_t> topFirst_;
  std::vector<uint8_t> forEncoder_;  // as read back; the encoder's thread converts it
  std::vector<uint8_t> png_;
};
