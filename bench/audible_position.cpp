// How well the reported music position matches what a sound server actually
// plays, and whether the sound arrives whole, on each server people have and
// on a quiet and a busy machine. For each server (a private PulseAudio,
// PipeWire through its PulseAudio server, PipeWire's own protocol, each with
// a null sink) and load (nothing else; two busy loops and the offline
// renderer beside it) it:
//
// - plays the show's song, records the sink's monitor with parec and finds,
//   by cross-correlation with the decoded song, which stretch of the song
//   each stretch of the recording holds; the position the stream reported
//   at the moment the monitor delivered that stretch is compared with it;
// - plays a continuous tone and counts silences of 2 ms or more inside it.
//
//   bench_audible_position [--seconds N] [--tone-seconds N] [--song FILE.mp3]
//
// --seconds:      play N seconds of the song per row (default 30).
// --tone-seconds: length of the tone per row (default 20).
// --song:         another MP3 instead of the show's song in the built pack.zip.
//
// Offset = reported position - audible position, in milliseconds: positive
// means the show is ahead of the sound.
#include "content/zip_archive.h"
#include "engine/music.h"
#include "platform/audio_stream.h"
#include "platform/mp3_decoder.h"
#include "support/busy_machine.h"
#include "support/command.h"
#include "support/pipewire_server.h"
#include "support/pulse_server.h"
#include "support/test_mp3.h"
#include "support/test_package.h"
#include "support/tone_gaps.h"

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

struct offsetFigures {
  std::string driver;
  bool followsDevice = false;
  size_t matched = 0;
  double mean = 0.0;
  double deviation = 0.0;
  double worst = 0.0;
  int backwards = 0;
};

// Plays up to `limitSeconds` of `mp3` (decoded: `song`) on `server` and
// compares the reported position with what the monitor heard.
offsetFigures measureOffsets(testing_support::soundServer& server, const std::string& mp3,
                             const std::vector<float>& song, int rate, int channels,
                             double limitSeconds) {
  offsetFigures figures;
  std::unique_ptr<musicStream> stream(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(mp3.data()), static_cast<uint32_t>(mp3.size())));
  const platform::audioDeviceReport opened = platform::deviceReportOf(stream.get());
  figures.driver = opened.driver;
  figures.followsDevice = opened.followsDevice;

  const auto origin = clockType::now();
  std::atomic<bool> stopRecording{false};
  recording heard;
  std::thread recorder([&] {
    heard = recordMonitor(server.sinkName(), rate, channels, origin, stopRecording);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // parec connects

  std::vector<reading> polls;
  uint32_t last = 0;
  const auto played = clockType::now();
  stream->play();
  while (stream->isPlaying() && secondsOf(clockType::now(), played) < limitSeconds) {
    const uint32_t position = stream->positionPcm();
    if (position < last) ++figures.backwards;
    last = position;
    polls.push_back({secondsOf(clockType::now(), origin), position});
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  stopRecording = true;
  stream.reset();  // ends the sound, so parec's last read returns
  recorder.join();
  if (polls.empty()) return figures;

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
    if (found.first < 0 || found.second < 0.9) continue;
    lastOffset = static_cast<long>(reported) - found.first;
    matched = true;
    offsets.push_back((reported - found.first) * 1000.0 / rate);
  }
  figures.matched = offsets.size();
  if (offsets.empty()) return figures;
  double sum = 0.0;
  for (double o : offsets) sum += o;
  figures.mean = sum / offsets.size();
  double squares = 0.0;
  for (double o : offsets) {
    squares += (o - figures.mean) * (o - figures.mean);
    if (std::fabs(o) > std::fabs(figures.worst)) figures.worst = o;
  }
  figures.deviation = std::sqrt(squares / offsets.size());
  return figures;
}

// Plays `tone` (a continuous sine) on `server` and counts the silences the
// monitor heard inside it.
testing_support::toneGaps measureDropouts(testing_support::soundServer& server,
                                          const std::string& tone, double toneSeconds) {
  std::unique_ptr<musicStream> stream(platform::openAudioStream(
      reinterpret_cast<const uint8_t*>(tone.data()), static_cast<uint32_t>(tone.size())));
  const std::string path = server.folder() + "/tone.raw";
  std::thread recorder([&] {
    testing_support::recordMonitor(server.shellPrefix(), server.sinkName(), toneSeconds + 3.0,
                                   path);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // parec connects
  stream->play();
  while (stream->isPlaying()) {
    stream->positionPcm();
    std::this_thread::sleep_for(std::chrono::milliseconds(16));
  }
  recorder.join();
  stream.reset();
  return testing_support::findToneGaps(testing_support::readWholeFile(path), 2, 44100);
}

std::unique_ptr<testing_support::soundServer> serverNumber(int which) {
  using testing_support::pipewireServer;
  if (which == 0) return std::make_unique<testing_support::pulseServer>();
  pipewireServer::setup how;
  how.through = which == 1 ? pipewireServer::client::pulseProtocol : pipewireServer::client::native;
  return std::make_unique<pipewireServer>(how);
}

}  // namespace

int main(int argc, char** argv) {
  double limitSeconds = 30.0;
  double toneSeconds = 20.0;
  std::string mp3;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      limitSeconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--tone-seconds") == 0 && i + 1 < argc) {
      toneSeconds = std::atof(argv[++i]);
    } else if (std::strcmp(argv[i], "--song") == 0 && i + 1 < argc) {
      mp3 = testing_support::readWholeFile(argv[++i]);
    } else {
      std::fprintf(stderr, "usage: %s [--seconds N] [--tone-seconds N] [--song FILE.mp3]\n",
                   argv[0]);
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
  testing_support::toneSpec toneShape;
  toneShape.seconds = toneSeconds;
  const std::string tone = testing_support::encodeToneMp3(toneShape);

  std::printf("%.0f s of the song (%d Hz, %d channel(s)) and %.0f s of tone per row\n\n",
              limitSeconds, rate, channels, toneSeconds);
  std::printf("| server | load | driver | dropouts | silence (ms) | offset mean (ms) | sd (ms) | "
              "worst (ms) | stretches |\n|---|---|---|---|---|---|---|---|---|\n");
  int failures = 0;
  for (int which = 0; which < 3; ++which) {
    for (bool busy : {false, true}) {
      std::unique_ptr<testing_support::soundServer> server = serverNumber(which);
      if (!server->start()) {
        std::fprintf(stderr, "%s\n", server->failure().c_str());
        return 1;
      }
      for (const auto& variable : server->clientEnvironment()) {
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
      }
      std::unique_ptr<testing_support::busyMachine> load;
      if (busy) {
        load = std::make_unique<testing_support::busyMachine>(server->folder(),
                                                              AMBER_RENDER_PATH, AMBER_PACK_PATH);
      }
      const offsetFigures offsets = measureOffsets(*server, mp3, song, rate, channels, limitSeconds);
      const testing_support::toneGaps gaps = measureDropouts(*server, tone, toneSeconds);
      load.reset();
      server->stop();
      std::printf("| %s | %s | %s%s | %d | %.1f | %+.2f | %.2f | %+.2f | %zu |\n",
                  server->label().c_str(), busy ? "busy" : "quiet", offsets.driver.c_str(),
                  offsets.followsDevice ? "" : " (clock)", gaps.silences, gaps.silentMs,
                  offsets.mean, offsets.deviation, offsets.worst, offsets.matched);
      std::fflush(stdout);
      if (gaps.silences > 0 || offsets.matched == 0 || offsets.backwards > 0) ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
