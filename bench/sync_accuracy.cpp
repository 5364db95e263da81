// How closely the music position follows real time while the soundtrack
// plays: drift of the reported position against the wall clock over a whole
// song, and the step it takes from one frame to the next when polled like the
// main loop (60 frames per second).
//
//   bench_sync_accuracy [seconds] [--device] [--both]
//
// seconds: length of the generated tone (default 180).
// --device: use the system's sound device; otherwise SDL's dummy driver,
//           unless SDL_AUDIODRIVER names another.
// --both:   after the normal run, play again with the position taken the
//           other way (device-following vs real-time clock), for comparison.
#include "engine/music.h"
#include "platform/audio_stream.h"
#include "support/test_mp3.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using clockType = std::chrono::steady_clock;
constexpr double rowMs = 58.59375;

double secondsSince(clockType::time_point start) {
  return std::chrono::duration<double>(clockType::now() - start).count();
}

struct frameSample {
  double wall;       // seconds since play
  double heard;      // reported position, seconds
  double handed;     // seconds of sound handed to the device so far
  uint32_t position; // reported position, samples
};

struct spread {
  double min = 0.0;
  double max = 0.0;
  double mean = 0.0;
  double deviation = 0.0;
};

spread spreadOf(const std::vector<double>& values) {
  spread s;
  if (values.empty()) return s;
  s.min = *std::min_element(values.begin(), values.end());
  s.max = *std::max_element(values.begin(), values.end());
  double sum = 0.0;
  for (double v : values) sum += v;
  s.mean = sum / static_cast<double>(values.size());
  double squares = 0.0;
  for (double v : values) squares += (v - s.mean) * (v - s.mean);
  s.deviation = std::sqrt(squares / static_cast<double>(values.size()));
  return s;
}

// Plays `mp3` to its end, polling at 60 fps, and prints the figures.
// Returns true when the drift stayed within one row and the position never
// went backwards.
bool measure(const std::string& mp3, double songSeconds, platform::positionSource source) {
  auto started = clockType::now();
  std::unique_ptr<musicStream> stream(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size()), source));
  const double openSeconds = secondsSince(started);
  const double frequency = stream->frequency();
  const platform::audioDeviceReport opened = platform::deviceReportOf(stream.get());
  std::printf("\n== position from %s (driver \"%s\")\n",
              opened.followsDevice ? "the device's consumption" : "the real-time clock",
              opened.driver);
  std::printf("open: %.2f ms for %.3f s at %.0f Hz\n", openSeconds * 1000.0,
              stream->lengthSeconds(), frequency);

  const auto frame = std::chrono::nanoseconds(1000000000LL / 60);
  std::vector<frameSample> frames;
  frames.reserve(static_cast<size_t>(songSeconds * 61.0) + 1200);
  const std::clock_t cpuBefore = std::clock();
  const auto playStart = clockType::now();
  stream->play();
  auto next = playStart;
  double endedAt = -1.0;
  const double limit = songSeconds + 10.0;
  while (secondsSince(playStart) < limit) {
    next += frame;
    std::this_thread::sleep_until(next);
    frameSample sample;
    sample.position = stream->positionPcm();
    sample.wall = secondsSince(playStart);
    sample.heard = sample.position / frequency;
    sample.handed = platform::deviceReportOf(stream.get()).handedFrames / frequency;
    frames.push_back(sample);
    if (!stream->isPlaying()) {
      endedAt = secondsSince(playStart);
      break;
    }
  }
  const double cpuSeconds = static_cast<double>(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
  const double wallSeconds = secondsSince(playStart);
  const platform::audioDeviceReport finished = platform::deviceReportOf(stream.get());
  stream.reset();

  // The first half second gives the start-up offset (device latency, first
  // callback); the drift is how far the offset wanders after it.
  double offset = 0.0;
  double deviceOffset = 0.0;
  int offsetFrames = 0;
  for (const frameSample& f : frames) {
    if (f.wall >= 0.5) break;
    offset += f.heard - f.wall;
    deviceOffset += f.handed - f.wall;
    ++offsetFrames;
  }
  if (offsetFrames > 0) {
    offset /= offsetFrames;
    deviceOffset /= offsetFrames;
  }
  std::vector<double> drift;
  std::vector<double> deviceDrift;
  std::vector<double> steps;
  int backwards = 0;
  int stalls = 0;
  double longestGap = 0.0;
  for (size_t i = 0; i < frames.size(); ++i) {
    const frameSample& f = frames[i];
    const bool midSong = f.wall >= 0.5 && f.heard < songSeconds - 0.1;
    if (midSong) {
      drift.push_back(f.heard - f.wall - offset);
      deviceDrift.push_back(f.handed - f.wall - deviceOffset);
    }
    if (i == 0) continue;
    const frameSample& previous = frames[i - 1];
    if (f.position < previous.position) ++backwards;
    // A poll that comes late is followed at once by the next one; only a
    // position that stands still while time passes is a stall.
    const double wallStep = f.wall - previous.wall;
    longestGap = std::max(longestGap, wallStep);
    if (midSong && f.position == previous.position && wallStep > 0.005) ++stalls;
    if (midSong) steps.push_back((f.heard - previous.heard) - (f.wall - previous.wall));
  }
  const spread d = spreadOf(drift);
  const spread device = spreadOf(deviceDrift);
  const spread s = spreadOf(steps);
  const double worstDriftMs = std::max(std::fabs(d.min), std::fabs(d.max)) * 1000.0;

  std::printf("frames polled: %zu in %.2f s (%.1f fps)\n", frames.size(), wallSeconds,
              frames.size() / wallSeconds);
  std::printf("start-up offset, position - wall: %+.2f ms\n", offset * 1000.0);
  std::printf("drift after that: min %+.2f ms, max %+.2f ms, at the end %+.2f ms\n",
              d.min * 1000.0, d.max * 1000.0, drift.empty() ? 0.0 : drift.back() * 1000.0);
  std::printf("frame step - wall step: sd %.3f ms, min %+.3f ms, max %+.3f ms\n",
              s.deviation * 1000.0, s.min * 1000.0, s.max * 1000.0);
  std::printf("steps backwards: %d; frames without progress: %d; longest gap between polls: "
              "%.1f ms\n",
              backwards, stalls, longestGap * 1000.0);
  std::printf("device consumption (handed - wall) drift: min %+.2f ms, max %+.2f ms, at the "
              "end %+.2f ms\n",
              device.min * 1000.0, device.max * 1000.0,
              deviceDrift.empty() ? 0.0 : deviceDrift.back() * 1000.0);
  std::printf("handed %llu frames, %llu of them decoded\n",
              static_cast<unsigned long long>(finished.handedFrames),
              static_cast<unsigned long long>(finished.decodedFrames));
  if (endedAt >= 0.0) {
    std::printf("ended %.3f s after play (%+.1f ms against the song's length)\n", endedAt,
                (endedAt - songSeconds) * 1000.0);
  } else {
    std::printf("did not end within %.0f s\n", limit);
  }
  std::printf("CPU while playing (decoding and polling): %.2f%% of one core\n",
              100.0 * cpuSeconds / wallSeconds);
  const bool good = worstDriftMs < rowMs && backwards == 0 && endedAt >= 0.0;
  std::printf("verdict: drift %s one row (worst %.2f ms, a row is %.2f ms); %s\n",
              worstDriftMs < rowMs ? "within" : "BEYOND", worstDriftMs, rowMs,
              backwards == 0 ? "never backwards" : "WENT BACKWARDS");
  return good;
}

}  // namespace

int main(int argc, char** argv) {
  double songSeconds = 180.0;
  bool realDevice = false;
  bool both = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--device") == 0) {
      realDevice = true;
    } else if (std::strcmp(argv[i], "--both") == 0) {
      both = true;
    } else {
      songSeconds = std::atof(argv[i]);
    }
  }
  if (songSeconds <= 0.0) {
    std::fprintf(stderr, "usage: %s [seconds] [--device] [--both]\n", argv[0]);
    return 2;
  }
  if (!realDevice) setenv("SDL_AUDIODRIVER", "dummy", 0);

  testing_support::toneSpec tone;
  tone.seconds = songSeconds;
  tone.kilobitsPerSecond = 128;
  const auto started = clockType::now();
  const std::string mp3 = testing_support::encodeToneMp3(tone);
  if (mp3.empty()) {
    std::fprintf(stderr, "encoding the tone failed\n");
    return 1;
  }
  std::printf("tone: %.1f s, 44100 Hz stereo, 128 kbit/s, %zu bytes, encoded in %.2f s\n",
              songSeconds, mp3.size(), secondsSince(started));

  const bool good = measure(mp3, songSeconds, platform::positionSource::automatic);
  if (both) {
    // The other way of taking the position, whichever the driver chose.
    std::unique_ptr<musicStream> probe(platform::openAudioStream(
        reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size())));
    const bool followed = platform::deviceReportOf(probe.get()).followsDevice;
    probe.reset();
    measure(mp3, songSeconds,
            followed ? platform::positionSource::realTime : platform::positionSource::followDevice);
  }
  return good ? 0 : 1;
}
