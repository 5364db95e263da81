#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// A private PulseAudio server with one null sink, for tests and benchmarks
// that play through a real sound server. Its runtime folder, socket and sink
// name are its own, so servers of tests running side by side never meet.
namespace testing_support {

class pulseServer {
 public:
  pulseServer() = default;
  ~pulseServer() { stop(); }
  pulseServer(const pulseServer&) = delete;
  pulseServer& operator=(const pulseServer&) = delete;

  // Starts the daemon in a fresh folder and waits (up to 10 s) until it
  // answers. False, with the reason in failure() (naming the Debian package
  // when a program is missing), otherwise. Costs about half a second.
  bool start();
  // Ends the daemon: SIGTERM, or SIGKILL when `abruptly` (a crash), then waits
  // until it is gone. Safe to call twice. Leaves the folder for the logs.
  void stop(bool abruptly = false);

  // The variables a client needs to find this server and no other one,
  // SDL_AUDIODRIVER=pulseaudio included.
  std::vector<std::pair<std::string, std::string>> clientEnvironment() const;
  // A shell prefix setting clientEnvironment() for commands (pactl, parec).
  std::string shellPrefix() const;

  const std::string& sinkName() const { return sink_; }
  const std::string& folder() const { return folder_; }
  const std::string& failure() const { return failure_; }
  pid_t pid() const { return daemon_; }

 private:
  pid_t daemon_ = 0;
  std::string folder_;
  std::string sink_;
  std::string failure_;
};

}  // namespace testing_support
