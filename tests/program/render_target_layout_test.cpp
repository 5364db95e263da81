// The compact render targets against the full 2048 layout, through the
// offline renderer over the show's own pack: the same pictures in every scene.
#include "support/command.h"
#include "support/desktop_session.h"
#include "support/offline_renderer.h"
#include "support/rgb_picture.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::commandResult;

constexpr int framesPerSecond = 4;
constexpr size_t momentsPerScene = 10;
constexpr double smallestPsnr = 40.0;

commandResult render(const std::string& arguments) {
  return testing_support::renderInPackFolder(arguments);
}

// Ten frames of each scene, spread evenly over the frames (at 4 per second)
// that the show itself gives to the scene.
std::map<std::string, std::vector<int64_t>> framesOfEachScene() {
  const commandResult listed = render("--size 64x36 --fps 4 --scenes");
  EXPECT_EQ(listed.status, 0) << listed.output;
  std::map<std::string, std::vector<int64_t>> all;
  std::istringstream lines(listed.output);
  std::string line;
  while (std::getline(lines, line)) {
    double moment = 0.0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%lf %n", &moment, &consumed) != 1 || consumed == 0) continue;
    all[line.substr(static_cast<size_t>(consumed))].push_back(
        std::llround(moment * framesPerSecond));
  }
  std::map<std::string, std::vector<int64_t>> chosen;
  for (const auto& [scene, frames] : all) {
    if (frames.size() < momentsPerScene) continue;
    for (size_t k = 0; k < momentsPerScene; ++k) {
      chosen[scene].push_back(frames[(2 * k + 1) * frames.size() / (2 * momentsPerScene)]);
    }
  }
  return chosen;
}


std::string frameFile(const std::string& folder, int64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frame));
  return folder + name;
}

TEST(RenderTargetLayout, CompactTargetsDrawTheFullLayoutsPictures) {
  const std::map<std::string, std::vector<int64_t>> scenes = framesOfEachScene();
  for (const char* scene :
       {"opening", "title particles", "tunnel", "greetings", "pictures and fades"}) {
    EXPECT_EQ(scenes.count(scene), 1u) << scene << " has fewer than ten frames at 4 fps";
  }
  std::string moments;
  for (const auto& [scene, frames] : scenes) {
    for (const int64_t frame : frames) {
      moments += (moments.empty() ? "" : ",") +
                 std::to_string(static_cast<double>(frame) / framesPerSecond);
    }
  }

  const std::string folder = testing_support::makeTempFolder();
  for (const char* size : {"1024x576", "1280x720"}) {
    const std::string full = folder + "/full-" + size;
    const std::string compact = folder + "/compact-" + size;
    const std::string common = std::string("--size ") + size + " --fps 4 --at " + moments;
    const commandResult fullRun = render(common + " --full-targets --png " + full);
    ASSERT_EQ(fullRun.status, 0) << fullRun.output;
    const commandResult compactRun = render(common + " --png " + compact);
    ASSERT_EQ(compactRun.status, 0) << compactRun.output;

    for (const auto& [scene, frames] : scenes) {
      double worst = INFINITY;
      for (const int64_t frame : frames) {
        const auto expected = testing_support::readRgbPicture(frameFile(full, frame));
        const auto actual = testing_support::readRgbPicture(frameFile(compact, frame));
        ASSERT_TRUE(expected.pixels && actual.pixels) << frameFile(compact, frame);
        ASSERT_EQ(expected.width, actual.width);
        ASSERT_EQ(expected.height, actual.height);
        const double ratio = testing_support::psnr(expected, actual);
        EXPECT_GE(ratio, smallestPsnr) << size << " " << scene << " at "
                                       << static_cast<double>(frame) / framesPerSecond << " s";
        worst = std::min(worst, ratio);
      }
      std::printf("%s %-20s worst PSNR %.1f dB\n", size, scene.c_str(), worst);
    }
  }
  fs::remove_all(folder);
}

}  // namespace
