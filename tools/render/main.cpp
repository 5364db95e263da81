// amberrender: the show rendered offline, frame by frame, at any size and
// frame rate, to PNG files or (through ffmpeg) to a video with the
// soundtrack; or timed, scene by scene. Run "amberrender --help".
#include "flash_check.h"
#include "frame_capture.h"
#include "frame_selection.h"
#include "progress_meter.h"
#include "render_options.h"
#include "scene_times.h"
#include "video_encoder.h"

#include "api/render/render_target.h"
#include "engine/errors.h"
#include "engine/music.h"
#include "engine/scenes/frame_composition.h"
#include "engine/scenes/pass_times.h"
#include "engine/shell.h"
#include "engine/show_content.h"
#include "engine/startup.h"
#include "engine/virtual_clock.h"
#include "engine/window.h"
#include "platform/heap_tuning.h"
#include "platform/quit_signal.h"

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <time.h>
#include <unistd.h>

namespace {

// The status of an interrupted render, as shells report Ctrl-C.
constexpr int interruptedStatus = 128 + SIGINT;

// Presents nothing: loading-phase frames are not part of the film.
class discardFrames : public presenter {
 public:
  void swap() override {}
  bool pumpMessages() override { return false; }
};

// Writes the song file from the package to `path`; false on a write error.
bool writeSoundtrack(const std::string& path) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(musicBuffer.data), musicBuffer.length);
  file.close();
  return static_cast<bool>(file);
}

// Ends with status 1 before rendering when the driver cannot hold the
// picture in its render targets.
void requireRenderTargetsFit(const renderOptions& chosen) {
  const FWrender::renderTargetSize size =
      FWrender::renderTargetSizeFor(chosen.width, chosen.height);
  const int32_t longest = size.width > size.height ? size.width : size.height;
  const int32_t largest = FWrender::largestRenderTargetSide();
  if (longest <= FWrender::smallestRenderTargetSide || longest <= largest) return;
  std::fprintf(stderr,
               "amberrender: %dx%d needs render targets of %d x %d pixels; this OpenGL allows "
               "at most %d x %d\n",
               chosen.width, chosen.height, size.width, size.height, largest, largest);
  std::exit(1);
}

// Seconds since the kernel started this process (a program that executed
// itself again counts from its first start); negative when unknown.
double secondsSinceProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text;
  std::getline(stat, text);
  const size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return -1.0;
  // After the name: the state is field 3 and the start time field 22.
  std::istringstream fields(text.substr(nameEnd + 1));
  std::string field;
  for (int index = 3; index <= 22; ++index) {
    if (!(fields >> field)) return -1.0;
  }
  timespec now{};
  if (clock_gettime(CLOCK_BOOTTIME, &now) != 0) return -1.0;
  const double started = std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9 - started;
}

// Ends the process before anything renders when the outputs cannot be
// made: the --png folder (status 2), ffmpeg or one of its encoders (1).
void requireOutputs(const renderOptions& chosen) {
  if (!chosen.pngFolder.empty() && !chosen.checkFlashes) {
    std::error_code error;
    std::filesystem::create_directories(chosen.pngFolder, error);
    if (error) {
      refuseRenderOptions("cannot make the folder " + chosen.pngFolder + ": " + error.message());
    }
  }
  if (chosen.videoFile.empty()) return;
  if (std::system("command -v ffmpeg > /dev/null 2>&1") != 0) {
    std::fprintf(stderr, "amberrender: --video needs ffmpeg (Debian package ffmpeg)\n");
    std::exit(1);
  }
  const std::string missing = missingEncoder(chosen, installedEncoders());
  if (missing.empty()) return;
  std::fprintf(stderr,
               "amberrender: this ffmpeg has no %s encoder (see ffmpeg -encoders); choose "
               "another --codec or --audio, or install an ffmpeg that has it\n",
               missing.c_str());
  std::exit(1);
}

// Starts the video encoder for `frames` with a copy of the soundtrack, whose
// path it returns (to be removed at the end); ends with status 1 when that
// fails.
std::string startVideo(const renderOptions& chosen, const std::vector<int64_t>& frames,
                       frameCapture& capture) {
  const std::string soundtrackCopy = (std::filesystem::temp_directory_path() /
                                      ("amberrender-" + std::to_string(getpid()) + ".mp3"))
                                         .string();
  if (!writeSoundtrack(soundtrackCopy)) {
    std::fprintf(stderr, "amberrender: cannot write %s\n", soundtrackCopy.c_str());
    std::remove(soundtrackCopy.c_str());
    std::exit(1);
  }
  const double start = frameMoment(frames.front(), chosen);
  const double length = frameMoment(frames.back() + 1, chosen) - start;
  if (!capture.toEncoder(ffmpegCommand(chosen, soundtrackCopy, start, length),
                         encoderTakesYuv(chosen))) {
    std::remove(soundtrackCopy.c_str());
    std::exit(1);
  }
  return soundtrackCopy;
}

}  // namespace

int main(int argc, char** argv) {
  platform::useLargePageHeap(argv);
  renderOptions chosen;
  if (!parseRenderOptions(argc, argv, &chosen)) {
    std::fputs(renderUsage, stdout);
    return 0;
  }
  // A dead encoder shows up as a failed write, reported with its reason.
  std::signal(SIGPIPE, SIG_IGN);
  requireOutputs(chosen);
  if (chosen.checkFlashes && !chosen.pngFolder.empty()) return checkFlashesOfPngFolder(chosen);

  // Rendering needs no screen and plays no sound.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  platform::installQuitSignals();

  // The show's own phases, with a virtual clock and a capturing presenter.
  openGraphics(chosen.width, chosen.height, false,
               static_cast<float>(chosen.width) / static_cast<float>(chosen.height));
  if (chosen.fullTargets) FWrender::compactRenderTargets = false;
  requireRenderTargetsFit(chosen);
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
  const double frequency = clock->frequency();

  if (!chosen.soundtrackFile.empty()) {
    if (writeSoundtrack(chosen.soundtrackFile)) return 0;
    std::fprintf(stderr, "amberrender: cannot write %s\n", chosen.soundtrackFile.c_str());
    return 1;
  }

  std::string problem;
  std::vector<int64_t> frames = selectFrames(chosen, clock->lengthSeconds(), &problem);
  if (frames.empty()) {
    std::fprintf(stderr, "amberrender: %s\n", problem.c_str());
    return 2;
  }
  if (chosen.resume) skipWrittenFrames(chosen.pngFolder, &frames);

  if (chosen.listScenes) {
    for (const int64_t frame : frames) {
      const double moment = frameMoment(frame, chosen);
      clock->setPosition(static_cast<uint32_t>(std::llround(moment * frequency)));
      std::printf("%.6f %s\n", moment, scenes::sceneNameNow());
    }
    std::fflush(stdout);
    releaseContent();
    shutdown();
  }

  frameCapture capture(chosen.width, chosen.height);
  flashAnalysis flashes(chosen.checkFlashes ? chosen.width : 0, chosen.height, chosen.fpsNumerator,
                        chosen.fpsDenominator);
  std::string soundtrackCopy;
  if (!chosen.videoFile.empty()) soundtrackCopy = startVideo(chosen, frames, capture);
  else if (!chosen.pngFolder.empty()) capture.toPngFolder(chosen.pngFolder);
  else if (chosen.checkFlashes) capture.toFlashCheck(&flashes);
  activePresenter = &capture;

  sceneTimes times;
  progressMeter progress(static_cast<int64_t>(frames.size()));
  scenes::timePasses(chosen.bench);
  clock->play();
  loopState state;
  int64_t rendered = 0;
  double firstFrameDone = -1.0;
  for (const int64_t frame : frames) {
    if (platform::quitSignalled() || !capture.healthy()) break;
    clock->setPosition(
        static_cast<uint32_t>(std::llround(frameMoment(frame, chosen) * frequency)));
    capture.nextFrameIs(frame);
    const char* scene = scenes::sceneNameNow();
    const auto started = std::chrono::steady_clock::now();
    bool keepGoing = true;
    guarded([&] { keepGoing = runFrame(state, false); });
    const auto took = std::chrono::steady_clock::now() - started;
    times.add(scene, std::chrono::duration<double, std::milli>(took).count(),
              scenes::takePassTimes());
    ++rendered;
    // In --bench runs every pass has finished by now.
    if (rendered == 1 && chosen.bench) firstFrameDone = secondsSinceProcessStart();
    progress.frameDone();
    if (!keepGoing) break;
  }
  progress.finish();

  const bool written = capture.finish();
  if (!soundtrackCopy.empty()) std::remove(soundtrackCopy.c_str());
  if (chosen.bench) {
    times.print();
    if (firstFrameDone >= 0.0) {
      std::printf("\nstart-up and first frame: %.2f s from the process's start\n", firstFrameDone);
    }
  }
  std::fflush(stdout);
  std::fprintf(stderr, "amberrender: %lld frames rendered\n", static_cast<long long>(rendered));
  if (!written) std::exit(1);
  if (chosen.checkFlashes && !platform::quitSignalled()) std::exit(reportFlashes(flashes));
  if (platform::quitSignalled()) {
    std::fprintf(stderr, "amberrender: interrupted; what was rendered is kept\n");
    std::exit(interruptedStatus);
  }
  releaseContent();
  shutdown();
}
