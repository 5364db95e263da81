#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

// Time per frame, grouped by scene, and within each scene per pass.
struct sceneTimes {
  std::map<std::string, std::vector<double>> milliseconds;
  // Per scene: each pass's total over the scene's frames, in the order the
  // passes first appeared.
  std::map<std::string, std::vector<std::pair<std::string, double>>> passTotals;

  // Adds one frame of `scene` that took `frameMilliseconds`, of which
  // `passes` were measured; the remainder is charged to "other".
  void add(const std::string& scene, double frameMilliseconds,
           const std::vector<std::pair<const char*, double>>& passes);

  // Prints a table on stdout: frames, mean, 95th percentile and worst
  // frame time per scene, then all frames together; then, when passes were
  // measured, the mean time of each pass per frame of its scene.
  void print() const;
};
