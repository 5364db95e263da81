#include "render_options.h"

#include <cstdio>
#include <cstdlib>

const char* const renderUsage =
    "usage: amberrender [OPTIONS]\n"
    "Renders the show in pack.zip offline: the working directory's, else the\n"
    "installed one.\n\n"
    "  --size WxH       picture size in pixels (default 1280x720)\n"
    "  --fps N[/D]      frames per second, a whole number or a fraction (default 60)\n"
    "  --from SECONDS   first moment of the song to render (default 0)\n"
    "  --to SECONDS     last moment (default: the end of the song)\n"
    "  --png FOLDER     write every frame as FOLDER/frame_NNNNNN.png\n"
    "  --video FILE     encode the frames with the soundtrack into FILE through ffmpeg\n"
    "  --bench          render without writing and print frame times per scene\n"
    "  --pack FILE      the package to render (default: as above)\n";

void refuseRenderOptions(const std::string& message) {
  std::fprintf(stderr, "amberrender: %s\n\n%s", message.c_str(), renderUsage);
  std::exit(2);
}

bool parseRenderOptions(int argc, char** argv, renderOptions* chosen) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return false;
    if (name == "--bench") {
      chosen->bench = true;
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
    } else if (name == "--png") {
      chosen->pngFolder = value;
    } else if (name == "--video") {
      chosen->videoFile = value;
    } else if (name == "--pack") {
      chosen->pack = value;
    } else {
      refuseRenderOptions("unknown option " + name);
    }
  }
  const int outputs = (chosen->pngFolder.empty() ? 0 : 1) + (chosen->videoFile.empty() ? 0 : 1) +
                      (chosen->bench ? 1 : 0);
  if (outputs != 1) refuseRenderOptions("choose exactly one of --png, --video and --bench");
  return true;
}
