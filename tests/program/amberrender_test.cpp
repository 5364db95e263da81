// The offline renderer over the show's own pack.
#include "support/command.h"
#include "support/test_package.h"

#include "api/texture/stb_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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
                                "--whatever --bench"}) {
    const commandResult result = run(arguments);
    EXPECT_EQ(result.status, 2) << arguments << "\n" << result.output;
    EXPECT_NE(result.output.find("usage: amberrender"), std::string::npos) << arguments;
  }
  EXPECT_EQ(run("--help").status, 0);
}

}  // namespace
