#pragma once

#include "support/child_process.h"
#include "support/sound_server.h"

// A private PipeWire: the daemon, its PulseAudio server (pipewire-pulse,
// through which the sink is made and its monitor recorded) and, unless told
// otherwise, the WirePlumber session manager, all under one D-Bus session.
// Clients reach it through SDL's pulseaudio driver (as on desktops whose
// PulseAudio is PipeWire's) or its own pipewire driver.
namespace testing_support {

class pipewireServer : public soundServer {
 public:
  enum class client { pulseProtocol, native };
  struct setup {
    client through = client::native;
    bool sessionManager = true;  // without one, no stream is ever linked
    bool sink = true;            // false: nothing to play on at all (no sink is
                                 // made without a session manager either)
  };

  explicit pipewireServer(setup how) : how_(how) {}
  ~pipewireServer() override { stop(); }
  pipewireServer(const pipewireServer&) = delete;
  pipewireServer& operator=(const pipewireServer&) = delete;

  bool start() override;
  void stop(bool abruptly = false) override;
  std::string label() const override;
  std::vector<std::pair<std::string, std::string>> clientEnvironment() const override;

 private:
  setup how_;
  childProcess session_;
};

}  // namespace testing_support
