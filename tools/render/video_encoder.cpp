#include "video_encoder.h"

#include <cstdio>

namespace {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack,
                          double start, double seconds) {
  char frameRate[64];
  std::snprintf(frameRate, sizeof frameRate, "%lld/%lld",
                static_cast<long long>(chosen.fpsNumerator),
                static_cast<long long>(chosen.fpsDenominator));
  char cut[64];
  std::snprintf(cut, sizeof cut, "-ss %.6f -t %.6f", start, seconds);
  // -shortest: after Ctrl-C the picture ends early and the sound with it.
  return "exec ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo -pix_fmt yuv420p -s " +
         std::to_string(chosen.width) + "x" + std::to_string(chosen.height) + " -framerate " +
         frameRate + " -i - " +
         (chosen.sound ? std::string(cut) + " -i " + shellQuoted(soundtrack) + " -map 0:v -map 1:a"
                       : std::string("-map 0:v")) +
         " -c:v libx264 -preset " + chosen.preset + " -crf " + std::to_string(chosen.crf) +
         " -pix_fmt yuv420p" +
         (chosen.sound ? " -c:a aac -b:a 256k -shortest " : " ") + shellQuoted(chosen.videoFile);
}
