#include "support/xvfb_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {

std::string findOnPath(const char* program) {
  const char* path = std::getenv("PATH");
  const std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
    const std::string candidate = folder + "/" + program;
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

bool xvfbServer::start(const char* screen, const char* extraOption) {
  stop();
  const std::string xvfb = findOnPath("Xvfb");
  if (xvfb.empty()) {
    failure_ = "Xvfb is not installed (Debian package xvfb)";
    return false;
  }
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) {
    failure_ = "no pipe for Xvfb's display number";
    return false;
  }
  server_ = fork();
  if (server_ == 0) {
    close(pipeEnds[0]);
    // Gone with the test even when the test runner kills it, and never
    // holding the runner's output pipe: its notes (display numbers already
    // taken by others) are not ours.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      dup2(quiet, STDOUT_FILENO);
      dup2(quiet, STDERR_FILENO);
    }
    const std::string fd = std::to_string(pipeEnds[1]);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten",
          "tcp", extraOption, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string number;
  pollfd ready{pipeEnds[0], POLLIN, 0};
  char c = 0;
  while (server_ > 0 && poll(&ready, 1, 10000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') {
    number += c;
  }
  close(pipeEnds[0]);
  if (number.empty()) {
    failure_ = "Xvfb did not report a display within 10 s";
    stop();
    return false;
  }
  display_ = ":" + number;
  return true;
}

void xvfbServer::stop() {
  if (server_ > 0) {
    kill(server_, SIGTERM);
    // Five seconds to close down, then no more waiting.
    bool ended = false;
    for (int tries = 0; tries < 500 && !ended; ++tries) {
      ended = waitpid(server_, nullptr, WNOHANG) != 0;
      if (!ended) usleep(10000);
    }
    if (!ended) {
      kill(server_, SIGKILL);
      waitpid(server_, nullptr, 0);
    }
  }
  server_ = 0;
  display_.clear();
}

}  // namespace testing_support
