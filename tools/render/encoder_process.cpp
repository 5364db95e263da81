#include "encoder_process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

encoderProcess::~encoderProcess() { finish(); }

bool encoderProcess::start(const std::string& command, frameConversion convert) {
  convert_ = std::move(convert);
  errorFile_ = (std::filesystem::temp_directory_path() /
                ("amberrender-encoder-" + std::to_string(getpid()) + ".log"))
                   .string();
  const int errors = open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  int ends[2];
  if (errors < 0 || pipe2(ends, O_CLOEXEC) != 0) {
    startError_ = std::strerror(errno);
    if (errors >= 0) close(errors);
    std::remove(errorFile_.c_str());
    return false;
  }
  child_ = fork();
  if (child_ == 0) {
    setpgid(0, 0);
    dup2(ends[0], STDIN_FILENO);
    dup2(errors, STDERR_FILENO);
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  const int forkError = errno;
  close(ends[0]);
  close(errors);
  if (child_ < 0) {
    startError_ = std::strerror(forkError);
    close(ends[1]);
    std::remove(errorFile_.c_str());
    return false;
  }
  input_ = ends[1];
  // A larger pipe takes a frame in a few writes instead of dozens of
  // 64 KiB ones; where the system refuses, the default serves.
  fcntl(input_, F_SETPIPE_SZ, 1 << 20);
  writer_ = std::thread([this] { writeFrames(); });
  return true;
}

bool encoderProcess::write(std::vector<uint8_t>& frame) {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return !frameWaiting_ || stopped_; });
  if (stopped_ || !writer_.joinable()) return false;
  waiting_.swap(frame);
  frameWaiting_ = true;
  changed_.notify_all();
  return true;
}

void encoderProcess::writeFrames() {
  std::vector<uint8_t> frame;
  std::vector<uint8_t> converted;
  for (;;) {
    {
      std::unique_lock<std::mutex> hold(lock_);
      changed_.wait(hold, [this] { return frameWaiting_ || closing_; });
      if (!frameWaiting_) return;
      frame.swap(waiting_);
      frameWaiting_ = false;
      changed_.notify_all();
    }
    convert_(frame, converted);
    if (!writeAll(converted.data(), converted.size())) {
      std::lock_guard<std::mutex> hold(lock_);
      stopped_ = true;
      changed_.notify_all();
      return;
    }
  }
}

bool encoderProcess::writeAll(const uint8_t* bytes, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(input_, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

int encoderProcess::finish() {
  if (writer_.joinable()) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      closing_ = true;
      changed_.notify_all();
    }
    writer_.join();
  }
  if (input_ >= 0) close(input_);
  input_ = -1;
  if (child_ <= 0) return 0;
  int status = 0;
  while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
  }
  child_ = -1;
  // Keep the last line and drop the log, which callers that end with
  // std::exit would otherwise leave behind.
  std::ifstream log(errorFile_);
  std::string line;
  while (std::getline(log, line)) {
    if (line.find_first_not_of(" \t\r") != std::string::npos) lastLine_ = line;
  }
  std::remove(errorFile_.c_str());
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

std::string encoderProcess::lastError() const {
  return startError_.empty() ? lastLine_ : startError_;
}
