#pragma once

#include "engine/shell.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Where the offline renderer's frames go: PNG files, an ffmpeg pipe, or
// nowhere (timing only). Stands in for the window's presenter.
class frameCapture : public presenter {
 public:
  frameCapture(int32_t width, int32_t height) : width_(width), height_(height) {}
  ~frameCapture() override;

  // Writes each frame as <folder>/frame_NNNNNN.png (numbered from `first`).
  void toPngFolder(const std::string& folder, int64_t first);
  // Pipes raw frames to `command` (an ffmpeg command line reading rgb24
  // from stdin). False when the command cannot be started.
  bool toPipe(const std::string& command);
  // Closes the pipe; the exit status of its command (0 when there is none).
  int finish();

  // Reads the finished frame back (waiting for the GPU) and hands it on.
  void swap() override;
  bool pumpMessages() override { return false; }

  // False once a write failed; the message is on stderr.
  bool healthy() const { return healthy_; }

 private:
  int32_t width_;
  int32_t height_;
  std::string folder_;
  int64_t next_ = 0;
  std::FILE* pipe_ = nullptr;
  bool healthy_ = true;
  std::vector<uint8_t> pixels_;
  std::vector<uint8_t> topFirst_;
};
