#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Runs the show's executable as a user without a screen would, and judges
// how it ended.
namespace testing_support {

struct showOutcome {
  bool exited = false;      // ended by itself or on the polite signal, not by a signal
  int status = -1;          // exit status when it exited
  int signalNumber = 0;     // the signal that ended it otherwise
  bool askedToStop = false;  // was still running at the limit and got SIGTERM
  bool killed = false;      // did not end after SIGTERM either
  double seconds = 0.0;
  std::string errors;       // what it wrote on stderr
};

// What a run may add to the plain headless start.
struct showOptions {
  std::vector<std::string> arguments;  // the show's command line
  // Set in the show's environment after the headless defaults, so they may
  // replace them (SDL_AUDIODRIVER=pulseaudio).
  std::vector<std::pair<std::string, std::string>> environment;
  // Called once, on the test's thread, when the show has run this long.
  std::chrono::milliseconds actAfter{0};
  std::function<void()> action;
  // The show's address-space limit in bytes (ulimit -v); 0 leaves it.
  uint64_t addressSpaceLimit = 0;
};

// Runs the show in `folder` (which holds its pack.zip) with SDL's offscreen
// video and dummy audio. A show still running after `limit` gets SIGTERM,
// on which it ends cleanly; one that does not end 10 s later is killed.
showOutcome runShowIn(const std::string& folder, std::chrono::milliseconds limit,
                      const showOptions& options = {});

// Empty when the show ended the way the system ends: by itself with status
// 0 and no halt, or with status exitStatusFor(code) after the table message
// of a code and the halt message carrying it, and in either case with no
// sanitizer report. Otherwise says what was wrong.
std::string badEnding(const showOutcome& outcome);

}  // namespace testing_support
