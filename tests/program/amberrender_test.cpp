// The offline renderer over the show's own pack.
#include "support/command.h"
#include "support/test_package.h"

#include "api/texture/stb_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testing_support::commandResult;
using testing_support::runCommand;

commandResult run(const std::string& arguments) {
  const std::string command = std::string("cd ") + fs::path(AMBER_PACK_PATH).parent_path().string() +
                              " && " + AMBER_RENDER_EXECUTABLE + " " + arguments + " 2>&1";
  return runCommand(command);
}

TEST(AmberRender, WritesNumberedFramesAtAnyRationalFrameRate) {
  const std::string folder = testing_support::makeTempFolder() + "/frames";
  // Two seconds of the tunnel at 30000/1001 frames per second: the first
  // frame at or after 45 s is 1349 (45.012 s), the last before 47 s 1408.
  const commandResult result =
      run("--size 64x36 --fps 30000/1001 --from 45 --to 47 --png " + folder);
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("60 frames rendered"), std::string::npos) << result.output;
  EXPECT_FALSE(fs::exists(folder + "/frame_001348.png"));
  ASSERT_TRUE(fs::exists(folder + "/frame_001349.png"));
  ASSERT_TRUE(fs::exists(folder + "/frame_001408.png"));
  EXPECT_FALSE(fs::exists(folder + "/frame_001409.png"));

  // The frames have the asked size and show a moving picture.
  int width = 0, height = 0, channels = 0;
  const std::string firstFile = testing_support::readWholeFile(folder + "/frame_001349.png");
  const std::string lastFile = testing_support::readWholeFile(folder + "/frame_001408.png");
  uint8_t* first = FWtexture::decodeWithStb(reinterpret_cast<const uint8_t*>(firstFile.data()),
                                            static_cast<int>(firstFile.size()), &width, &height,
                                            &channels);
  uint8_t* last = FWtexture::decodeWithStb(reinterpret_cast<const uint8_t*>(lastFile.data()),
                                           static_cast<int>(lastFile.size()), &width, &height,
                                           &channels);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 36);
  ASSERT_EQ(channels, 3);
  long lit = 0, changed = 0;
  for (int i = 0; i < 64 * 36 * 3; ++i) {
    lit += first[i] > 16;
    changed += first[i] != last[i];
  }
  EXPECT_GT(lit, 64 * 36 / 2);  // the tunnel fills the picture
  EXPECT_GT(changed, 64 * 36 / 4);
  std::free(first);
  std::free(last);
}

TEST(AmberRender, TimesFramesPerScene) {
  const commandResult result = run("--size 64x36 --fps 4 --from 44 --to 46.5 --bench");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("scene"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("tunnel"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("title particles"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("frames per second"), std::string::npos) << result.output;
}

TEST(AmberRender, RefusesUnclearRequests) {
  for (const char* arguments : {"", "--png /tmp/x --bench", "--size 10x10 --bench",
                                "--fps 0 --bench", "--fps 25/0 --bench", "--from -1 --bench",
                                "--whatever --bench", "--from 5 --to 4 --bench",
                                "--at 3 --bench", "--at 3,x --png /tmp/x", "--crf 52 --bench",
                                "--preset 'fast;rm' --video x.mp4", "--codec vp9 --video x.mkv",
                                "--codec ffv1 --video x.mp4", "--audio flac --video x.mp4",
                                "--audio pcm --bench", "--resume --bench",
                                "--check-flashes --bench", "--at 3 --check-flashes --png /tmp/x"}) {
    const commandResult result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    EXPECT_NE(result.output.find("usage: amberrender"), std::string::npos) << arguments;
  }
  EXPECT_EQ(run("--help").status, 0);
}

// The RGB pixels of a PNG file; empty when it cannot be read.
std::vector<uint8_t> decodedPng(const std::string& path, int* width, int* height) {
  const std::string file = testing_support::readWholeFile(path);
  int channels = 0;
  uint8_t* pixels = FWtexture::decodeWithStb(reinterpret_cast<const uint8_t*>(file.data()),
                                             static_cast<int>(file.size()), width, height,
                                             &channels);
  if (pixels == nullptr || channels != 3) return {};
  std::vector<uint8_t> copy(pixels, pixels + static_cast<size_t>(*width) * *height * 3);
  std::free(pixels);
  return copy;
}

TEST(AmberRender, PicturesWiderThan2048KeepTheirRightPart) {
  // The title (through its scene target) and the greetings (through the
  // occlusion chain) at 2560x1440 must look like the 1280x720 frame
  // enlarged, also right of pixel 2048, where a too-small target smears.
  const std::string folder = testing_support::makeTempFolder();
  for (const char* size : {"1280x720", "2560x1440"}) {
    const commandResult result = run(std::string("--size ") + size + " --at 30,100 --png " +
                                     folder + "/" + size);
    ASSERT_EQ(result.status, 0) << result.output;
  }
  for (const char* frame : {"/frame_001800.png", "/frame_006000.png"}) {
    int smallWidth = 0, smallHeight = 0, largeWidth = 0, largeHeight = 0;
    const auto small = decodedPng(folder + "/1280x720" + frame, &smallWidth, &smallHeight);
    const auto large = decodedPng(folder + "/2560x1440" + frame, &largeWidth, &largeHeight);
    ASSERT_EQ(small.size() * 4, large.size()) << frame;
    long difference = 0;
    long count = 0;
    for (int y = 0; y < 720; ++y) {
      for (int x = 1040; x < 1280; ++x) {  // beyond 2080 in the large picture
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int d = 0; d < 4; ++d) {
            sum += large[((2 * y + d / 2) * 2560 + 2 * x + d % 2) * 3 + c];
          }
          difference += std::abs(sum / 4 - small[(y * 1280 + x) * 3 + c]);
          ++count;
        }
      }
    }
    EXPECT_LT(static_cast<double>(difference) / count, 1.2) << frame;  // smeared: 1.9 and 37
  }
  fs::remove_all(folder);
}

TEST(AmberRender, RefusesRangesWithoutFrames) {
  // Past the end of the song, and a range between two frames at 1 fps.
  for (const char* arguments : {"--from 100000 --bench", "--fps 1 --from 10.2 --to 10.7 --bench",
                                "--at 5,100000 --png /tmp/x"}) {
    const commandResult result = run(std::string("--size 64x36 ") + arguments);
    EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    EXPECT_EQ(result.output.find("frames rendered"), std::string::npos) << result.output;
  }
}

TEST(AmberRender, RendersTheFrameAtAMoment) {
  const std::string folder = testing_support::makeTempFolder();
  // --from equal to --to is the one frame at that moment; --at picks
  // single frames, numbered like a range's.
  const commandResult one = run("--size 64x36 --from 45.5 --to 45.5 --png " + folder + "/one");
  ASSERT_EQ(one.status, 0) << one.output;
  EXPECT_NE(one.output.find("1 frames rendered"), std::string::npos) << one.output;
  const commandResult some = run("--size 64x36 --at 45.5,20.01 --png " + folder + "/some");
  ASSERT_EQ(some.status, 0) << some.output;
  EXPECT_EQ(std::distance(fs::directory_iterator(folder + "/some"), fs::directory_iterator()), 2);
  EXPECT_TRUE(fs::exists(folder + "/some/frame_001201.png"));
  const std::string alone = testing_support::readWholeFile(folder + "/one/frame_002730.png");
  ASSERT_FALSE(alone.empty());
  EXPECT_EQ(alone, testing_support::readWholeFile(folder + "/some/frame_002730.png"));
  fs::remove_all(folder);
}

}  // namespace
