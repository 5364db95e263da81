// The flash count of amberrender --check-flashes, on synthetic frames.
#include "flash_analysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace {

using rgb = std::array<uint8_t, 3>;
const rgb black{0, 0, 0}, white{255, 255, 255};

// 20 x 20 frames at 30 frames a second: the top `flashingRows` rows show
// `colourAt(frame)`, the others stay black. The most flashes in any second:
// {general, red}.
std::array<int, 2> mostFlashes(int frames, int flashingRows,
                               const std::function<rgb(int)>& colourAt) {
  flashAnalysis analysis(20, 20, 30, 1);
  std::vector<uint8_t> picture(20 * 20 * 3);
  for (int frame = 0; frame < frames; ++frame) {
    const rgb colour = colourAt(frame);
    for (int pixel = 0; pixel < 20 * 20; ++pixel) {
      std::copy_n((pixel < flashingRows * 20 ? colour : black).begin(), 3, &picture[pixel * 3]);
    }
    analysis.addFrame(frame, picture.data());
  }
  std::array<int, 2> most{0, 0};
  for (const flashSecond& second : analysis.seconds()) {
    most = {std::max(most[0], second.general), std::max(most[1], second.red)};
  }
  return most;
}

// `count` flashes from frame `first` on, 4 frames each (7.5 a second):
// `on` for two frames, `off` for two; `off` before and after.
std::function<rgb(int)> blinks(int count, int first, rgb on, rgb off = black) {
  return [=](int frame) {
    const int into = frame - first;
    return into >= 0 && into < 4 * count && into % 4 < 2 ? on : off;
  };
}

TEST(FlashAnalysis, FourFlashesInAnySecondAreTooManyAndThreeAreNot) {
  // Frames 22 to 37 straddle the second at frame 30: the second counted
  // from any moment, not from whole seconds, holds all four.
  EXPECT_EQ(mostFlashes(90, 20, blinks(4, 22, white)), (std::array<int, 2>{4, 0}));
  EXPECT_EQ(mostFlashes(90, 20, blinks(3, 22, white)), (std::array<int, 2>{3, 0}));
  // The same flashes one second apart are one flash a second.
  EXPECT_EQ(
      mostFlashes(150, 20, [](int frame) { return frame % 30 < 2 && frame > 0 ? white : black; }),
      (std::array<int, 2>{1, 0}));
}

TEST(FlashAnalysis, OnlyAQuarterOfThePictureAndAStrongEnoughChangeCount) {
  // 4 of 20 rows: a fifth of the picture flashes; 5 rows: a quarter.
  EXPECT_EQ(mostFlashes(90, 4, blinks(5, 10, white))[0], 0);
  EXPECT_EQ(mostFlashes(90, 5, blinks(5, 10, white))[0], 5);
  // Between bright states (darker above 0.8 luminance) and below a tenth
  // of the luminance's range there is no flash.
  EXPECT_EQ(mostFlashes(90, 20, blinks(6, 10, white, rgb{235, 235, 235}))[0], 0);
  EXPECT_EQ(mostFlashes(90, 20, blinks(6, 10, rgb{60, 60, 60}))[0], 0);
  // A fade up and down over a second each is one flash, however its
  // frames wobble on the way.
  const auto fade = [](int frame) {
    const int level = frame < 30 ? frame * 8 : std::max(0, 480 - frame * 8);
    const uint8_t wobbling = static_cast<uint8_t>(std::min(255, level + (frame % 2) * 6));
    return rgb{wobbling, wobbling, wobbling};
  };
  EXPECT_EQ(mostFlashes(90, 20, fade)[0], 1);
}

TEST(FlashAnalysis, SaturatedRedFlashesCountOnTheirOwn) {
  // Red and a grey of about its luminance: no general flash, four red ones.
  EXPECT_EQ(mostFlashes(90, 20, blinks(4, 10, rgb{255, 0, 0}, rgb{127, 127, 127})),
            (std::array<int, 2>{0, 4}));
  // An orange (not saturated red) against the same grey is no red flash.
  EXPECT_EQ(mostFlashes(90, 20, blinks(4, 10, rgb{255, 140, 0}, rgb{127, 127, 127}))[1], 0);
}

}  // namespace
