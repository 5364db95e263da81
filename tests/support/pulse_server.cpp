#include "support/pulse_server.h"

#include "support/command.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace testing_support {

namespace {

// A daemon that died but is not yet reaped by its new parent counts as gone.
bool alive(pid_t process) {
  if (process <= 0 || (kill(process, 0) != 0 && errno != EPERM)) return false;
  const std::string stat = readWholeFile("/proc/" + std::to_string(process) + "/stat");
  const size_t end = stat.rfind(')');
  return end == std::string::npos || end + 2 >= stat.size() || stat[end + 2] != 'Z';
}

}  // namespace

bool pulseServer::start() {
  for (const char* program : {"pulseaudio", "pactl", "parec"}) {
    if (findOnPath(program).empty()) {
      failure_ = std::string(program) + " is missing: install the Debian package " +
                 (std::string(program) == "pulseaudio" ? "pulseaudio" : "pulseaudio-utils");
      return false;
    }
  }
  folder_ = makeTempFolder();
  if (folder_.empty()) {
    failure_ = "no temporary folder";
    return false;
  }
  sink_ = "amber_null_" + std::to_string(getpid()) + "_" + folder_.substr(folder_.rfind('-') + 1);
  // As root the daemon insists on forking itself; its pid file says where
  // it went. HOME keeps its cookie and state out of the user's own.
  const std::string launch =
      "cd " + folder_ + " && HOME=" + folder_ + " XDG_RUNTIME_DIR=" + folder_ +
      " pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n"
      " --log-target=file:" + folder_ + "/pulse.log"
      " --load='module-null-sink sink_name=" + sink_ + "'"
      " --load='module-native-protocol-unix auth-anonymous=1' 2>>" + folder_ + "/pulse.log";
  const commandResult launched = runCommand(launch);
  const std::string pidText = readWholeFile(folder_ + "/pulse/pid");
  daemon_ = static_cast<pid_t>(std::atoi(pidText.c_str()));
  if (launched.status != 0 || daemon_ <= 0) {
    failure_ = "pulseaudio did not start (status " + std::to_string(launched.status) +
               "): " + readWholeFile(folder_ + "/pulse.log");
    daemon_ = 0;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (runCommand(shellPrefix() + " pactl info >/dev/null 2>&1").status == 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  failure_ = "pulseaudio did not answer within 10 s: " + readWholeFile(folder_ + "/pulse.log");
  stop(true);
  return false;
}

void pulseServer::stop(bool abruptly) {
  if (daemon_ <= 0) return;
  kill(daemon_, abruptly ? SIGKILL : SIGTERM);
  // Not our child (it forked itself away), so it cannot be waited for.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (alive(daemon_) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  if (alive(daemon_)) kill(daemon_, SIGKILL);
  daemon_ = 0;
}

std::vector<std::pair<std::string, std::string>> pulseServer::clientEnvironment() const {
  return {{"XDG_RUNTIME_DIR", folder_},
          {"PULSE_SERVER", "unix:" + folder_ + "/pulse/native"},
          {"PULSE_SINK", sink_},
          {"SDL_AUDIODRIVER", "pulseaudio"}};
}

std::string soundServer::shellPrefix() const {
  std::string prefix = "env";
  for (const auto& variable : clientEnvironment()) {
    prefix += " " + variable.first + "=" + variable.second;
  }
  return prefix;
}

}  // namespace testing_support
