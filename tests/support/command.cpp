#include "support/command.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iostream>

namespace testing_support {

namespace {

// Appends what `fd` has now; false at its end or on an error.
bool readAvailable(int fd, std::string& into) {
  char chunk[4096];
  const ssize_t got = read(fd, chunk, sizeof chunk);
  if (got > 0) into.append(chunk, static_cast<size_t>(got));
  return got > 0 || (got < 0 && errno == EINTR);
}

}  // namespace

commandResult runCommand(const std::string& command, std::chrono::seconds limit) {
  commandResult result;
  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0) return result;
  if (pipe2(errPipe, O_CLOEXEC) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return result;
  }
  const pid_t child = fork();
  if (child == 0) {
    // Its own group, so a timeout reaches whatever the shell started; and
    // gone with us if the test runner kills this process.
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int nothing = open("/dev/null", O_RDONLY);
    if (nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 || dup2(outPipe[1], STDOUT_FILENO) < 0 ||
        dup2(errPipe[1], STDERR_FILENO) < 0) {
      _exit(127);
    }
    execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  if (child < 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    return result;
  }
  setpgid(child, child);  // no race with the child's own call: both ask the same

  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::string errors;
  bool outputOpen = true, errorsOpen = true, timedOut = false;
  int waitStatus = 0;
  bool ended = false;
  // Like popen: done when standard output closes and the shell has ended;
  // stderr is read meanwhile but a background process may keep it open.
  while (!ended) {
    if (std::chrono::steady_clock::now() >= deadline) {
      timedOut = true;
      kill(-child, SIGKILL);
      waitpid(child, &waitStatus, 0);
      break;
    }
    pollfd ends[2] = {{outputOpen ? outPipe[0] : -1, POLLIN, 0},
                      {errorsOpen ? errPipe[0] : -1, POLLIN, 0}};
    if (poll(ends, 2, outputOpen ? 50 : 5) > 0) {
      if (ends[0].revents != 0) outputOpen = readAvailable(outPipe[0], result.output);
      if (ends[1].revents != 0) errorsOpen = readAvailable(errPipe[0], errors);
    }
    if (!outputOpen) {
      const pid_t reaped = waitpid(child, &waitStatus, WNOHANG);
      if (reaped < 0) waitStatus = -1;  // not ours to wait for: reads as no exit status
      ended = reaped != 0;
    }
  }
  // What is left on stderr now, without waiting for a background writer.
  fcntl(errPipe[0], F_SETFL, O_NONBLOCK);
  while (errorsOpen && readAvailable(errPipe[0], errors)) {
  }
  close(outPipe[0]);
  close(errPipe[0]);
  if (!errors.empty()) std::cerr << errors << std::flush;
  if (timedOut) {
    result.output += "\n[killed after " + std::to_string(limit.count()) + " s: " + command + "]";
    return result;
  }
  result.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
  return result;
}

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace testing_support
