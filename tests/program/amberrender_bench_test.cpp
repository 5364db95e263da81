// amberrender --bench: the frame table and the passes of each scene.
#include "support/command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

TEST(AmberRenderBench, ChargesEveryPassOfTheFrameToItsScene) {
  // One second of the greetings chain, small.
  const std::string command = std::string("cd ") +
                              fs::path(AMBER_PACK_PATH).parent_path().string() + " && " +
                              AMBER_RENDER_EXECUTABLE +
                              " --size 64x36 --fps 8 --from 90 --to 91 --bench 2>&1";
  const testing_support::commandResult result = testing_support::runCommand(command);
  ASSERT_EQ(result.status, 0) << result.output;

  double frameMean = 0.0;
  std::map<std::string, double> passes;
  std::istringstream lines(result.output);
  std::string line;
  while (std::getline(lines, line)) {
    int frames = 0;
    double mean = 0.0;
    if (std::sscanf(line.c_str(), "greetings %d %lf", &frames, &mean) == 2) {
      EXPECT_EQ(frames, 8);
      frameMean = mean;
      continue;
    }
    if (line.rfind("greetings ", 0) != 0) continue;
    // "greetings" then the pass name (which may hold spaces), then the mean.
    const size_t last = line.find_last_of(' ');
    std::string pass = line.substr(9, last - 9);
    pass.erase(0, pass.find_first_not_of(' '));
    pass.erase(pass.find_last_not_of(' ') + 1);
    passes[pass] = std::stod(line.substr(last + 1));
  }
  ASSERT_GT(frameMean, 0.0) << result.output;
  double sum = 0.0;
  for (const char* pass : {"prelude", "scene", "mipmaps", "occlusion", "blur and composite",
                           "text", "pictures and fades", "other"}) {
    ASSERT_EQ(passes.count(pass), 1u) << pass << "\n" << result.output;
  }
  for (const auto& [pass, mean] : passes) {
    EXPECT_GE(mean, 0.0) << pass;
    sum += mean;
  }
  EXPECT_GT(passes["occlusion"], 0.0);
  // The passes and the rest of the frame make up the frame: nothing is
  // counted twice or lost (the table rounds to 0.01 ms).
  EXPECT_NEAR(sum, frameMean, 0.01 * static_cast<double>(passes.size()) + 0.01);
}

}  // namespace
