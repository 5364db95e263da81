#include "scene_times.h"

#include <algorithm>
#include <cstdio>

namespace {

void addTo(std::vector<std::pair<std::string, double>>& totals, const std::string& pass,
           double took) {
  for (auto& [name, total] : totals) {
    if (name == pass) {
      total += took;
      return;
    }
  }
  totals.emplace_back(pass, took);
}

}  // namespace

void sceneTimes::add(const std::string& scene, double frameMilliseconds,
                     const std::vector<std::pair<const char*, double>>& passes) {
  milliseconds[scene].push_back(frameMilliseconds);
  if (passes.empty()) return;
  std::vector<std::pair<std::string, double>>& totals = passTotals[scene];
  double measured = 0.0;
  for (const auto& [pass, took] : passes) {
    addTo(totals, pass, took);
    measured += took;
  }
  addTo(totals, "other", std::max(0.0, frameMilliseconds - measured));
}

void sceneTimes::print() const {
    std::printf("%-20s %8s %10s %10s %10s\n", "scene", "frames", "mean ms", "p95 ms", "max ms");
    size_t frames = 0;
    double total = 0.0;
    for (const auto& [scene, times] : milliseconds) {
      std::vector<double> sorted = times;
      std::sort(sorted.begin(), sorted.end());
      double sum = 0.0;
      for (double t : sorted) sum += t;
      const double p95 = sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
      std::printf("%-20s %8zu %10.2f %10.2f %10.2f\n", scene.c_str(), sorted.size(),
                  sum / static_cast<double>(sorted.size()), p95, sorted.back());
      frames += sorted.size();
      total += sum;
    }
    if (frames > 0) {
      std::printf("%-20s %8zu %10.2f   (%.1f frames per second)\n", "all", frames,
                  total / static_cast<double>(frames), 1000.0 * static_cast<double>(frames) / total);
    }
    if (passTotals.empty()) return;
    std::printf("\n%-20s %-20s %10s\n", "scene", "pass", "mean ms");
    for (const auto& [scene, totals] : passTotals) {
      const double sceneFrames = static_cast<double>(milliseconds.at(scene).size());
      for (const auto& [pass, sum] : totals) {
        std::printf("%-20s %-20s %10.2f\n", scene.c_str(), pass.c_str(), sum / sceneFrames);
      }
    }
}
