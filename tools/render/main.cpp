// amberrender: the show rendered offline, frame by frame, at any size and
// frame rate, to PNG files or (through ffmpeg) to a video with the
// soundtrack; or timed, scene by scene. Run "amberrender --help".
#include "frame_capture.h"
#include "render_options.h"
#include "scene_times.h"
#include "video_encoder.h"

#include "engine/errors.h"
#include "engine/music.h"
#include "engine/scenes/frame_composition.h"
#include "engine/shell.h"
#include "engine/show_content.h"
#include "engine/startup.h"
#include "engine/virtual_clock.h"
#include "engine/window.h"
#include "platform/quit_signal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

// The sample at which frame `frame` starts, for a frame rate of n/d.
uint32_t sampleOfFrame(int64_t frame, const renderOptions& chosen, double frequency) {
  const double seconds = static_cast<double>(frame) * static_cast<double>(chosen.fpsDenominator) /
                         static_cast<double>(chosen.fpsNumerator);
  return static_cast<uint32_t>(std::llround(seconds * frequency));
}

// Presents nothing: loading-phase frames are not part of the film.
class discardFrames : public presenter {
 public:
  void swap() override {}
  bool pumpMessages() override { return false; }
};

}  // namespace

int main(int argc, char** argv) {
  renderOptions chosen;
  if (!parseRenderOptions(argc, argv, &chosen)) {
    std::fputs(renderUsage, stdout);
    return 0;
  }
  if (!chosen.pngFolder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(chosen.pngFolder, error);
    if (error) {
      refuseRenderOptions("cannot make the folder " + chosen.pngFolder + ": " + error.message());
    }
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
  virtualClock* clock = nullptr;
  discardFrames loading;
  startupChoices choices;
  choices.packagePath = chosen.pack;
  choices.loadingPresenter = &loading;
  choices.clock = [&clock](musicStream* opened) {
    clock = new virtualClock(opened->frequency(), opened->lengthSeconds());
    return clock;
  };
  startShowContent(choices);
  const float frequency = clock->frequency();
  const float length = clock->lengthSeconds();

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
    const char* scene = scenes::sceneNameNow();
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
