// How well the reported music position matches what a sound server actually
// plays. Starts a private PulseAudio with a null sink, plays the show's song
// into it, records the sink's monitor with parec and finds, by
// cross-correlation with the decoded song, which stretch of the song each
// stretch of the recording holds. The position the stream reported at the
// moment the monitor delivered that stretch is compared with it.
//
//   bench_audible_position [--seconds N] [--song FILE.mp3]
//
// --seconds: stop after N seconds of the song (default: the whole song).
// --song:    another MP3 instead of the show's song in the built pack.zip.
//
// Offset = reported position - audible position, in milliseconds: positive
// means the show is ahead of the sound.
#include "content/zip_archive.h"
#include "engine/music.h"
#include "platform/audio_stream.h"
#include "platform/mp3_decoder.h"
#include "support/command.h"
#include "support/pulse_server.h"
#include "support/test_package.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using clockType = std::chrono::steady_clock;

double secondsOf(clockType::time_point at, clockType::time_point origin) {
  return std::chrono::duration<double>(at - origin).count();
}

// What parec delivered, and when each piece arrived.
struct recording {
  std::vector<float> mono;                             // the monitor, channels summed
  std::vector<std::pair<size_t, double>> arrivals;     // frames so far, seconds since origin
};

// Runs parec on the monitor of `sink` until `stop`, reading its output on
// this thread.
recording recordMonitor(const std::string& sink, int rate, int channels,
                        clockType::time_point origin, const std::atomic<bool>& stop) {
  recording heard;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return heard;
  const std::string device = sink + ".monitor";
  const std::string rateText = "--rate=" + std::to_string(rate);
  const std::string channelText = "--channels=" + std::to_string(channels);
  const pid_t child = fork();
  if (child == 0) {
    dup2(pipeEnds[1], STDOUT_FILENO);
    close(pipeEnds[0]);
    execlp("parec", "parec", "--raw", "--format=s16le", rateText.c_str(), channelText.c_str(),
           "--latency-msec=2", "-d", device.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::vector<int16_t> buffer(4096);
  size_t frames = 0;
  std::string leftover;
  while (!stop.load()) {
    const ssize_t got = read(pipeEnds[0], buffer.data(), buffer.size() * 2);
    const double now = secondsOf(clockType::now(), origin);
    if (got <= 0) break;
    leftover.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(got));
    const size_t frameBytes = static_cast<size_t>(channels) * 2;
    const size_t whole = leftover.size() / frameBytes;
    for (size_t f = 0; f < whole; ++f) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) {
        int16_t sample;
        std::memcpy(&sample, leftover.data() + f * frameBytes + static_cast<size_t>(c) * 2, 2);
        sum += static_cast<float>(sample);
      }
      heard.mono.push_back(sum);
    }
    leftover.erase(0, whole * frameBytes);
    frames += whole;
    heard.arrivals.emplace_back(frames, now);
  }
  kill(child, SIGTERM);
  close(pipeEnds[0]);
  waitpid(child, nullptr, 0);
  return heard;
}

std::vector<float> decodeMono(const std::string& mp3, int* rate, int* channels) {
  platform::mp3Decoder decoder(reinterpret_cast<const uint8_t*>(mp3.data()), mp3.size());
  std::vector<float> mono;
  if (!decoder.ok()) return mono;
  *rate = decoder.rate();
  *channels = decoder.channels();
  std::vector<int16_t> block(8192);
  for (;;) {
    const size_t bytes = decoder.read(reinterpret_cast<uint8_t*>(block.data()), block.size() * 2);
    if (bytes == 0) break;
    const size_t samples = bytes / 2;
    for (size_t i = 0; i + static_cast<size_t>(*channels) <= samples; i += *channels) {
      float sum = 0.0f;
      for (int c = 0; c < *channels; ++c) sum += block[i + static_cast<size_t>(c)];
      mono.push_back(sum);
    }
  }
  return mono;
}

// The song frame at which `window` (taken from the recording) best matches
// `song`, searched within [from, to); normalised correlation, and its score.
std::pair<long, double> bestMatch(const std::vector<float>& song, const float* window,
                                  size_t length, long from, long to) {
  double windowEnergy = 0.0;
  for (size_t i = 0; i < length; ++i) windowEnergy += static_cast<double>(window[i]) * window[i];
  long best = -1;
  double bestScore = -2.0;
  from = std::max(from, 0L);
  to = std::min(to, static_cast<long>(song.size()) - static_cast<long>(length));
  for (long lag = from; lag < to; ++lag) {
    const float* part = song.data() + lag;
    double dot = 0.0;
    double energy = 0.0;
    for (size_t i = 0; i < length; ++i) {
      dot += static_cast<double>(part[i]) * window[i];
      energy += static_cast<double>(part[i]) * part[i];
    }
    if (energy <= 0.0 || windowEnergy <= 0.0) continue;
    const double score = dot / std::sqrt(energy * windowEnergy);
    if (score > bestScore) {
      bestScore = score;
      best = lag;
    }
  }
  return {best, bestScore};
}

struct reading {
  double seconds;
  uint32_t position;
};

// The reported position at `seconds`, between the two polls around it.
double positionAt(const std::vector<reading>& polls, double seconds) {
  auto after = std::lower_bound(polls.begin(), polls.end(), seconds,
                                [](const reading& p, double s) { return p.seconds < s; });
  if (after == polls.begin()) return after->position;
  if (after == polls.end()) return polls.back().position;
  const reading& before = *(after - 1);
  const double fraction = (seconds - before.seconds) / (after->seconds - before.seconds);
  return before.position + fraction * (static_cast<double>(after->position) - before.position);
}

std::string songFromPack() {
  for (const content::archiveEntry& entry : content::readArchive(AMBER_PACK_PATH)) {
    if (entry.name == std::string("sfx/") + soundtrackFileName) return entry.bytes;
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  double limitSeconds = 1e9;
  std::string mp3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      limitSeconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--song") == 0 && i + 1 < argc) {
      mp3 = testing_support::readWholeFile(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--seconds N] [--song FILE.mp3]\n", argv[0]);
      return 2;
    }
  }
  if (mp3.empty()) mp3 = songFromPack();
  int rate = 0;
  int channels = 0;
  const std::vector<float> song = decodeMono(mp3, &rate, &channels);
  if (song.empty()) {
    std::fprintf(stderr, "no song to play (build pack.zip or pass --song)\n");
    return 1;
  }

  testing_support::pulseServer server;
  if (!server.start()) {
    std::fprintf(stderr, "%s\n", server.failure().c_str());
    return 1;
  }
  for (const auto& variable : server.clientEnvironment()) {
    setenv(variable.first.c_str(), variable.second.c_str(), 1);
  }
  std::unique_ptr<musicStream> stream(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size())));
  const platform::audioDeviceReport opened = platform::deviceReportOf(stream.get());
  std::printf("driver \"%s\", position %s, %d Hz, %d channel(s), %.1f s of song\n",
              opened.driver, opened.followsDevice ? "follows the device" : "real-time clock",
              rate, channels, song.size() / static_cast<double>(rate));

  const auto origin = clockType::now();
  std::atomic<bool> stopRecording{false};
  recording heard;
  std::thread recorder([&] {
    heard = recordMonitor(server.sinkName(), rate, channels, origin, stopRecording);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // parec connects

  std::vector<reading> polls;
  uint32_t last = 0;
  int backwards = 0;
  const auto played = clockType::now();
  stream->play();
  bool askedServer = false;
  while (stream->isPlaying() && secondsOf(clockType::now(), played) < limitSeconds) {
    if (!askedServer && secondsOf(clockType::now(), played) > 3.0) {
      // What the server itself says it holds, for comparison.
      askedServer = true;
      const std::string said =
          testing_support::runCommand(server.shellPrefix() +
                                      " pactl list sinks | grep -i latency; " +
                                      server.shellPrefix() +
                                      " pactl list sink-inputs | grep -i latency")
              .output;
      std::printf("the server says, 3 s in:\n%s", said.c_str());
    }
    const uint32_t position = stream->positionPcm();
    if (position < last) ++backwards;
    last = position;
    polls.push_back({secondsOf(clockType::now(), origin), position});
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stopRecording = true;
  stream.reset();  // ends the sound, so parec's last read returns
  server.stop();
  recorder.join();

  // Each read holds frames captured before it returned, so the moment the
  // recording's first frame would have been captured is at most any read's
  // arrival less the frames so far. The earliest such moment of the reads
  // within two seconds around a stretch times it; a local one, because
  // parec may drop data when it falls behind, which shifts the timeline.
  auto firstFrameAround = [&](size_t frame) {
    double earliest = 1e9;
    for (const auto& arrival : heard.arrivals) {
      if (std::labs(static_cast<long>(arrival.first) - static_cast<long>(frame)) > 2 * rate) continue;
      earliest = std::min(earliest, arrival.second - arrival.first / static_cast<double>(rate));
    }
    return earliest;
  };

  const size_t window = 2048;
  const size_t stride = static_cast<size_t>(rate) / 4;
  const long wideSearch = rate / 5;     // the first match: +-200 ms
  const long narrowSearch = rate / 50;  // then +-20 ms around the last one
  std::vector<double> offsets;
  long lastOffset = 0;
  bool matched = false;
  size_t weak = 0;
  for (size_t start = 0; start + window < heard.mono.size(); start += stride) {
    const double at = firstFrameAround(start) + start / static_cast<double>(rate);
    if (at < polls.front().seconds || at > polls.back().seconds) continue;
    double energy = 0.0;
    for (size_t i = 0; i < window; ++i) energy += std::fabs(heard.mono[start + i]);
    if (energy / window < 200.0) continue;  // silence: nothing to match
    const double reported = positionAt(polls, at);
    const long expected = static_cast<long>(reported) - (matched ? lastOffset : 0);
    const long search = matched ? narrowSearch : wideSearch;
    const auto found =
        bestMatch(song, heard.mono.data() + start, window, expected - search, expected + search);
    if (found.first < 0 || found.second < 0.9) {
      ++weak;
      continue;
    }
    lastOffset = static_cast<long>(reported) - found.first;
    matched = true;
    offsets.push_back((reported - found.first) * 1000.0 / rate);
  }
  if (offsets.empty()) {
    std::printf("no stretch of the recording matched the song\n");
    return 1;
  }
  double sum = 0.0;
  for (double o : offsets) sum += o;
  const double mean = sum / offsets.size();
  double squares = 0.0;
  double worst = 0.0;
  for (double o : offsets) {
    squares += (o - mean) * (o - mean);
    if (std::fabs(o) > std::fabs(worst)) worst = o;
  }
  const auto range = std::minmax_element(offsets.begin(), offsets.end());
  std::printf("stretches matched: %zu of %zu ms each (%zu weak or silent left out), %zu polls\n",
              offsets.size(), window * 1000 / static_cast<size_t>(rate), weak, polls.size());
  std::printf("offset (reported - audible): mean %+.2f ms, sd %.2f ms, min %+.2f ms, max %+.2f ms, "
              "worst %+.2f ms\n",
              mean, std::sqrt(squares / offsets.size()), *range.first, *range.second, worst);
  std::printf("steps backwards: %d\n", backwards);
  return 0;
}
