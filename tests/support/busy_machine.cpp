#include "support/busy_machine.h"

#include <signal.h>

#include <chrono>

namespace testing_support {

busyMachine::busyMachine(const std::string& folder, const std::string& renderer,
                         const std::string& pack) {
  for (childProcess& loop : loops_) {
    loop.start({"/bin/sh", "-c", "while :; do :; done"}, folder, {}, "/dev/null");
  }
  if (renderer.empty()) return;
  renderer_.start({renderer, "--pack", pack, "--size", "640x360", "--fps", "25", "--from", "60",
                   "--to", "120", "--bench"},
                  folder, {"SDL_VIDEODRIVER=offscreen"}, folder + "/renderer.log");
}

busyMachine::~busyMachine() {
  for (childProcess& loop : loops_) loop.stop(SIGKILL, std::chrono::seconds(2));
  renderer_.stop(SIGKILL, std::chrono::seconds(2));
}

}  // namespace testing_support
