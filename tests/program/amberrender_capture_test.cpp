// The offline renderer's video path, its failures and its parallel capture.
#include "support/command.h"
#include "support/desktop_session.h"
#include "support/offline_renderer.h"
#include "support/ssh_server.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
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

bool haveVideoTools() {
  return runCommand("command -v ffmpeg && command -v ffprobe && command -v parallel").status == 0;
}

#define REQUIRE_VIDEO_TOOLS()                                                          \
  if (!haveVideoTools()) {                                                             \
    FAIL() << "needs ffmpeg and parallel (scripts/ensure-packages.sh installs them)"; \
  }

// "key=value" lines from ffprobe about `file`.
std::string probe(const std::string& file, const std::string& stream) {
  return runCommand("ffprobe -v error -count_frames -select_streams " + stream +
                    " -show_entries stream=nb_read_frames,r_frame_rate,start_time,duration"
                    " -of default=nw=1 " + file)
      .output;
}

double probedValue(const std::string& report, const std::string& key) {
  const size_t at = report.find(key + "=");
  return at == std::string::npos ? -1.0 : std::atof(report.c_str() + at + key.size() + 1);
}

TEST(AmberRenderVideo, CarriesTheRangeAndItsSound) {
  REQUIRE_VIDEO_TOOLS();
  const std::string video = testing_support::makeTempFolder() + "/clip.mp4";
  const commandResult result =
      render("--size 64x36 --fps 10 --from 50.05 --to 51.5 --video " + video);
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output.find("frames/s"), std::string::npos) << "progress off a terminal";

  // Frames 501..514 (50.1 s .. 51.4 s): 14 frames, 1.4 s.
  const std::string picture = probe(video, "v");
  EXPECT_NE(picture.find("r_frame_rate=10/1"), std::string::npos) << picture;
  EXPECT_EQ(probedValue(picture, "nb_read_frames"), 14) << picture;
  EXPECT_NEAR(probedValue(picture, "duration"), 1.4, 0.01) << picture;
  const std::string sound = probe(video, "a");
  EXPECT_NEAR(probedValue(sound, "start_time"), probedValue(picture, "start_time"), 0.03) << sound;
  EXPECT_NEAR(probedValue(sound, "duration"), 1.4, 0.05) << sound;
  fs::remove_all(fs::path(video).parent_path());
}

TEST(AmberRenderVideo, EncoderFailuresEndWithTheEncodersReason) {
  REQUIRE_VIDEO_TOOLS();
  const commandResult unwritable =
      render("--size 64x36 --fps 10 --from 50 --to 52 --video /nonexistent/dir/x.mp4");
  EXPECT_EQ(unwritable.status, 1) << unwritable.output;  // never 141 (SIGPIPE)
  EXPECT_NE(unwritable.output.find("amberrender: the video encoder"), std::string::npos)
      << unwritable.output;
  EXPECT_NE(unwritable.output.find("No such file or directory"), std::string::npos)
      << unwritable.output;

  const commandResult missing = runCommand("cd " + packFolder + " && PATH=/nonexistent " +
                                           AMBER_RENDER_EXECUTABLE +
                                           " --fps 10 --video /tmp/x.mp4 2>&1");
  EXPECT_EQ(missing.status, 1) << missing.output;
  EXPECT_NE(missing.output.find("needs ffmpeg"), std::string::npos) << missing.output;

  // Odd sizes are refused before anything renders.
  const commandResult odd = render("--size 65x36 --video /tmp/x.mp4");
  EXPECT_EQ(odd.status, 2) << odd.output;
  EXPECT_NE(odd.output.find("even width and height"), std::string::npos) << odd.output;
}

TEST(AmberRenderVideo, CtrlCKeepsAPlayableVideoAndExits130) {
  REQUIRE_VIDEO_TOOLS();
  const std::string folder = testing_support::makeTempFolder();
  const std::string video = folder + "/cut.mp4";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(packFolder.c_str()) != 0) _exit(120);
    execl(AMBER_RENDER_EXECUTABLE, "amberrender", "--size", "64x36", "--fps", "10", "--from",
          "40", "--video", video.c_str(), static_cast<char*>(nullptr));
    _exit(121);
  }
  // ffmpeg makes the file once the first frames have arrived.
  for (int wait = 0; wait < 600 && !fs::exists(video); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  kill(child, SIGINT);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  const std::string picture = probe(video, "v");
  EXPECT_GT(probedValue(picture, "nb_read_frames"), 0) << picture;
  EXPECT_LT(probedValue(picture, "nb_read_frames"), 1400) << "stopped before the song's end";
  fs::remove_all(folder);
}

// Parts rendered here, and parts shared between here and "another machine"
// reached by ssh, join into exactly the frames of one run.
TEST(AmberRenderVideo, PartsRenderedInParallelJoinIntoTheFramesOfOneRun) {
  REQUIRE_VIDEO_TOOLS();
  // The script's own folder is made under TMPDIR, which the ssh side sees
  // empty, so nothing is shared but what ssh carries.
  const std::string folder = testing_support::makeTempFolder();
  const std::string scratch = folder + "/scratch";
  fs::create_directory(scratch);
  testing_support::sshServer remote;
  ASSERT_TRUE(remote.start(scratch)) << remote.failure();
  const std::string options = " --size 64x36 --fps 10 --crf 0 --pack " + std::string(AMBER_PACK_PATH);
  const commandResult single =
      render("--from 44.3 --to 46.2 --video " + folder + "/single.mp4" + options);
  ASSERT_EQ(single.status, 0) << single.output;
  const std::string script = "TMPDIR=" + scratch + " " + AMBER_SOURCE_DIR +
                             "/scripts/render-parallel.sh --parts 2 --renderer " +
                             AMBER_RENDER_EXECUTABLE + " --from 44.3 --to 46.2 ";
  const commandResult here =
      runCommand(script + "--jobs 2 " + folder + "/here.mp4" + options + " 2>&1");
  ASSERT_EQ(here.status, 0) << here.output;
  // One job a login: one part here (":"), one over ssh.
  const commandResult shared = runCommand(script + "--jobs 1 --sshlogin : --sshlogin '" +
                                          remote.login() + "' " + folder + "/shared.mp4" +
                                          options + " 2>&1");
  ASSERT_EQ(shared.status, 0) << shared.output;
  EXPECT_NE(remote.log().find("Accepted publickey"), std::string::npos) << remote.log();

  // Lossless parts decode to exactly the frames of one run.
  const std::string checksums =
      " -map 0:v -f framemd5 - 2>/dev/null | grep -v '^#' | awk -F', *' '{print $NF}'";
  const std::string one = runCommand("ffmpeg -i " + folder + "/single.mp4" + checksums).output;
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 19) << one;  // frames 443..461
  for (const char* joined : {"/here.mp4", "/shared.mp4"}) {
    EXPECT_EQ(one, runCommand("ffmpeg -i " + folder + joined + checksums).output) << joined;
    const std::string sound = probe(folder + joined, "a");
    EXPECT_NEAR(probedValue(sound, "duration"), 1.9, 0.05) << joined << ": " << sound;
  }
  fs::remove_all(folder);
}

TEST(AmberRenderFailures, AFullDiskStopsWithTheFileAndTheReason) {
  const std::string folder = testing_support::makeTempFolder();
  // A disk of 64 KiB: a few frames fit, then writing fails.
  if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
  }
  const commandResult result =
      render("--size 160x90 --fps 10 --from 44 --to 54 --png " + folder + "/frames");
  umount(folder.c_str());
  fs::remove_all(folder);
  EXPECT_EQ(result.status, 1) << result.output;
  EXPECT_NE(result.output.find("cannot write " + folder + "/frames/frame_"), std::string::npos)
      << result.output;
  EXPECT_NE(result.output.find("No space left on device"), std::string::npos) << result.output;
}

TEST(AmberRenderFailures, ShowsProgressOnlyOnATerminal) {
  // script(1) gives the renderer a terminal.
  const commandResult result = runCommand(
      "cd " + packFolder + " && script -qec '" + AMBER_RENDER_EXECUTABLE +
      " --size 64x36 --fps 4 --from 44 --to 46 --bench' /dev/null 2>&1");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("frame 8 of 8"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("frames/s"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("left"), std::string::npos) << result.output;
}

}  // namespace
