#include "support/show_process.h"

#include "engine/errors.h"
#include "support/test_package.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace testing_support {

namespace {

// Waits for `child` until `deadline`; true when it ended (status filled).
bool waitUntil(pid_t child, std::chrono::steady_clock::time_point deadline, int* status) {
  while (std::chrono::steady_clock::now() < deadline) {
    if (waitpid(child, status, WNOHANG) == child) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

showOutcome runShowIn(const std::string& folder, std::chrono::milliseconds limit,
                      const showOptions& options) {
  const std::string errorPath = folder + "/stderr.txt";
  std::vector<char*> argv{const_cast<char*>(AMBER_SHOW_EXECUTABLE)};
  for (const std::string& argument : options.arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  const auto started = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int errorFile = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errorFile < 0 || dup2(errorFile, STDERR_FILENO) < 0) _exit(122);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    for (const auto& variable : options.environment) {
      setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    if (options.addressSpaceLimit != 0) {
      const rlimit limit{options.addressSpaceLimit, options.addressSpaceLimit};
      if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(123);
    }
    execv(AMBER_SHOW_EXECUTABLE, argv.data());
    _exit(121);
  }
  showOutcome outcome;
  int status = 0;
  bool ended = false;
  if (options.action) {
    ended = waitUntil(child, started + options.actAfter, &status);
    if (!ended) options.action();
  }
  if (!ended && !waitUntil(child, started + limit, &status)) {
    outcome.askedToStop = true;
    kill(child, SIGTERM);
    if (!waitUntil(child, std::chrono::steady_clock::now() + std::chrono::seconds(10), &status)) {
      outcome.killed = true;
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
  }
  outcome.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  outcome.exited = WIFEXITED(status);
  outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  outcome.errors = readWholeFile(errorPath);
  return outcome;
}

std::string badEnding(const showOutcome& outcome) {
  if (outcome.killed) return "it did not end, even on SIGTERM";
  if (!outcome.exited) return "it died of signal " + std::to_string(outcome.signalNumber);
  for (const char* report : {"Sanitizer", "runtime error:"}) {
    if (contains(outcome.errors, report)) return std::string("a sanitizer reported: ") + report;
  }
  const bool halted = contains(outcome.errors, "Engine halted");
  if (outcome.status == 0) return halted ? "status 0 after a halt message" : "";

  // The halt message carries the whole code; the status is its low byte.
  const std::string marker = "released with error code ";
  const size_t at = outcome.errors.find(marker);
  if (at == std::string::npos) {
    return "status " + std::to_string(outcome.status) + " without the halt message";
  }
  const int32_t code =
      static_cast<int32_t>(std::strtol(outcome.errors.c_str() + at + marker.size(), nullptr, 16));
  if (outcome.status != exitStatusFor(code)) {
    return "status " + std::to_string(outcome.status) + " for code " + std::to_string(code);
  }
  char halt[1024];
  formatHaltMessage(code, halt, sizeof halt);
  const std::string expected = std::string(haltCaption) + ": " + errorMessage(code) + "\n" +
                               haltCaption + ": " + halt;
  if (!contains(outcome.errors, expected)) {
    return "not the system's messages for code " + std::to_string(code);
  }
  if (errorMessage(code) == errorMessage(errorCode::coreUnknown) && code != errorCode::coreUnknown) {
    return "code " + std::to_string(code) + " is not in the error table";
  }
  return "";
}

}  // namespace testing_support
