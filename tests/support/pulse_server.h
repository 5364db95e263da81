#pragma once

#include "support/sound_server.h"

#include <sys/types.h>

// A private PulseAudio daemon with one null sink; clients reach it through
// SDL's pulseaudio driver.
namespace testing_support {

class pulseServer : public soundServer {
 public:
  pulseServer() = default;
  ~pulseServer() override { stop(); }
  pulseServer(const pulseServer&) = delete;
  pulseServer& operator=(const pulseServer&) = delete;

  bool start() override;
  void stop(bool abruptly = false) override;
  std::string label() const override { return "PulseAudio"; }
  std::vector<std::pair<std::string, std::string>> clientEnvironment() const override;

  pid_t pid() const { return daemon_; }

 private:
  pid_t daemon_ = 0;
};

}  // namespace testing_support
