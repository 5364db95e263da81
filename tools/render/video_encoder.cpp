#include "video_encoder.h"

#include <cstdio>

namespace {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack) {
  char frameRate[64];
  std::snprintf(frameRate, sizeof frameRate, "%lld/%lld",
                static_cast<long long>(chosen.fpsNumerator),
                static_cast<long long>(chosen.fpsDenominator));
  char start[32];
  std::snprintf(start, sizeof start, "%.6f", chosen.from);
  return "ffmpeg -hide_banner -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
         std::to_string(chosen.width) + "x" + std::to_string(chosen.height) + " -framerate " +
         frameRate + " -i - -ss " + start + " -i " + shellQuoted(soundtrack) +
         " -map 0:v -map 1:a -vf vflip -c:v libx264 -preset medium -crf 18 -pix_fmt yuv420p"
         " -c:a aac -b:a 256k -shortest " +
         shellQuoted(chosen.videoFile);
}
