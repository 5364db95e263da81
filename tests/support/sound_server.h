#pragma once

#include <string>
#include <utility>
#include <vector>

// A private sound server with a null sink, for tests and benchmarks that play
// through a real one. Each server's runtime folder, sockets and sink name are
// its own, so servers of tests running side by side never meet.
namespace testing_support {

class soundServer {
 public:
  virtual ~soundServer() = default;

  // Starts the server and waits (up to 10 s) until it answers. False, with
  // the reason in failure() (naming the Debian package when a program is
  // missing), otherwise. Costs about half a second to two.
  virtual bool start() = 0;
  // Ends the server: SIGTERM, or SIGKILL when `abruptly` (a crash), then
  // waits until it is gone. Safe to call twice. Leaves the folder for logs.
  virtual void stop(bool abruptly = false) = 0;
  // What the server is, for test names and benchmark rows.
  virtual std::string label() const = 0;

  // The variables a client needs to find this server and no other one,
  // SDL_AUDIODRIVER included.
  virtual std::vector<std::pair<std::string, std::string>> clientEnvironment() const = 0;
  // A shell prefix setting clientEnvironment() for commands (pactl, parec).
  std::string shellPrefix() const;

  const std::string& sinkName() const { return sink_; }
  const std::string& folder() const { return folder_; }
  const std::string& failure() const { return failure_; }

 protected:
  std::string folder_;
  std::string sink_;
  std::string failure_;
};

}  // namespace testing_support
