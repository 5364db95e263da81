#include "engine/scenes/pass_times.h"

#include "api/gl/gl.h"

#include <chrono>

namespace scenes {

namespace {

using clockType = std::chrono::steady_clock;

struct passClock {
  bool on = false;
  clockType::time_point last{};
  std::vector<std::pair<const char*, double>> passes;
};

passClock& timing() {
  static passClock state;
  return state;
}

}  // namespace

void timePasses(bool on) {
  timing().on = on;
  timing().passes.clear();
}

void startPassClock() {
  passClock& state = timing();
  if (!state.on) return;
  glFinish();
  state.last = clockType::now();
}

void passDone(const char* pass) {
  passClock& state = timing();
  if (!state.on) return;
  glFinish();
  const clockType::time_point now = clockType::now();
  const double took = std::chrono::duration<double, std::milli>(now - state.last).count();
  state.last = now;
  state.passes.emplace_back(pass, took);
}

std::vector<std::pair<const char*, double>> takePassTimes() {
  std::vector<std::pair<const char*, double>> taken;
  taken.swap(timing().passes);
  return taken;
}

}  // namespace scenes
