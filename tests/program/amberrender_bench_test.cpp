// amberrender --bench: the frame table and the passes of each scene.
#include "support/command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
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
  double startUp = -1.0;
  while (std::getline(lines, line)) {
    if (std::sscanf(line.c_str(), "start-up and first frame: %lf s", &startUp) == 1) continue;
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
  // From the process's start: at least the frame, and not the uptime.
  EXPECT_GE(startUp, frameMean / 1000.0) << result.output;
  EXPECT_LT(startUp, 120.0) << result.output;
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBER_TESTS_UNDER_ASAN 1
#endif
#endif

// The renderer (like the show) runs on glibc's large-page heap, unless the
// user's own tunables say otherwise (glibc.malloc.hugetlb=0).
TEST(AmberRenderHeap, RunsOnLargePagesUnlessTheUserSaysOtherwise) {
#ifdef AMBER_TESTS_UNDER_ASAN
  GTEST_SKIP() << "the sanitizers' allocator is not glibc's";
#endif
  const std::string policy =
      testing_support::runCommand("cat /sys/kernel/mm/transparent_hugepage/enabled").output;
  if (policy.find("[never]") != std::string::npos) GTEST_SKIP() << "no large pages here";
  // Large-page kilobytes once the renderer holds its content (150 MB).
  const auto largePages = [](const std::string& tunables) {
    const std::string command =
        std::string("cd ") + fs::path(AMBER_PACK_PATH).parent_path().string() +
        " && GLIBC_TUNABLES=" + tunables + " " + AMBER_RENDER_EXECUTABLE +
        " --size 320x180 --fps 4 --bench >/dev/null 2>&1 & pid=$!; "
        "for i in $(seq 300); do "
        "  rss=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status 2>/dev/null); "
        "  [ \"${rss:-0}\" -gt 150000 ] && break; sleep 0.1; done; "
        "awk '/AnonHugePages/ {print $2}' /proc/$pid/smaps_rollup; kill $pid; wait $pid";
    const testing_support::commandResult result = testing_support::runCommand(command);
    return std::atol(result.output.c_str());
  };
  EXPECT_GT(largePages("glibc.malloc.perturb=0"), 16 * 1024);
  EXPECT_EQ(largePages("glibc.malloc.hugetlb=0"), 0);
}

}  // namespace
