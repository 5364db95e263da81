#pragma once

#include <cstdint>
#include <string>
#include <vector>

// amberrender's command line: what to render, how large, how often, where to.

extern const char* const renderUsage;

struct renderOptions {
  int32_t width = 1280;
  int32_t height = 720;
  int64_t fpsNumerator = 60;
  int64_t fpsDenominator = 1;
  double from = 0.0;
  double to = -1.0;  // the song's end
  std::vector<double> at;  // single moments (--at), instead of a range
  std::string pngFolder;
  std::string videoFile;
  std::string soundtrackFile;  // --soundtrack: write the song file and stop
  int crf = 18;                    // x264 quality, 0 = lossless
  std::string preset = "medium";   // x264 speed against file size (--preset)
  std::string codec = "h264";      // --codec: h264, ffv1 or prores
  std::string audio;               // --audio: aac, flac or pcm; empty: the codec's usual
  bool sound = true;               // --no-sound: the video without the soundtrack
  bool bench = false;
  bool listScenes = false;   // --scenes: print each frame's scene, draw nothing
  bool fullTargets = false;  // --full-targets: the 2048-and-up render targets
  bool resume = false;        // --resume: keep the --png frames already written
  bool checkFlashes = false;  // --check-flashes: count flashes (of the --png frames, if given)
  std::string pack;  // empty: found as the show finds its own
};

// Reads the command line into `chosen`. False for --help; a bad option or
// value ends the process with a one-line message, the usage and status 2.
bool parseRenderOptions(int argc, char** argv, renderOptions* chosen);

// Ends the process with "amberrender: <message>", the usage, and status 2.
[[noreturn]] void refuseRenderOptions(const std::string& message);
