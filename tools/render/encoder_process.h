#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A shell command (the video encoder) fed through its standard input, in a
// process group of its own so a Ctrl-C on the terminal reaches only
// amberrender, which then closes the encoder's input and lets it finish the
// file. Its standard error goes to a temporary file, read back for the
// reason when it fails. Frames are written on a thread of their own, so the
// renderer draws the next frame while the encoder takes this one.
class encoderProcess {
 public:
  encoderProcess() = default;
  encoderProcess(const encoderProcess&) = delete;
  encoderProcess& operator=(const encoderProcess&) = delete;
  ~encoderProcess();

  // Turns a frame handed to write() into the bytes the encoder reads. It
  // runs on the writing thread, beside the renderer.
  using frameConversion =
      std::function<void(const std::vector<uint8_t>& frame, std::vector<uint8_t>& bytes)>;

  // Forks /bin/sh -c `command`, which reads what `convert` makes of each
  // frame. False (with the reason in lastError()) when it cannot be started.
  bool start(const std::string& command, frameConversion convert);

  // Hands `frame` to the writing thread and gives back, in `frame`, the
  // buffer of an earlier frame to fill next. Blocks while the frame before
  // still waits for the encoder, which is what paces the renderer. False
  // once the encoder has stopped reading (EPIPE: SIGPIPE must be ignored by
  // the caller).
  bool write(std::vector<uint8_t>& frame);

  // Writes what is still waiting, closes the input and waits for the
  // encoder to end: its exit status (128 + N when killed by signal N, 0 when
  // nothing was started).
  int finish();

  // After finish(): the last non-empty line the encoder wrote on its
  // standard error; or why it could not be started.
  std::string lastError() const;

 private:
  void writeFrames();
  bool writeAll(const uint8_t* bytes, size_t size);

  pid_t child_ = -1;
  int input_ = -1;
  std::string errorFile_;
  std::string startError_;
  std::string lastLine_;

  frameConversion convert_;
  std::thread writer_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<uint8_t> waiting_;  // the next frame for the writer
  bool frameWaiting_ = false;
  bool closing_ = false;
  bool stopped_ = false;  // a write failed: the encoder no longer reads
};
