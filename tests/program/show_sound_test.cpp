// The show's executable with its sound: on a private PulseAudio that goes
// away mid-show, without any server, with the music off and looping.
#include "content/zip_archive.h"
#include "support/command.h"
#include "support/pipewire_server.h"
#include "support/pulse_server.h"
#include "support/show_process.h"
#include "support/test_mp3.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace testing_support;
using clockType = std::chrono::steady_clock;
using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const soundtrackEntry = "sfx/MarbleHollow_Rhythm.mp3";

// A folder whose pack.zip is the show's own with `seconds` of tone as the
// soundtrack.
std::string folderWithSong(double songSeconds) {
  const std::string folder = makeTempFolder();
  if (folder.empty()) return folder;
  std::vector<zipEntry> pack;
  for (const content::archiveEntry& entry : content::readArchive(AMBER_PACK_PATH)) {
    if (entry.name != soundtrackEntry) pack.push_back({entry.name, entry.bytes, true});
  }
  toneSpec tone;
  tone.seconds = songSeconds;
  tone.sampleRate = 22050;
  tone.channels = 1;
  pack.push_back({soundtrackEntry, encodeToneMp3(tone), true});
  return writeZip(folder + "/pack.zip", pack) ? folder : "";
}

size_t countOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

const std::string lostMessage = "Audio: the sound device was lost";
const std::string fallbackMessage = "Audio: no sound device could be opened";

TEST(ShowSound, WhenTheSoundServerDiesTheSongRunsOutOnTheClockAndTheShowEndsNormally) {
  pulseServer server;
  ASSERT_TRUE(server.start()) << server.failure();
  const std::string folder = folderWithSong(6.0);
  ASSERT_FALSE(folder.empty());
  showOptions options;
  options.environment = server.clientEnvironment();
  // Once the show's stream is on the server (the music is open; loading
  // takes seconds under load), and a moment more, the server dies.
  options.actAfter = milliseconds(200);
  bool killed = false;
  options.action = [&] {
    const std::string clients = server.shellPrefix() + " pactl list short sink-inputs";
    const auto deadline = std::chrono::steady_clock::now() + seconds(20);
    while (runCommand(clients).output.empty() && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(milliseconds(100));
    }
    std::this_thread::sleep_for(milliseconds(1500));
    killed = true;
    server.stop(true);
  };
  const showOutcome outcome = runShowIn(folder, seconds(40), options);
  ASSERT_TRUE(killed);
  EXPECT_EQ(badEnding(outcome), "") << outcome.errors;
  EXPECT_FALSE(outcome.askedToStop) << outcome.errors;
  EXPECT_EQ(countOf(outcome.errors, lostMessage), 1u) << outcome.errors;
  EXPECT_EQ(countOf(outcome.errors, fallbackMessage), 0u) << outcome.errors;
  EXPECT_GT(outcome.seconds, 6.0);  // the whole song, loading aside
}

TEST(ShowSound, WithoutAServerThePulseDriverFallsBackToTheSilentClockWithAMessage) {
  const std::string folder = folderWithSong(1.0);
  ASSERT_FALSE(folder.empty());
  showOptions options;
  options.environment = {{"SDL_AUDIODRIVER", "pulseaudio"},
                         {"PULSE_SERVER", "unix:" + folder + "/no-server-here"}};
  const showOutcome outcome = runShowIn(folder, seconds(30), options);
  EXPECT_EQ(badEnding(outcome), "") << outcome.errors;
  EXPECT_FALSE(outcome.askedToStop);
  EXPECT_EQ(countOf(outcome.errors, fallbackMessage), 1u) << outcome.errors;
}

// The process among our children one of whose threads is named `thread`,
// or 0.
pid_t childWithThread(const std::string& thread) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  for (const fs::directory_entry& process : fs::directory_iterator("/proc", ignored)) {
    const std::string stat = readWholeFile(process.path().string() + "/stat");
    const size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) continue;
    const pid_t parent = static_cast<pid_t>(std::atoi(stat.c_str() + stat.find(' ', nameEnd + 2)));
    if (parent != getpid()) continue;
    for (const fs::directory_entry& task :
         fs::directory_iterator(process.path() / "task", ignored)) {
      if (readWholeFile(task.path().string() + "/comm") == thread + "\n") {
        return static_cast<pid_t>(std::atoi(process.path().filename().c_str()));
      }
    }
  }
  return 0;
}

TEST(ShowSound, SigtermWhileTheSoundSystemHoldsTheOpenEndsTheShowAtOnce) {
  pipewireServer::setup how;
  how.sessionManager = false;  // SDL's pipewire driver then waits forever
  pipewireServer server(how);
  ASSERT_TRUE(server.start()) << server.failure();
  const std::string folder = folderWithSong(6.0);
  ASSERT_FALSE(folder.empty());
  showOptions options;
  options.environment = server.clientEnvironment();
  pid_t show = 0;
  clockType::time_point signalled;
  options.actAfter = milliseconds(50);
  options.action = [&] {
    const auto deadline = clockType::now() + seconds(30);
    while (show == 0 && clockType::now() < deadline) {
      show = childWithThread("amber-snd-open");
      std::this_thread::sleep_for(milliseconds(10));
    }
    signalled = clockType::now();
    if (show != 0) kill(show, SIGTERM);
  };
  const auto started = clockType::now();
  const showOutcome outcome = runShowIn(folder, seconds(60), options);
  ASSERT_NE(show, 0) << "the show never opened its sound device:\n" << outcome.errors;
  const double afterSignal =
      outcome.seconds - std::chrono::duration<double>(signalled - started).count();
  EXPECT_EQ(badEnding(outcome), "") << outcome.errors;
  EXPECT_FALSE(outcome.askedToStop) << outcome.errors;
  EXPECT_LT(afterSignal, 1.5) << outcome.errors;
  EXPECT_EQ(outcome.errors.find("Audio: "), std::string::npos)
      << "the open ran out its time instead of ending on the signal:\n" << outcome.errors;
}

TEST(ShowSound, MusicOffOpensNoDeviceAndEndsWithTheSong) {
  const std::string folder = folderWithSong(1.0);
  ASSERT_FALSE(folder.empty());
  showOptions options;
  options.arguments = {"--no-music"};
  // Asking this driver for a device would fail with a message.
  options.environment = {{"SDL_AUDIODRIVER", "no-such-driver"}};
  const showOutcome outcome = runShowIn(folder, seconds(30), options);
  EXPECT_EQ(badEnding(outcome), "") << outcome.errors;
  EXPECT_FALSE(outcome.askedToStop);
  EXPECT_EQ(outcome.errors.find("Audio:"), std::string::npos) << outcome.errors;
}

TEST(ShowSound, LoopKeepsAOneSecondSongGoingUntilTheShowIsAskedToStop) {
  const std::string folder = folderWithSong(1.0);
  ASSERT_FALSE(folder.empty());
  showOptions options;
  options.arguments = {"--loop"};
  const showOutcome outcome = runShowIn(folder, seconds(6), options);
  EXPECT_TRUE(outcome.askedToStop) << "the show ended with the song:\n" << outcome.errors;
  EXPECT_EQ(badEnding(outcome), "") << outcome.errors;
}

}  // namespace
