#include "support/child_process.h"

#include "support/test_package.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

namespace testing_support {

childProcess::~childProcess() {
  if (child_ > 0) stop(SIGKILL, std::chrono::seconds(5));
}

bool childProcess::start(const std::vector<std::string>& arguments, const std::string& folder,
                         const std::vector<std::string>& environment, const std::string& logPath) {
  logPath_ = logPath;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  child_ = fork();
  if (child_ < 0) {
    child_ = 0;
    return false;
  }
  if (child_ == 0) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // a killed test leaves no show or server behind
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int logFile = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (logFile < 0 || dup2(logFile, STDERR_FILENO) < 0 || dup2(logFile, STDOUT_FILENO) < 0) {
      _exit(122);
    }
    for (const std::string& setting : environment) {
      const size_t equals = setting.find('=');
      const std::string name = setting.substr(0, equals);
      const std::string value = setting.substr(equals + 1);
      if (value.empty()) {
        unsetenv(name.c_str());
      } else {
        setenv(name.c_str(), value.c_str(), 1);
      }
    }
    execv(argv[0], argv.data());
    _exit(121);
  }
  return true;
}

void childProcess::noteEnding(int waitStatus) {
  exited_ = WIFEXITED(waitStatus);
  status_ = exited_ ? WEXITSTATUS(waitStatus) : -1;
  signal_ = WIFSIGNALED(waitStatus) ? WTERMSIG(waitStatus) : 0;
  child_ = 0;
}

bool childProcess::running() {
  if (child_ <= 0) return false;
  int waitStatus = 0;
  if (waitpid(child_, &waitStatus, WNOHANG) != child_) return true;
  noteEnding(waitStatus);
  return false;
}

bool childProcess::waitFor(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

void childProcess::stop(int signalNumber, std::chrono::milliseconds limit) {
  if (!running()) return;
  kill(child_, signalNumber);
  if (waitFor(limit)) return;
  kill(child_, SIGKILL);
  int waitStatus = 0;
  waitpid(child_, &waitStatus, 0);
  noteEnding(waitStatus);
}

bool childProcess::waitForLog(const std::string& text, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (log().find(text) != std::string::npos) return true;
    if (!running()) return log().find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

std::string childProcess::log() const { return readWholeFile(logPath_); }

}  // namespace testing_support
