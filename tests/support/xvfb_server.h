#pragma once

#include <sys/types.h>

#include <string>

// A private X server (Xvfb) for tests that need a real X11 display: the
// setup dialog, message boxes, windows in every monitor shape.
namespace testing_support {

class xvfbServer {
 public:
  xvfbServer() = default;
  ~xvfbServer() { stop(); }
  xvfbServer(const xvfbServer&) = delete;
  xvfbServer& operator=(const xvfbServer&) = delete;

  // Starts Xvfb on a free display number (-displayfd) with one screen of
  // `screen` ("WxHxD"); `extraOption` (may be null) is passed on. False, with
  // the reason in failure(), when Xvfb is missing or does not come up within
  // 10 s. Blocks until the server is ready.
  bool start(const char* screen = "1280x1024x24", const char* extraOption = nullptr);
  // Ends the server (SIGTERM; SIGKILL after 5 s). Safe to call twice.
  void stop();

  // ":N" once started, "" otherwise.
  const std::string& display() const { return display_; }
  pid_t pid() const { return server_; }
  const std::string& failure() const { return failure_; }

 private:
  pid_t server_ = 0;
  std::string display_;
  std::string failure_;
};

// The full path of `program` on PATH, "" when it is not installed.
std::string findOnPath(const char* program);

}  // namespace testing_support
