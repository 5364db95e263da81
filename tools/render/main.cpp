// amberrender: the show rendered offline, frame by frame, at any size and
// frame rate, to PNG files or (through ffmpeg) to a video with the
// soundtrack; or timed, scene by scene. Run "amberrender --help".
#include "frame_capture.h"

#include "engine/errors.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/title_scenes.h"
#include "engine/scenes/tunnel_scene.h"
#include "engine/shell.h"
#include "engine/show_content.h"
#include "engine/virtual_clock.h"
#include "engine/window.h"
#include "platform/quit_signal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const char* const usage =
    "usage: amberrender [OPTIONS]\n"
    "Renders the show in pack.zip (in the working directory) offline.\n\n"
    "  --size WxH       picture size in pixels (default 1280x720)\n"
    "  --fps N[/D]      frames per second, a whole number or a fraction (default 60)\n"
    "  --from SECONDS   first moment of the song to render (default 0)\n"
    "  --to SECONDS     last moment (default: the end of the song)\n"
    "  --png FOLDER     write every frame as FOLDER/frame_NNNNNN.png\n"
    "  --video FILE     encode the frames with the soundtrack into FILE through ffmpeg\n"
    "  --bench          render without writing and print frame times per scene\n"
    "  --pack FILE      the package to render (default pack.zip)\n";

struct options {
  int32_t width = 1280;
  int32_t height = 720;
  int64_t fpsNumerator = 60;
  int64_t fpsDenominator = 1;
  double from = 0.0;
  double to = -1.0;  // the song's end
  std::string pngFolder;
  std::string videoFile;
  bool bench = false;
  std::string pack = "pack.zip";
};

[[noreturn]] void refuse(const std::string& message) {
  std::fprintf(stderr, "amberrender: %s\n\n%s", message.c_str(), usage);
  std::exit(2);
}

bool parseOptions(int argc, char** argv, options* chosen) {
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--help" || name == "-h") return false;
    if (name == "--bench") {
      chosen->bench = true;
      continue;
    }
    if (i + 1 >= argc) refuse(name + " needs a value");
    const std::string value = argv[++i];
    if (name == "--size") {
      if (std::sscanf(value.c_str(), "%dx%d", &chosen->width, &chosen->height) != 2 ||
          chosen->width < 16 || chosen->height < 16 || chosen->width > 8192 ||
          chosen->height > 8192) {
        refuse("--size wants WxH between 16 and 8192, not \"" + value + "\"");
      }
    } else if (name == "--fps") {
      long long numerator = 0;
      long long denominator = 1;
      const int read = std::sscanf(value.c_str(), "%lld/%lld", &numerator, &denominator);
      if (read < 1 || numerator <= 0 || denominator <= 0) {
        refuse("--fps wants N or N/D with positive numbers, not \"" + value + "\"");
      }
      chosen->fpsNumerator = numerator;
      chosen->fpsDenominator = denominator;
    } else if (name == "--from" || name == "--to") {
      char* end = nullptr;
      const double seconds = std::strtod(value.c_str(), &end);
      if (end == value.c_str() || *end != '\0' || !(seconds >= 0.0)) {
        refuse(name + " wants a number of seconds, not \"" + value + "\"");
      }
      (name == "--from" ? chosen->from : chosen->to) = seconds;
    } else if (name == "--png") {
      chosen->pngFolder = value;
    } else if (name == "--video") {
      chosen->videoFile = value;
    } else if (name == "--pack") {
      chosen->pack = value;
    } else {
      refuse("unknown option " + name);
    }
  }
  const int outputs = (chosen->pngFolder.empty() ? 0 : 1) + (chosen->videoFile.empty() ? 0 : 1) +
                      (chosen->bench ? 1 : 0);
  if (outputs != 1) refuse("choose exactly one of --png, --video and --bench");
  return true;
}

// The sample at which frame `frame` starts, for a frame rate of n/d.
uint32_t sampleOfFrame(int64_t frame, const options& chosen, double frequency) {
  const double seconds = static_cast<double>(frame) * static_cast<double>(chosen.fpsDenominator) /
                         static_cast<double>(chosen.fpsNumerator);
  return static_cast<uint32_t>(std::llround(seconds * frequency));
}

// Which scene a frame belongs to, in the frame routine's order of precedence.
const char* sceneOfFrame() {
  if (scenes::greetingsActive()) return "greetings";
  if (scenes::tunnelActive()) return "tunnel";
  if (scenes::titleSceneActive()) return "title particles";
  if (scenes::openingSceneActive()) return "opening";
  return "pictures and fades";
}

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ffmpegCommand(const options& chosen, const std::string& soundtrack) {
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

// Time per frame, grouped by scene.
struct sceneTimes {
  std::map<std::string, std::vector<double>> milliseconds;

  void print() const {
    std::printf("%-20s %8s %10s %10s %10s\n", "scene", "frames", "mean ms", "p95 ms", "max ms");
    size_t frames = 0;
    double total = 0.0;
    for (const auto& [scene, times] : milliseconds) {
      std::vector<double> sorted = times;
      std::sort(sorted.begin(), sorted.end());
      double sum = 0.0;
      for (double t : sorted) sum += t;
      const double p95 = sorted[std::min(sorted.size() - 1, sorted.size() * 95 / 100)];
      std::printf("%-20s %8zu %10.2f %10.2f %10.2f\n", scene.c_str(), sorted.size(),
                  sum / static_cast<double>(sorted.size()), p95, sorted.back());
      frames += sorted.size();
      total += sum;
    }
    if (frames > 0) {
      std::printf("%-20s %8zu %10.2f   (%.1f frames per second)\n", "all", frames,
                  total / static_cast<double>(frames), 1000.0 * static_cast<double>(frames) / total);
    }
  }
};

// Presents nothing: loading-phase frames are not part of the film.
class discardFrames : public presenter {
 public:
  void swap() override {}
  bool pumpMessages() override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
  options chosen;
  if (!parseOptions(argc, argv, &chosen)) {
    std::fputs(usage, stdout);
    return 0;
  }
  if (!chosen.pngFolder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(chosen.pngFolder, error);
    if (error) refuse("cannot make the folder " + chosen.pngFolder + ": " + error.message());
  }
  if (!chosen.videoFile.empty() && std::system("command -v ffmpeg > /dev/null 2>&1") != 0) {
    std::fprintf(stderr, "amberrender: --video needs ffmpeg (Debian package ffmpeg)\n");
    return 1;
  }

  // Rendering needs no screen and plays no sound.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::installQuitSignals();

  // The show's own phases, with a virtual clock and a capturing presenter.
  openGraphics(chosen.width, chosen.height, false,
               static_cast<float>(chosen.width) / static_cast<float>(chosen.height));
  guarded([&] { openPackageAt(chosen.pack.c_str()); });
  guarded([] { createShellItems(); });
  guarded([] { setupContent(); });
  guarded([] { openMusic(128.0); });
  const float frequency = music->stream->frequency();
  const float length = music->stream->lengthSeconds();
  delete music->stream;
  auto* clock = new virtualClock(frequency, length);
  music->stream = clock;

  discardFrames loading;
  activePresenter = &loading;
  loadAll();
  guarded([] { bindShellGroups(); });
  guarded([] { bindContent(); });
  frameCallback = contentFrameRoutine();

  frameCapture capture(chosen.width, chosen.height);
  const double end = chosen.to >= 0.0 ? std::min(chosen.to, static_cast<double>(length)) : length;
  const double framesPerSecond =
      static_cast<double>(chosen.fpsNumerator) / static_cast<double>(chosen.fpsDenominator);
  const auto firstFrame = static_cast<int64_t>(std::ceil(chosen.from * framesPerSecond - 1e-9));
  const auto lastFrame = static_cast<int64_t>(std::floor(end * framesPerSecond - 1e-9));

  std::string soundtrackCopy;
  if (!chosen.videoFile.empty()) {
    soundtrackCopy = (std::filesystem::temp_directory_path() /
                      ("amberrender-" + std::to_string(getpid()) + ".mp3"))
                         .string();
    std::ofstream(soundtrackCopy, std::ios::binary)
        .write(reinterpret_cast<const char*>(musicBuffer.data), musicBuffer.length);
    if (!capture.toPipe(ffmpegCommand(chosen, soundtrackCopy))) {
      std::fprintf(stderr, "amberrender: cannot start ffmpeg\n");
      return 1;
    }
  } else if (!chosen.pngFolder.empty()) {
    capture.toPngFolder(chosen.pngFolder, firstFrame);
  }
  activePresenter = &capture;

  sceneTimes times;
  clock->play();
  loopState state;
  int64_t rendered = 0;
  for (int64_t frame = firstFrame; frame <= lastFrame && capture.healthy(); ++frame) {
    if (platform::quitSignalled()) break;
    clock->setPosition(sampleOfFrame(frame, chosen, frequency));
    const char* scene = sceneOfFrame();
    const auto started = std::chrono::steady_clock::now();
    bool keepGoing = true;
    guarded([&] { keepGoing = runFrame(state, false); });
    const auto took = std::chrono::steady_clock::now() - started;
    times.milliseconds[scene].push_back(std::chrono::duration<double, std::milli>(took).count());
    ++rendered;
    if (!keepGoing) break;
  }

  const int encoder = capture.finish();
  if (!soundtrackCopy.empty()) std::remove(soundtrackCopy.c_str());
  if (chosen.bench) times.print();
  std::fflush(stdout);
  std::fprintf(stderr, "amberrender: %lld frames rendered\n", static_cast<long long>(rendered));
  if (!capture.healthy() || encoder != 0) {
    std::fprintf(stderr, "amberrender: the frames were not all written\n");
    std::exit(1);
  }
  releaseContent();
  shutdown();
}
