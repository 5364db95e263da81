// Gallery: the greetings scene through the whole post-processing chain
// (scene target, occlusion, composite, labels) with the show's own shaders,
// model and tracks, at a few rows of the break and the second drop.
#include "api/gl/gl.h"
#include "content/sync_script.h"
#include "engine/scenes/greetings_scene.h"
#include "support/greetings_chain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using testing_support::kContextHeight;
using testing_support::kContextWidth;

class GreetingsGallery : public testing_support::greetingsChainTest {
 protected:
  struct tally {
    int amber = 0;     // warm: red well above blue
    int cyan = 0;      // cool: blue well above red
    long light = 0;    // summed brightness
  };

  // Sorts the pixels of a rectangle (from the top-left) by their tint.
  static tally tallyOf(int left, int top, int width, int height) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, kContextHeight - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    tally counted;
    for (size_t i = 0; i < pixels.size(); i += 4) {
      const int red = pixels[i], green = pixels[i + 1], blue = pixels[i + 2];
      if (red > blue + 60 && green > blue) ++counted.amber;
      if (blue > red + 40) ++counted.cyan;
      counted.light += red + green + blue;
    }
    return counted;
  }

  static std::vector<uint8_t> screenPixels() {
    std::vector<uint8_t> pixels(static_cast<size_t>(kContextWidth) * kContextHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kContextWidth, kContextHeight, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
  }

  static float barRow(int bar, int beat, int row) {
    return static_cast<float>(content::rowOfBarBeatRow(bar, beat, row));
  }
};

// The break: amber cubes against the cool background, no highlight yet,
// labels not on.
TEST_F(GreetingsGallery, GreetingsBreakAmberCubesOnCyan) {
  buildShowChain();
  drawFrame(barRow(41, 0, 0));
  ASSERT_TRUE(scenes::greetingsActive());
  const tally whole = tallyOf(0, 0, kContextWidth, kContextHeight);
  EXPECT_GT(whole.amber, kContextWidth * kContextHeight / 10);
  EXPECT_GT(whole.cyan, kContextWidth * kContextHeight / 10);
}

// The second drop on a kick: the selected row glows cool against the amber
// row, and the greetings float in front.
TEST_F(GreetingsGallery, GreetingsDropOnAKick) {
  buildShowChain();
  drawFrame(barRow(50, 2, 0));
  const tally onKick = tallyOf(0, 0, kContextWidth, kContextHeight);
  const int ink = countPixels(0, 0, kContextWidth, kContextHeight, 255, 242, 214, 10);
  EXPECT_GT(ink, 200);
  // Half a beat later the blink has faded: fewer cool pixels on the cubes.
  drawFrame(barRow(50, 2, 7));
  const tally afterKick = tallyOf(0, 0, kContextWidth, kContextHeight);
  drawFrame(barRow(50, 2, 0));
  EXPECT_GT(onKick.cyan, afterKick.cyan);
}

// Occlusion only darkens, and only where cubes crowd each other: the same
// view with the occlusion radius at 0 and at 9.
TEST_F(GreetingsGallery, GreetingsOcclusionDarkensTheCreases) {
  buildChain({{"griccTXT.bind", 0}}, {},
             {{"ssao.r.1", testing_support::trackFile({{1, 0.0f, 0}, {9, 900.0f, 0}})}});
  drawFrame(1.0f);
  const std::vector<uint8_t> open = screenPixels();
  drawFrame(9.0f);
  const std::vector<uint8_t> occluded = screenPixels();
  int darker = 0;
  int brighter = 0;
  for (size_t i = 0; i < open.size(); i += 4) {
    const int before = open[i] + open[i + 1] + open[i + 2];
    const int after = occluded[i] + occluded[i + 1] + occluded[i + 2];
    if (after < before - 30) ++darker;
    if (after > before + 6) ++brighter;
  }
  EXPECT_GT(darker, 10000);
  EXPECT_LT(brighter, darker / 100);
  // The background (the top hundred rows, read last) is untouched.
  const size_t topRows = static_cast<size_t>(4 * kContextWidth * 100);
  EXPECT_TRUE(std::equal(open.end() - static_cast<long>(topRows), open.end(),
                         occluded.end() - static_cast<long>(topRows)));
}

}  // namespace
