#pragma once

#include <map>
#include <string>
#include <vector>

// Time per frame, grouped by scene.
struct sceneTimes {
  std::map<std::string, std::vector<double>> milliseconds;

  // Prints a table on stdout: frames, mean, 95th percentile and worst
  // frame time per scene, then all frames together.
  void print() const;
};
