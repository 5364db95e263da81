// The picture of every scene on a monitor of another shape: the 16:9 picture
// letterboxed into a 4:3 frame must be the same picture, not a shifted one.
#include "support/command.h"
#include "support/rgb_picture.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

// Frames every 10 s from 10 s to 140 s: each scene gets at least two.
void renderFrames(const std::string& size, const std::string& folder) {
  const std::string command = "cd " + fs::path(AMBER_PACK_PATH).parent_path().string() + " && " +
                              AMBER_RENDER_EXECUTABLE + " --size " + size +
                              " --fps 1/10 --from 5 --to 141 --png " + folder + " 2>&1";
  const testing_support::commandResult result = testing_support::runCommand(command);
  ASSERT_EQ(result.status, 0) << result.output;
}

TEST(Letterbox, FourToThreePictureAreaIsTheWidescreenPicture) {
  const std::string wide = testing_support::makeTempFolder() + "/wide";
  const std::string boxed = testing_support::makeTempFolder() + "/boxed";
  ASSERT_NO_FATAL_FAILURE(renderFrames("256x144", wide));
  ASSERT_NO_FATAL_FAILURE(renderFrames("256x192", boxed));
  constexpr int width = 256, height = 144, bar = 24;
  for (int frame = 1; frame <= 14; ++frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
    const testing_support::rgbPicture picture = testing_support::readRgbPicture(wide + name);
    const testing_support::rgbPicture letterboxed = testing_support::readRgbPicture(boxed + name);
    ASSERT_TRUE(picture.pixels && letterboxed.pixels) << name;
    ASSERT_EQ(letterboxed.height, height + 2 * bar);
    long barLight = 0, far = 0, total = 0;
    for (int y = 0; y < letterboxed.height; ++y) {
      for (int x = 0; x < width * 3; ++x) {
        const int value = letterboxed.pixels.get()[y * width * 3 + x];
        if (y < bar || y >= bar + height) {
          barLight += value > 8;
          continue;
        }
        const int wanted = picture.pixels.get()[(y - bar) * width * 3 + x];
        far += std::abs(value - wanted) > 24;
        ++total;
      }
    }
    EXPECT_EQ(barLight, 0) << "bars are not black at " << frame * 10 << " s";
    EXPECT_LT(far, total / 100) << "picture differs at " << frame * 10 << " s";
  }
}

}  // namespace
