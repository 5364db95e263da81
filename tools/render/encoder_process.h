#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

// A shell command (the video encoder) fed through its standard input, in a
// process group of its own so a Ctrl-C on the terminal reaches only
// amberrender, which then closes the encoder's input and lets it finish the
// file. Its standard error goes to a temporary file, read back for the
// reason when it fails.
class encoderProcess {
 public:
  encoderProcess() = default;
  encoderProcess(const encoderProcess&) = delete;
  encoderProcess& operator=(const encoderProcess&) = delete;
  ~encoderProcess();

  // Forks /bin/sh -c `command`. False (with the reason in lastError()) when
  // it cannot be started.
  bool start(const std::string& command);

  // Writes everything or returns false once the encoder has stopped reading
  // (EPIPE: SIGPIPE must be ignored by the caller). Blocks while the encoder
  // is busy, which is what paces the renderer.
  bool write(const void* data, size_t size);

  // Closes the input and waits for the encoder to end: its exit status
  // (128 + N when killed by signal N, 0 when nothing was started).
  int finish();

  // After finish(): the last non-empty line the encoder wrote on its
  // standard error; or why it could not be started.
  std::string lastError() const;

 private:
  pid_t child_ = -1;
  int input_ = -1;
  std::string errorFile_;
  std::string startError_;
  std::string lastLine_;
};
