#include "scene_times.h"

#include <algorithm>
#include <cstdio>

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
}
