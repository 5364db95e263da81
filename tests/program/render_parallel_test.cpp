// scripts/render-parallel.sh with the folder and file names people really
// have, here and over ssh, and a run stopped halfway and started again.
#include "support/child_process.h"
#include "support/command.h"
#include "support/ssh_server.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testing_support::commandResult;
using testing_support::runCommand;
using testing_support::shellQuoted;

// Every way a name could run a command if a shell read it unquoted; each
// one would leave `marker` in the home folder.
const std::string marker = "amber-injected";
const std::string hostileName = "p q $(cd;touch " + marker + ") `cd;touch " + marker +
                                "` x;cd;touch " + marker + ";'it''s\" end";

bool haveVideoTools() {
  return runCommand("command -v ffmpeg && command -v ffprobe && command -v parallel").status == 0;
}

// A folder whose own name is hostile, with a home folder and a TMPDIR in it.
struct hostileFolder {
  std::string top = testing_support::makeTempFolder();
  std::string root = top + "/" + hostileName;
  std::string home = root + "/home";
  std::string scratch = root + "/tmp " + hostileName;
  std::string pack = root + "/pack " + hostileName + ".zip";

  hostileFolder() {
    fs::create_directories(home);
    fs::create_directories(scratch);
    fs::copy_file(AMBER_PACK_PATH, pack);
  }

  // The script's command line with HOME and TMPDIR in here.
  std::string script(const std::string& arguments, const std::string& output) const {
    return "HOME=" + shellQuoted(home) + " TMPDIR=" + shellQuoted(scratch) + " " +
           shellQuoted(std::string(AMBER_SOURCE_DIR) + "/scripts/render-parallel.sh") +
           " --renderer " + shellQuoted(AMBER_RENDER_EXECUTABLE) + " " + arguments + " " +
           shellQuoted(output) + " --size 64x36 --fps 10 --crf 0 --pack " + shellQuoted(pack);
  }

  // Where an injected command would have left its marker: anywhere in
  // here, or in the home folder of whoever ssh logs in as.
  std::string injected() const {
    std::string found;
    for (const auto& entry : fs::recursive_directory_iterator(top)) {
      if (entry.path().filename().string().rfind(marker, 0) == 0) found += entry.path().string();
    }
    const passwd* user = getpwuid(getuid());
    if (user != nullptr && fs::exists(std::string(user->pw_dir) + "/" + marker)) {
      found += std::string(user->pw_dir) + "/" + marker;
    }
    return found;
  }
};

std::string frameChecksums(const std::string& video) {
  return runCommand("ffmpeg -i " + shellQuoted("file:" + video) +
                    " -map 0:v -f framemd5 - 2>/dev/null | grep -v '^#' | awk -F', *' "
                    "'{print $NF}'")
      .output;
}

size_t lineCount(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

// The finished parts of the script's folders under `scratch`.
int finishedParts(const std::string& scratch) {
  int parts = 0;
  for (const auto& entry : fs::recursive_directory_iterator(scratch)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == 12 && name.rfind("part_", 0) == 0 && name.find(".mp4") == 8) ++parts;
  }
  return parts;
}

TEST(RenderParallel, HostileNamesStayLiteralHereAndOverSsh) {
  ASSERT_TRUE(haveVideoTools()) << "needs ffmpeg and parallel (scripts/ensure-packages.sh)";
  const hostileFolder folder;
  const passwd* user = getpwuid(getuid());
  if (user != nullptr) fs::remove(std::string(user->pw_dir) + "/" + marker);
  // Whoever logs in sees TMPDIR as an empty folder of its own, so the
  // parts' folder, hostile name and all, is made there by GNU parallel.
  testing_support::sshServer remote;
  ASSERT_TRUE(remote.start(folder.scratch)) << remote.failure();
  const std::string output = folder.root + "/show `cd;touch " + marker + "`.mp4";
  const commandResult result =
      runCommand(folder.script("--parts 2 --jobs 1 --sshlogin : --sshlogin " +
                                   shellQuoted(remote.login()) + " --from 44.3 --to 45.3",
                               output) +
                 " 2>&1");
  ASSERT_EQ(result.status, 0) << result.output;
  EXPECT_NE(remote.log().find("Accepted publickey"), std::string::npos) << remote.log();
  EXPECT_EQ(lineCount(frameChecksums(output)), 10u) << result.output;  // frames 443..452
  EXPECT_EQ(folder.injected(), "") << result.output;
  EXPECT_TRUE(fs::is_empty(folder.scratch)) << "the parts' folder outlived the join";
}

// Ctrl-C halfway keeps the finished parts; the same command renders only
// the missing ones and makes the frames of one run.
TEST(RenderParallel, AStoppedRunRendersOnlyTheMissingParts) {
  ASSERT_TRUE(haveVideoTools()) << "needs ffmpeg and parallel (scripts/ensure-packages.sh)";
  const hostileFolder folder;
  const std::string output = folder.root + "/show $(cd;touch " + marker + ").mp4";
  const std::string command = folder.script("--parts 3 --jobs 1 --from 44.3 --to 46.2", output);

  testing_support::childProcess first;
  ASSERT_TRUE(first.start({"/bin/sh", "-c", command}, folder.top, {}, folder.top + "/first.log"));
  for (int wait = 0; wait < 2400 && finishedParts(folder.scratch) == 0 && first.running(); ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // As a terminal's Ctrl-C does: to the whole process group.
  kill(-first.pid(), SIGINT);
  ASSERT_TRUE(first.waitFor(std::chrono::seconds(60))) << first.log();
  EXPECT_NE(first.status(), 0) << first.log();
  EXPECT_NE(first.log().find("the same command renders only the missing ones"), std::string::npos)
      << first.log();
  const int kept = finishedParts(folder.scratch);
  ASSERT_GE(kept, 1) << first.log();
  ASSERT_LE(kept, 2) << "the run ended before Ctrl-C: " << first.log();
  EXPECT_FALSE(fs::exists(output));

  const commandResult again = runCommand(command + " 2>&1");
  ASSERT_EQ(again.status, 0) << again.output;
  EXPECT_NE(again.output.find("rendering " + std::to_string(3 - kept) + " of 3 parts"),
            std::string::npos)
      << again.output;
  const std::string single = folder.top + "/single.mp4";
  const commandResult one =
      runCommand("cd " + shellQuoted(folder.root) + " && " + AMBER_RENDER_EXECUTABLE +
                 " --size 64x36 --fps 10 --crf 0 --from 44.3 --to 46.2 --video " +
                 shellQuoted(single) + " --pack " + shellQuoted(folder.pack) + " 2>&1");
  ASSERT_EQ(one.status, 0) << one.output;
  const std::string expected = frameChecksums(single);
  EXPECT_EQ(lineCount(expected), 19u);  // frames 443..461
  EXPECT_EQ(frameChecksums(output), expected);
  EXPECT_TRUE(fs::is_empty(folder.scratch)) << "the parts' folder outlived the join";
  EXPECT_EQ(folder.injected(), "");
}

}  // namespace
