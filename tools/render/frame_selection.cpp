#include "frame_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace {

// The first frame whose moment is at or after `seconds` (the small margin
// keeps a moment given in decimal, such as 45.045 at 30000/1001, on its frame).
int64_t firstFrameFrom(double seconds, const renderOptions& chosen) {
  const long double frames = static_cast<long double>(seconds) * chosen.fpsNumerator /
                             chosen.fpsDenominator;
  return static_cast<int64_t>(std::ceil(frames - 1e-9L));
}

std::string secondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

}  // namespace

double frameMoment(int64_t frame, const renderOptions& chosen) {
  return static_cast<double>(static_cast<long double>(frame) * chosen.fpsDenominator /
                             chosen.fpsNumerator);
}

std::vector<int64_t> selectFrames(const renderOptions& chosen, double songSeconds,
                                  std::string* problem) {
  std::vector<int64_t> frames;
  const std::string songEnd = "past the end of the song (" + secondsText(songSeconds) + " s)";
  if (!chosen.at.empty()) {
    for (double moment : chosen.at) {
      const int64_t frame = firstFrameFrom(moment, chosen);
      if (frameMoment(frame, chosen) >= songSeconds) {
        *problem = "--at " + secondsText(moment) + " is " + songEnd;
        return {};
      }
      frames.push_back(frame);
    }
    std::sort(frames.begin(), frames.end());
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
  }
  const int64_t first = firstFrameFrom(chosen.from, chosen);
  if (frameMoment(first, chosen) >= songSeconds) {
    *problem = "--from " + secondsText(chosen.from) + " is " + songEnd;
    return {};
  }
  if (chosen.to == chosen.from) return {first};
  const double end = chosen.to >= 0.0 ? std::min(chosen.to, songSeconds) : songSeconds;
  const int64_t afterLast = firstFrameFrom(end, chosen);
  if (afterLast <= first) {
    *problem = "no frame starts between " + secondsText(chosen.from) + " s and " +
               secondsText(end) + " s at this frame rate";
    return {};
  }
  for (int64_t frame = first; frame < afterLast; ++frame) frames.push_back(frame);
  return frames;
}

std::string framePngPath(const std::string& folder, int64_t frame) {
  char name[32];
  std::snprintf(name, sizeof name, "/frame_%06lld.png", static_cast<long long>(frame));
  return folder + name;
}

void skipWrittenFrames(const std::string& folder, std::vector<int64_t>* frames) {
  std::error_code error;
  frames->erase(std::remove_if(frames->begin(), frames->end(),
                               [&](int64_t frame) {
                                 return std::filesystem::exists(framePngPath(folder, frame), error);
                               }),
                frames->end());
}
