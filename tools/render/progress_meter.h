#pragma once

#include <chrono>
#include <cstdint>

// One line on stderr, rewritten a few times a second while frames render:
// frames done, frames per second, time left. Silent when stderr is not a
// terminal, so logs and pipes get only the final count.
class progressMeter {
 public:
  explicit progressMeter(int64_t totalFrames);

  // Cheap unless a redraw is due (at most four a second).
  void frameDone();
  // Ends the line, if one was drawn.
  void finish();

 private:
  int64_t total_;
  int64_t done_ = 0;
  bool shown_ = false;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point lastDrawn_;
};
