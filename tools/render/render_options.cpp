#include "render_options.h"

#include "video_encoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>

const char* const renderUsage =
    "usage: amberrender [OPTIONS]\n"
    "Renders the show in pack.zip offline: the working directory's, else the\n"
    "installed one.\n\n"
    "  --size WxH       picture size in pixels (default 1280x720)\n"
    "  --fps N[/D]      frames per second, a whole number or a fraction (default 60)\n"
    "  --from SECONDS   first moment of the song to render (default 0)\n"
    "  --to SECONDS     end of the range, not included (default: the end of the song);\n"
    "                   --to equal to --from renders the one frame at that moment\n"
    "  --at T[,T...]    render only the frames at these moments (with --png)\n"
    "  --png FOLDER     write every frame as FOLDER/frame_NNNNNN.png\n"
    "  --resume         with --png: keep the frames already in FOLDER, render the rest\n"
    "  --video FILE     encode the frames with the soundtrack into FILE through ffmpeg\n"
    "  --codec NAME     the video's codec: h264 (default; 4:2:0, even sizes only),\n"
    "                   ffv1 (lossless RGB, FILE.mkv) or prores (422 HQ, FILE.mov or .mkv)\n"
    "  --audio NAME     the video's sound: aac (default with h264), flac (default with\n"
    "                   ffv1; .mkv only) or pcm (default with prores; .mov or .mkv)\n"
    "  --no-sound       the video without the soundtrack (parts to be joined)\n"
    "  --crf N          H.264 quality for --video, 0 (lossless) to 51 (default 18)\n"
    "  --preset NAME    x264 speed for --video, ultrafast to veryslow (default medium):\n"
    "                   faster presets make larger files of the same quality\n"
    "  --check-flashes  render the range and count its flashes per second; with --png,\n"
    "                   read the frames in FOLDER instead. Status 1 when a second has\n"
    "                   more than 3 general or red flashes over a quarter of the picture\n"
    "  --bench          render without writing and print frame times per scene,\n"
    "                   then per pass of each scene (the GL finishes every pass)\n"
    "  --scenes         print the moment and the scene of every frame, draw nothing\n"
    "  --full-targets   render targets of 2048 x 2048 and up with every mipmap\n"
    "                   (as AMBER_FULL_RENDER_TARGETS=1), to compare pictures\n"
    "  --soundtrack FILE  write the package's song (MP3) into FILE and stop\n"
    "  --pack FILE      the package to render (default: as above)\n\n"
    "Frame N shows the moment N / fps of the song, and a frame is rendered when its\n"
    "moment lies in the range, so ranges rendered separately fit together. A range\n"
    "outside the song, or with no frame in it, is refused (status 2). Status 1: a\n"
    "frame could not be written or the encoder failed; 130: interrupted by Ctrl-C\n"
    "(the video holds the frames rendered so far). Videos from 720 lines up use the\n"
    "BT.709 colour matrix, smaller ones BT.601, at studio range, tagged as such.\n";

void refuseRenderOptions(const std::string& message) {
  std::fprintf(stderr, "amberrender: %s\n\n%s", message.c_str(), renderUsage);
  std::exit(2);
}

bool parseRenderOptions(int argc, char** argv, renderOptions* chosen) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return false;
    // Options without a value set one switch each.
    struct optionSwitch {
      const char* option;
      bool renderOptions::*member;
      bool value;
    };
    const optionSwitch switches[] = {{"--bench", &renderOptions::bench, true},
                                     {"--no-sound", &renderOptions::sound, false},
                                     {"--scenes", &renderOptions::listScenes, true},
                                     {"--full-targets", &renderOptions::fullTargets, true},
                                     {"--resume", &renderOptions::resume, true},
                                     {"--check-flashes", &renderOptions::checkFlashes, true}};
    const auto* found = std::find_if(std::begin(switches), std::end(switches),
                                     [&name](const optionSwitch& s) { return name == s.option; });
    if (found != std::end(switches)) {
      chosen->*(found->member) = found->value;
      continue;
    }
    if (i + 1 >= argc) refuseRenderOptions(name + " needs a value");
    const std::string value = argv[++i];
    if (name == "--size") {
      if (std::sscanf(value.c_str(), "%dx%d", &chosen->width, &chosen->height) != 2 ||
          chosen->width < 16 || chosen->height < 16 || chosen->width > 8192 ||
          chosen->height > 8192) {
        refuseRenderOptions("--size wants WxH between 16 and 8192, not \"" + value + "\"");
      }
    } else if (name == "--fps") {
      long long numerator = 0;
      long long denominator = 1;
      const int read = std::sscanf(value.c_str(), "%lld/%lld", &numerator, &denominator);
      if (read < 1 || numerator <= 0 || denominator <= 0) {
        refuseRenderOptions("--fps wants N or N/D with positive numbers, not \"" + value + "\"");
      }
      chosen->fpsNumerator = numerator;
      chosen->fpsDenominator = denominator;
    } else if (name == "--from" || name == "--to") {
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !(seconds >= 0.0)) {
        refuseRenderOptions(name + " wants a number of seconds, not \"" + value + "\"");
      }
      (name == "--from" ? chosen->from : chosen->to) = seconds;
    } else if (name == "--at") {
      size_t start = 0;
      while (start <= value.size()) {
        const size_t comma = std::min(value.find(',', start), value.size());
        const std::string item = value.substr(start, comma - start);
        char* end = nullptr;
        const double seconds = std::strtod(item.c_str(), &end);
        if (item.empty() || *end != '\0' || !(seconds >= 0.0)) {
          refuseRenderOptions("--at wants seconds separated by commas, not \"" + value + "\"");
        }
        chosen->at.push_back(seconds);
        start = comma + 1;
      }
    } else if (name == "--png") {
      chosen->pngFolder = value;
    } else if (name == "--video") {
      chosen->videoFile = value;
    } else if (name == "--soundtrack") {
      chosen->soundtrackFile = value;
    } else if (name == "--crf") {
      char* end = nullptr;
      const long quality = std::strtol(value.c_str(), &end, 10);
      if (end == value.c_str() || *end != '\0' || quality < 0 || quality > 51) {
        refuseRenderOptions("--crf wants a whole number from 0 to 51, not \"" + value + "\"");
      }
      chosen->crf = static_cast<int>(quality);
    } else if (name == "--preset") {
      static const char* const presets[] = {"ultrafast", "superfast", "veryfast",
                                            "faster",    "fast",      "medium",
                                            "slow",      "slower",    "veryslow"};
      if (std::none_of(std::begin(presets), std::end(presets),
                       [&value](const char* preset) { return value == preset; })) {
        refuseRenderOptions("--preset wants one of x264's presets, ultrafast to veryslow, not \"" +
                            value + "\"");
      }
      chosen->preset = value;
    } else if (name == "--codec" || name == "--audio") {
      const bool video = name == "--codec";
      const char* const* names = video ? videoCodecNames : soundCodecNames;
      if (std::none_of(names, names + 3, [&value](const char* known) { return value == known; })) {
        refuseRenderOptions(name + " wants " + names[0] + ", " + names[1] + " or " + names[2] +
                            ", not \"" + value + "\"");
      }
      (video ? chosen->codec : chosen->audio) = value;
    } else if (name == "--pack") {
      chosen->pack = value;
    } else {
      refuseRenderOptions("unknown option " + name);
    }
  }
  const bool readsFrames = chosen->checkFlashes && !chosen->pngFolder.empty();
  const int outputs = (chosen->pngFolder.empty() || readsFrames ? 0 : 1) +
                      (chosen->videoFile.empty() ? 0 : 1) + (chosen->bench ? 1 : 0) +
                      (chosen->soundtrackFile.empty() ? 0 : 1) + (chosen->listScenes ? 1 : 0) +
                      (chosen->checkFlashes ? 1 : 0);
  if (outputs != 1) {
    refuseRenderOptions(
        "choose exactly one of --png, --video, --bench, --scenes, --soundtrack and "
        "--check-flashes");
  }
  if (chosen->to >= 0.0 && chosen->to < chosen->from) {
    refuseRenderOptions("--to comes before --from: the range is empty");
  }
  if (!chosen->at.empty() && (chosen->pngFolder.empty() || chosen->checkFlashes ||
                              chosen->from > 0.0 || chosen->to >= 0.0)) {
    refuseRenderOptions("--at goes with --png and without --from, --to and --check-flashes");
  }
  if (chosen->resume && (chosen->pngFolder.empty() || chosen->checkFlashes)) {
    refuseRenderOptions("--resume goes with --png");
  }
  if (chosen->videoFile.empty() && (chosen->codec != "h264" || !chosen->audio.empty())) {
    refuseRenderOptions("--codec and --audio go with --video");
  }
  if (!chosen->videoFile.empty()) {
    const std::string problem = containerProblem(*chosen);
    if (!problem.empty()) refuseRenderOptions(problem);
  }
  return true;
}
