// amberrender's delivery formats and colours, resumed PNG renders and the
// flash check of frames on disk.
#include "support/command.h"
#include "support/desktop_session.h"
#include "support/offline_renderer.h"
#include "support/image_files.h"
#include "support/rgb_picture.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testing_support::commandResult;
using testing_support::runCommand;

const std::string packFolder = testing_support::packFolder();

commandResult render(const std::string& arguments) {
  return testing_support::renderInPackFolder(arguments);
}

#define REQUIRE_FFMPEG()                                                                   \
  if (runCommand("command -v ffmpeg && command -v ffprobe").status != 0) {                 \
    FAIL() << "needs ffmpeg and ffprobe (scripts/ensure-packages.sh installs ffmpeg)"; \
  }

std::string probeStream(const std::string& file, const std::string& stream,
                        const std::string& entries) {
  return runCommand("ffprobe -v error -select_streams " + stream + " -show_entries stream=" +
                    entries + " -of default=nw=1 " + file)
      .output;
}

// The MD5 of every frame's RGB bytes, one a line, as ffmpeg decodes `input`.
std::string frameChecksums(const std::string& input) {
  return runCommand("ffmpeg -v error " + input +
                    " -map 0:v -pix_fmt rgb24 -f framemd5 - | grep -v '^#' | awk -F', *' "
                    "'{print $NF}'")
      .output;
}

// A colourful high-definition frame decoded as players decode HD video is
// the PNG of that frame, and the file says which colours it holds.
TEST(AmberRenderFormats, HighDefinitionVideoIsBt709AndSaysSo) {
  REQUIRE_FFMPEG();
  const std::string folder = testing_support::makeTempFolder();
  const std::string video = folder + "/duck.mp4";
  ASSERT_EQ(render("--size 1280x720 --from 130 --to 130 --no-sound --video " + video).status, 0);
  ASSERT_EQ(render("--size 1280x720 --at 130 --png " + folder).status, 0);
  ASSERT_EQ(runCommand("ffmpeg -v error -i " + video +
                       " -vf scale=in_color_matrix=bt709 -pix_fmt rgb24 " + folder + "/seen.png")
                .status,
            0);
  const testing_support::rgbPicture png =
      testing_support::readRgbPicture(folder + "/frame_007800.png");
  const testing_support::rgbPicture seen = testing_support::readRgbPicture(folder + "/seen.png");
  ASSERT_TRUE(png.pixels && seen.pixels);
  ASSERT_EQ(seen.width * seen.height, 1280 * 720);
  double sums[2][3] = {}, squaredError = 0.0;
  for (int y = 0; y < 720; ++y) {
    for (int x = 0; x < 1280; ++x) {
      for (int c = 0; c < 3; ++c) {
        sums[0][c] += png.at(x, y, c);
        sums[1][c] += seen.at(x, y, c);
        squaredError += std::pow(png.at(x, y, c) - seen.at(x, y, c), 2);
      }
    }
  }
  for (int c = 0; c < 3; ++c) {
    EXPECT_NEAR(sums[1][c] / (1280 * 720), sums[0][c] / (1280 * 720), 1.5) << "channel " << c;
  }
  EXPECT_GE(10.0 * std::log10(255.0 * 255.0 * 1280 * 720 * 3 / squaredError), 35.0);

  EXPECT_EQ(probeStream(video, "v", "color_space,color_primaries,color_transfer,color_range"),
            "color_range=tv\ncolor_space=bt709\ncolor_transfer=bt709\ncolor_primaries=bt709\n");
  // The container's own colour box: primaries, transfer and matrix 1
  // (BT.709), studio range.
  const std::string file = testing_support::readWholeFile(video);
  const size_t box = file.find("colrnclx");
  ASSERT_NE(box, std::string::npos);
  EXPECT_EQ(file.substr(box + 8, 7), std::string("\0\1\0\1\0\1\0", 7));
  fs::remove_all(folder);
}

TEST(AmberRenderFormats, LosslessAndEditingCodecsWithTheirSound) {
  REQUIRE_FFMPEG();
  const std::string folder = testing_support::makeTempFolder();
  const std::string range = "--size 64x36 --fps 10 --from 44 --to 45 ";
  ASSERT_EQ(render(range + "--codec ffv1 --video " + folder + "/lossless.mkv").status, 0);
  ASSERT_EQ(render(range + "--png " + folder).status, 0);
  const std::string fromPngs =
      frameChecksums("-framerate 10 -start_number 440 -i " + folder + "/frame_%06d.png");
  EXPECT_EQ(std::count(fromPngs.begin(), fromPngs.end(), '\n'), 10) << fromPngs;
  EXPECT_EQ(frameChecksums("-i " + folder + "/lossless.mkv"), fromPngs);
  EXPECT_EQ(probeStream(folder + "/lossless.mkv", "a", "codec_name"), "codec_name=flac\n");

  const std::string editing = folder + "/editing.mov";
  ASSERT_EQ(render(range + "--codec prores --video " + editing).status, 0);
  EXPECT_EQ(probeStream(editing, "v", "codec_name,profile,pix_fmt,color_space,color_range"),
            "codec_name=prores\nprofile=HQ\npix_fmt=yuv422p10le\ncolor_range=tv\n"
            "color_space=smpte170m\n");  // BT.601 below 720 lines
  EXPECT_EQ(probeStream(editing, "a", "codec_name"), "codec_name=pcm_s16le\n");

  // An ffmpeg without the encoder is named before anything renders.
  fs::create_directory(folder + "/bin");
  std::ofstream(folder + "/bin/ffmpeg") << "#!/bin/sh\necho ' V....D libx264  H.264'\n"
                                           "echo ' A..... aac      AAC'\n";
  fs::permissions(folder + "/bin/ffmpeg", fs::perms::owner_all);
  const commandResult missing = runCommand("cd " + packFolder + " && PATH=" + folder +
                                           "/bin:$PATH " + AMBER_RENDER_EXECUTABLE + " " + range +
                                           "--codec prores --video " + editing + " 2>&1");
  EXPECT_EQ(missing.status, 1) << missing.output;
  EXPECT_NE(missing.output.find("no prores encoder"), std::string::npos) << missing.output;
  EXPECT_EQ(missing.output.find("frames rendered"), std::string::npos) << missing.output;
  fs::remove_all(folder);
}

// How many files in `folder` have names ending in `ending`.
int countFrames(const std::string& folder, const std::string& ending) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    count += name.size() > ending.size() &&
             name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  }
  return count;
}

TEST(AmberRenderFormats, AnInterruptedPngRenderResumesToTheFramesOfOneRun) {
  const std::string folder = testing_support::makeTempFolder();
  const std::string resumed = folder + "/resumed", whole = folder + "/whole";
  const std::string range = "--size 160x90 --fps 30 --from 40 --to 50 --png ";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(packFolder.c_str()) != 0) _exit(120);
    execl(AMBER_RENDER_EXECUTABLE, "amberrender", "--size", "160x90", "--fps", "30", "--from",
          "40", "--to", "50", "--png", resumed.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  for (int wait = 0; wait < 1200 && (!fs::exists(resumed) || countFrames(resumed, ".png") < 20);
       ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const int kept = countFrames(resumed, ".png");
  ASSERT_GE(kept, 20);
  ASSERT_LT(kept, 300) << "stopped before the range's end";
  EXPECT_EQ(countFrames(resumed, ".part"), 0);

  const commandResult rest = render(range + resumed + " --resume");
  ASSERT_EQ(rest.status, 0) << rest.output;
  EXPECT_NE(rest.output.find(std::to_string(300 - kept) + " frames rendered"), std::string::npos)
      << rest.output;
  ASSERT_EQ(render(range + whole).status, 0);
  ASSERT_EQ(countFrames(resumed, ".png"), 300);
  for (const auto& entry : fs::directory_iterator(whole)) {
    const std::string name = entry.path().filename().string();
    EXPECT_EQ(testing_support::readWholeFile(resumed + "/" + name),
              testing_support::readWholeFile(entry.path().string()))
        << name;
  }
  fs::remove_all(folder);
}

// Frames on disk: 32 x 32 at 30 a second, black with `flashes` white
// flashes of 2 + 2 frames from frame 10 on; the check's status and report.
commandResult checkFlashesOf(int flashes, int frames = 60) {
  const std::string folder = testing_support::makeTempFolder();
  for (int frame = 0; frame < frames; ++frame) {
    const bool lit = frame >= 10 && frame < 10 + 4 * flashes && (frame - 10) % 4 < 2;
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", frame + 30);
    const uint8_t level = lit ? 255 : 0;
    std::ofstream(folder + name, std::ios::binary)
        << testing_support::pngFile(32, 32, 3,
                                    testing_support::solidPixels(32, 32, {level, level, level}));
  }
  const commandResult result = render("--check-flashes --fps 30 --png " + folder);
  fs::remove_all(folder);
  return result;
}

TEST(AmberRenderFormats, FlashCheckOfFramesOnDiskFailsAboveThreeFlashesASecond) {
  const commandResult four = checkFlashesOf(4);
  EXPECT_EQ(four.status, 1) << four.output;
  EXPECT_NE(four.output.find("       1        4    0  too many"), std::string::npos) << four.output;
  EXPECT_NE(four.output.find("fails: at most 4 general and 0 red"), std::string::npos);
  const commandResult three = checkFlashesOf(3);
  EXPECT_EQ(three.status, 0) << three.output;
  EXPECT_NE(three.output.find("passes: at most 3 general and 0 red"), std::string::npos);
}

}  // namespace
