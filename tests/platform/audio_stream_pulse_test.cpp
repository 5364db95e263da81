// The sound output on a real sound server: a private PulseAudio with a null
// sink, whose monitor shows what the server actually played.
#include "platform/audio_stream.h"

#include "support/command.h"
#include "support/pulse_server.h"
#include "support/test_mp3.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

using namespace testing_support;

class AudioStreamOnPulse : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.start()) << server_.failure();
    for (const auto& variable : server_.clientEnvironment()) {
      setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
  }
  void TearDown() override {
    for (const auto& variable : server_.clientEnvironment()) unsetenv(variable.first.c_str());
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  pulseServer server_;
};

// The loudest sample in raw 16-bit audio.
int peakOf(const std::string& raw) {
  int peak = 0;
  for (size_t i = 0; i + 1 < raw.size(); i += 2) {
    int16_t sample;
    std::memcpy(&sample, raw.data() + i, 2);
    peak = std::max(peak, std::abs(static_cast<int>(sample)));
  }
  return peak;
}

TEST_F(AudioStreamOnPulse, PlaysTheSongToTheServerFollowsItToTheEndAndReleasesIt) {
  toneSpec tone;
  tone.seconds = 0.8;
  const std::string mp3 = encodeToneMp3(tone);
  std::unique_ptr<musicStream> stream(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size())));
  const platform::audioDeviceReport opened = platform::deviceReportOf(stream.get());
  EXPECT_STREQ(opened.driver, "pulseaudio");
  EXPECT_TRUE(opened.followsDevice);

  const std::string recording = server_.folder() + "/monitor.raw";
  std::thread recorder([&] {
    runCommand(server_.shellPrefix() + " timeout 4 parec --raw --format=s16le --rate=44100 " +
               "--channels=2 --latency-msec=5 -d " + server_.sinkName() + ".monitor > " + recording);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // parec connects

  const auto start = std::chrono::steady_clock::now();
  stream->play();
  uint32_t last = 0;
  auto firstHeard = start;
  bool neverBack = true;
  bool ended = false;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(5)) {
    const uint32_t position = stream->positionPcm();
    neverBack &= position >= last;
    if (position > 0 && last == 0) firstHeard = std::chrono::steady_clock::now();
    last = position;
    if (!stream->isPlaying()) {
      ended = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - firstHeard).count();
  ASSERT_TRUE(ended);
  EXPECT_TRUE(neverBack);
  EXPECT_EQ(stream->positionPcm(), 35280u);  // every sample of 0.8 s
  // Heard to the end, from the first sound: not before the song's length,
  // not long after it. (The server plays the silence SDL handed it while
  // the device was paused first; the position waits for it at 0.)
  EXPECT_GT(seconds, 0.78);
  EXPECT_LT(seconds, 1.3);

  const std::string clients = server_.shellPrefix() + " pactl list short sink-inputs";
  EXPECT_NE(runCommand(clients).output, "");
  stream.reset();
  EXPECT_EQ(runCommand(clients).output, "") << "the stream's connection was not released";

  recorder.join();
  const std::string heard = readWholeFile(recording);
  EXPECT_GT(heard.size(), 44100u * 4u);  // over a second of the monitor
  EXPECT_GT(peakOf(heard), 3000) << "the tone never reached the sink";
}

}  // namespace
