#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

// A program a desktop test starts and ends itself: the show in a real
// window, a compositor. Whatever it writes goes to one log file.
namespace testing_support {

class childProcess {
 public:
  childProcess() = default;
  ~childProcess();  // a child still running is killed
  childProcess(const childProcess&) = delete;
  childProcess& operator=(const childProcess&) = delete;

  // Starts `arguments` (the program's full path first) in `folder`. Each
  // "NAME=VALUE" of `environment` is set over this process's environment;
  // "NAME=" removes NAME. False when fork fails.
  bool start(const std::vector<std::string>& arguments, const std::string& folder,
             const std::vector<std::string>& environment, const std::string& logPath);
  // True while the child has not ended. Never blocks.
  bool running();
  // Waits up to `limit` for the child to end; true when it has.
  bool waitFor(std::chrono::milliseconds limit);
  // Sends `signalNumber` and waits up to `limit`; SIGKILL after that.
  void stop(int signalNumber, std::chrono::milliseconds limit);
  // Waits up to `limit` for `text` to appear in the log; false when the
  // child ended or the time ran out first.
  bool waitForLog(const std::string& text, std::chrono::milliseconds limit);

  std::string log() const;
  bool exited() const { return exited_; }
  int status() const { return status_; }          // when exited
  int signalNumber() const { return signal_; }    // when ended by a signal
  pid_t pid() const { return child_; }

 private:
  void noteEnding(int waitStatus);

  pid_t child_ = 0;
  std::string logPath_;
  bool exited_ = false;
  int status_ = -1;
  int signal_ = 0;
};

}  // namespace testing_support
