#pragma once

#include "support/child_process.h"

#include <string>

// A desktop at work, for sound tests and benchmarks: two busy loops and the
// offline renderer at normal priority beside the program under test, on a
// machine with few cores. Everything ends with the object.
namespace testing_support {

class busyMachine {
 public:
  // Starts the loops, and `renderer` drawing a minute of the show in `pack`
  // (offscreen) when `renderer` is not empty. Logs go to `folder`.
  busyMachine(const std::string& folder, const std::string& renderer, const std::string& pack);
  ~busyMachine();
  busyMachine(const busyMachine&) = delete;
  busyMachine& operator=(const busyMachine&) = delete;

  // False once the renderer has ended (or failed to start): the load is lighter.
  bool rendering() { return renderer_.running(); }

 private:
  childProcess loops_[2];
  childProcess renderer_;
};

}  // namespace testing_support
