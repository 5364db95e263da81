#include "support/pipewire_server.h"

#include "support/command.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include <signal.h>

#include <chrono>
#include <thread>

namespace testing_support {

namespace {

const char* packageOf(const std::string& program) {
  if (program == "pipewire-pulse") return "pipewire-pulse";
  if (program == "wireplumber") return "wireplumber";
  if (program == "dbus-run-session") return "dbus-daemon";
  if (program == "pactl" || program == "parec") return "pulseaudio-utils";
  return "pipewire";
}

}  // namespace

bool pipewireServer::start() {
  for (const char* program :
       {"pipewire", "pipewire-pulse", "wireplumber", "dbus-run-session", "pactl", "parec"}) {
    if (findOnPath(program).empty()) {
      failure_ = std::string(program) + " is missing: install the Debian package " +
                 packageOf(program);
      return false;
    }
  }
  folder_ = makeTempFolder();
  if (folder_.empty()) {
    failure_ = "no temporary folder";
    return false;
  }
  sink_ = "amber_pw_" + folder_.substr(folder_.rfind('-') + 1);
  // WirePlumber needs a D-Bus session; the daemon must be up before the
  // session manager and the PulseAudio server connect to it.
  const std::string services = std::string("pipewire & sleep 0.3; ") +
                               (how_.sessionManager ? "wireplumber & " : "") +
                               "pipewire-pulse & wait";
  std::vector<std::string> environment = {"HOME=" + folder_, "XDG_RUNTIME_DIR=" + folder_,
                                          "PIPEWIRE_RUNTIME_DIR=" + folder_,
                                          "DISPLAY=", "WAYLAND_DISPLAY="};
  const std::string session = findOnPath("dbus-run-session");
  if (!session_.start({session, "--", "/bin/sh", "-c", services}, folder_, environment,
                      folder_ + "/pipewire.log")) {
    failure_ = "could not start dbus-run-session";
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool answering = false;
  while (!answering && std::chrono::steady_clock::now() < deadline && session_.running()) {
    answering = runCommand(shellPrefix() + " pactl info >/dev/null 2>&1").status == 0;
    if (!answering) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!answering) {
    failure_ = "PipeWire did not answer within 10 s: " + readWholeFile(folder_ + "/pipewire.log");
    stop(true);
    return false;
  }
  // PipeWire's PulseAudio server makes sinks through the session manager.
  if (!how_.sink || !how_.sessionManager) return true;
  const std::string makeSink = shellPrefix() + " pactl load-module module-null-sink sink_name=" +
                               sink_ + " >/dev/null && " + shellPrefix() +
                               " pactl set-default-sink " + sink_;
  if (runCommand(makeSink).status != 0) {
    failure_ = "PipeWire made no null sink: " + readWholeFile(folder_ + "/pipewire.log");
    stop(true);
    return false;
  }
  return true;
}

void pipewireServer::stop(bool abruptly) {
  const pid_t group = session_.pid();
  if (group <= 0) return;
  // The session and every service it started share one process group.
  kill(-group, abruptly ? SIGKILL : SIGTERM);
  session_.stop(SIGKILL, std::chrono::seconds(5));
  kill(-group, SIGKILL);
}

std::string pipewireServer::label() const {
  std::string name = how_.through == client::native ? "PipeWire native" : "PipeWire (pulse)";
  if (!how_.sessionManager) name += ", no session manager";
  if (!how_.sink) name += ", no sink";
  return name;
}

std::vector<std::pair<std::string, std::string>> pipewireServer::clientEnvironment() const {
  return {{"XDG_RUNTIME_DIR", folder_},
          {"PIPEWIRE_RUNTIME_DIR", folder_},
          {"PULSE_SERVER", "unix:" + folder_ + "/pulse/native"},
          {"PULSE_SINK", sink_},
          {"SDL_AUDIODRIVER", how_.through == client::native ? "pipewire" : "pulseaudio"}};
}

}  // namespace testing_support
