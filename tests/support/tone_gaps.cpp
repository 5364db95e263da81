#include "support/tone_gaps.h"

#include "support/command.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace testing_support {

toneGaps findToneGaps(const std::string& raw, int channels, int rate, double minimumMs) {
  toneGaps gaps;
  const size_t frameBytes = static_cast<size_t>(channels) * 2;
  const size_t frames = raw.size() / frameBytes;
  std::vector<int> loudness(frames);
  int peak = 0;
  for (size_t f = 0; f < frames; ++f) {
    int loudest = 0;
    for (int c = 0; c < channels; ++c) {
      int16_t sample;
      std::memcpy(&sample, raw.data() + f * frameBytes + static_cast<size_t>(c) * 2, 2);
      loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
    }
    loudness[f] = loudest;
    peak = std::max(peak, loudest);
  }
  const int quiet = std::max(peak / 50, 16);
  size_t first = 0;
  while (first < frames && loudness[first] < quiet) ++first;
  size_t last = frames;
  while (last > first && loudness[last - 1] < quiet) --last;
  if (first >= last) return gaps;
  gaps.toneSeconds = static_cast<double>(last - first) / rate;

  const double minimumFrames = minimumMs * rate / 1000.0;
  size_t runStart = first;
  bool inRun = false;
  for (size_t f = first; f <= last; ++f) {
    const bool silent = f < last && loudness[f] < quiet;
    if (silent && !inRun) {
      runStart = f;
      inRun = true;
    } else if (!silent && inRun) {
      inRun = false;
      const double length = static_cast<double>(f - runStart);
      if (length >= minimumFrames) {
        const double ms = length * 1000.0 / rate;
        ++gaps.silences;
        gaps.silentMs += ms;
        gaps.longestMs = std::max(gaps.longestMs, ms);
      }
    }
  }
  return gaps;
}

void recordMonitor(const std::string& shellPrefix, const std::string& sink, double seconds,
                   const std::string& path) {
  const std::string limit = std::to_string(seconds);
  runCommand(shellPrefix + " timeout " + limit +
             " parec --raw --format=s16le --rate=44100 --channels=2 --latency-msec=20 -d " + sink +
             ".monitor > " + path);
}

}  // namespace testing_support
