// Runs the show's executable headless, the way a user without a screen
// would, and checks how it ends.
#include "support/test_mp3.h"
#include "content/zip_archive.h"
#include "engine/errors.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct showRun {
  bool exited = false;    // ended by itself (not by a signal)
  int status = -1;        // exit status when it exited
  bool stillRunning = false;  // was alive when the signal was sent
  double seconds = 0.0;   // from start to end
  std::string errors;     // what it wrote on stderr
};

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Starts the show in `folder` with a headless environment; after `wait`
// sends `signal` (0: none) and collects the result.
showRun runShow(const std::string& folder, std::chrono::milliseconds wait, int signalNumber,
                const char* videoDriver = "offscreen") {
  const std::string errorPath = folder + "/stderr.txt";
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(120);
    const int errorFile = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(errorFile, STDERR_FILENO);
    setenv("SDL_VIDEODRIVER", videoDriver, 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Whatever desktop the tests run on: no setup dialog and no message box
    // that would wait for a user.
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("AMBER_SKIP_DIALOG", "1", 1);
    execl(AMBER_SHOW_EXECUTABLE, AMBER_SHOW_EXECUTABLE, static_cast<char*>(nullptr));
    _exit(121);
  }
  showRun run;
  int status = 0;
  const auto started = std::chrono::steady_clock::now();
  const auto deadline = started + wait;
  pid_t done = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    done = waitpid(child, &status, WNOHANG);
    if (done == child) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (done != child) {
    run.stillRunning = true;
    kill(child, signalNumber != 0 ? signalNumber : SIGKILL);
    waitpid(child, &status, 0);
  }
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  run.exited = WIFEXITED(status);
  run.status = run.exited ? WEXITSTATUS(status) : -1;
  run.errors = readFile(errorPath);
  return run;
}

const char* const soundtrackEntry = "sfx/MarbleHollow_Rhythm.mp3";

std::string toneOf(double seconds) {
  testing_support::toneSpec tone;
  tone.seconds = seconds;
  tone.sampleRate = 22050;
  tone.channels = 1;
  return testing_support::encodeToneMp3(tone);
}

// A folder whose pack.zip is the show's own pack without its soundtrack,
// with `entries` replacing or adding entries of the same name.
std::string makeFolder(const std::vector<testing_support::zipEntry>& entries) {
  const std::string folder = testing_support::makeTempFolder();
  if (folder.empty()) return folder;
  std::vector<testing_support::zipEntry> pack;
  for (const content::archiveEntry& entry : content::readArchive(AMBER_PACK_PATH)) {
    if (entry.name == soundtrackEntry) continue;
    bool replaced = false;
    for (const testing_support::zipEntry& replacement : entries) {
      replaced |= replacement.name == entry.name;
    }
    if (!replaced) pack.push_back({entry.name, entry.bytes, true});
  }
  for (const testing_support::zipEntry& entry : entries) pack.push_back(entry);
  if (!testing_support::writeZip(folder + "/pack.zip", pack)) return "";
  return folder;
}

// A folder whose package has a soundtrack of `seconds` of tone.
std::string makeFolderWithSoundtrack(double seconds) {
  return makeFolder({{soundtrackEntry, toneOf(seconds), true}});
}

TEST(ShowProgram, RunsHeadlessUntilTerminatedAndEndsCleanly) {
  const std::string folder = makeFolderWithSoundtrack(30.0);
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(3), SIGTERM);
  EXPECT_TRUE(run.stillRunning) << "the show ended by itself:\n" << run.errors;
  EXPECT_TRUE(run.exited) << "the show died of a signal:\n" << run.errors;
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors.find("Engine halted"), std::string::npos) << run.errors;
}

TEST(ShowProgram, WithoutAPackageItHaltsWithCode257) {
  const std::string folder = testing_support::makeTempFolder();
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.status, exitStatusFor(errorCode::packageBroken));
  EXPECT_NE(run.errors.find("Engine halted: PACKAGE: Invalid/broken package file\n"
                            "Engine halted: Engine halt requested due to fatal error.\n"
                            "Framework v0.3.0.4 released with error code 0x101."),
            std::string::npos)
      << run.errors;
}

TEST(ShowProgram, WithoutAnyVideoDriverItSaysSoAndExits) {
  const std::string folder = makeFolder({});
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0, "no-such-driver");
  EXPECT_FALSE(run.stillRunning);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.status, exitStatusFor(errorCode::windowClassFailed));
  EXPECT_NE(run.errors.find("Error: RegisterClassEx Failed!"), std::string::npos) << run.errors;
}

TEST(ShowProgram, ABrokenClearTrackHaltsWithCode3NamingTheTrack) {
  const std::string claimsOneKey("\1\0\0\0\0\0", 6);
  const std::string folder = makeFolder({{soundtrackEntry, toneOf(10.0), true},
                                         {"script/sync_clear.c.g.track", claimsOneKey}});
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning);
  EXPECT_EQ(run.status, exitStatusFor(errorCode::badIndex));
  EXPECT_NE(run.errors.find("track \"clear.c.g\" (file \"script/sync_clear.c.g.track\")"),
            std::string::npos)
      << run.errors;
  EXPECT_NE(run.errors.find("Engine halted: Invalid array index. Maybe the index is out of "
                            "range.\nEngine halted: Engine halt requested due to fatal error.\n"
                            "Framework v0.3.0.4 released with error code 0x3."),
            std::string::npos)
      << run.errors;
}

TEST(ShowProgram, ABrokenCameraRollTrackHaltsWithCode3NamingTheTrack) {
  const std::string claimsOneKey("\1\0\0\0\0\0", 6);
  const std::string folder = makeFolder({{soundtrackEntry, toneOf(10.0), true},
                                         {"script/sync_cam1.rot.track", claimsOneKey}});
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning);
  EXPECT_EQ(run.status, exitStatusFor(errorCode::badIndex));
  EXPECT_NE(run.errors.find("track \"cam1.rot\" (file \"script/sync_cam1.rot.track\")"),
            std::string::npos)
      << run.errors;
}

TEST(ShowProgram, EndsCleanlyOnInterrupt) {
  const std::string folder = makeFolderWithSoundtrack(30.0);
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(2), SIGINT);
  EXPECT_TRUE(run.stillRunning) << run.errors;
  EXPECT_TRUE(run.exited) << run.errors;
  EXPECT_EQ(run.status, 0) << run.errors;
}

TEST(ShowProgram, WithoutTheSoundtrackItHaltsWithCode258) {
  const std::string folder = makeFolder({{"sfx/other.mp3", toneOf(0.2), true}});
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.status, exitStatusFor(errorCode::packageEntryMissing));
  EXPECT_NE(run.errors.find("Engine halted: PACKAGE: File not found inside the package file\n"
                            "Engine halted: Engine halt requested due to fatal error.\n"
                            "Framework v0.3.0.4 released with error code 0x102."),
            std::string::npos)
      << run.errors;
}

TEST(ShowProgram, PlaysItsSoundtrackAndEndsWithTheSong) {
  const std::string folder = makeFolderWithSoundtrack(2.0);
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning) << run.errors;
  EXPECT_TRUE(run.exited) << run.errors;
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_GT(run.seconds, 1.5);
  EXPECT_LT(run.seconds, 10.0);
  EXPECT_EQ(run.errors.find("Engine halted"), std::string::npos) << run.errors;
}

TEST(ShowProgram, AnUndecodableSoundtrackIsReportedAndTheShowEndsNormally) {
  const std::string folder = makeFolder({{soundtrackEntry, std::string(5000, 'x')}});
  ASSERT_FALSE(folder.empty());
  const showRun run = runShow(folder, std::chrono::seconds(20), 0);
  EXPECT_FALSE(run.stillRunning) << run.errors;
  EXPECT_TRUE(run.exited) << run.errors;
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("The soundtrack could not be decoded"), std::string::npos)
      << run.errors;
}

}  // namespace
