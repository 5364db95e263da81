#include "engine/shell.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/out_of_memory.h"
#include "api/gl/screen_canvas.h"
#include "api/gl/state.h"
#include "api/render/camera.h"
#include "api/render/light_state.h"
#include "engine/activity_notes.h"
#include "engine/components/camera.h"
#include "engine/components/light.h"
#include "engine/command_line.h"
#include "engine/creator/creator_mode.h"
#include "engine/demo_clock.h"
#include "engine/errors.h"
#include "engine/item.h"
#include "engine/loading_bar.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track_group.h"
#include "engine/settings.h"
#include "engine/show_content.h"
#include "engine/startup.h"
#include "engine/statistics.h"
#include "engine/virtual_clock.h"
#include "engine/window.h"
#include "platform/address_space.h"
#include "platform/crash_report.h"
#include "platform/quit_signal.h"
#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <exception>
#include <new>

float clearColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
frameRoutine frameCallback = nullptr;
bool showStatistics = false;
int64_t clockStart = 0;
trackGroup* clearGroup = nullptr;
int32_t defaultItemCount = 0;
NGcomp::camera* cam0 = nullptr;
NGcomp::camera* cam1 = nullptr;
NGcomp::light* light0 = nullptr;

namespace {

class mainWindowPresenter : public presenter {
 public:
  void swap() override {
    if (mainWindow == nullptr) return;
    gfx::presentScreenCanvas();
    platform::swapBuffers(mainWindow->hwnd);
  }
  bool pumpMessages() override { return ::pumpMessages(); }
};

// Milliseconds since the process started, for the wall clock's fraction.
int64_t processMilliseconds() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

float rowPositionNow() {
  if (music == nullptr || music->stream == nullptr) return 1.0f;
  return rowPositionAt(musicPositionNow(), music->stream->frequency(), music->msPerRow);
}

float secondsNow() {
  if (music == nullptr || music->stream == nullptr) return 0.0f;
  return secondsAt(musicPositionNow(), music->stream->frequency());
}

bool musicStillPlaying() {
  // Without a soundtrack the show runs until the user ends it.
  if (music == nullptr || music->stream == nullptr) return true;
  return music->stream->isPlaying();
}

void takeClockStart() {
  if (clockStart == 0) clockStart = static_cast<int64_t>(std::time(nullptr));
}

// The eye orbits the target: the eye group gives radius, azimuth and
// elevation around the target position.
NGcomp::camera* makeOrbitCamera(const char* name) {
  auto* made = new NGcomp::camera(name);
  made->renderCamera->placement = FWrender::cameraPlacement::eyeAroundTarget;
  made->renderCamera->eyeSpherical = 1;
  made->renderCamera->targetSpherical = 0;
  return made;
}

void bindCameraGroups(NGcomp::camera* target, const char* owner) {
  if (target == nullptr) return;
  target->targetGroup = new trackGroup(owner, "c", "xyz", tripleValue);
  target->eyeGroup = new trackGroup(owner, "e", "xyz", tripleValue);
  target->rollGroup = new trackGroup(owner, "rot", nullptr, scalarValue);
}

void setColour(float* colour, float red, float green, float blue) {
  colour[0] = red;
  colour[1] = green;
  colour[2] = blue;
  colour[3] = 1.0f;
}


// The address space (ulimit -v) below which the show cannot run anywhere:
// on Mesa's software driver with one rendering thread, the leanest set-up
// there is, at 640 x 480, the show ran in 600 MB and ran out of memory while
// loading in 550 MB. Each further core adds a driver thread (about 150 MB
// of address space, with its heap), a larger picture up to 80 MB, a
// hardware driver its own mappings; there an allocation that fails halts
// with out of memory where it happens.
constexpr uint64_t leastAddressSpaceMb = 550;

// Stops before the window opens when the limit is below that floor: no
// window, driver or content would fit.
void refuseTooSmallAddressSpace() {
  const uint64_t limit = platform::addressSpaceLimit();
  if (limit == 0 || limit >= leastAddressSpaceMb << 20) return;
  std::fprintf(stderr,
               "ENGINE: the address space is limited to %llu MB (ulimit -v); the show needs at "
               "least %llu MB\n",
               static_cast<unsigned long long>(limit >> 20),
               static_cast<unsigned long long>(leastAddressSpaceMb));
  reportAndHalt(errorCode::outOfMemory);
}

// An exception that no guard caught ends as a guard would end it: an int
// code or std::bad_alloc halts with its code and message; any other keeps
// the standard ending (abort, reported as a fatal signal).
[[noreturn]] void haltOnUncaught() {
  if (const std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (int code) {
      reportAndHalt(code);
    } catch (const std::bad_alloc& caught) {
      reportExceptionAndHalt(caught, errorCode::outOfMemory);
    } catch (...) {
    }
  }
  std::abort();
}

// Address space an item's load may need beyond what it keeps: a shader
// compile in Mesa's software driver maps several MB for a moment, and the
// driver crashes instead of failing when it cannot (at 705 MB, with 703 MB
// mapped after the set-up, the first program crashed it). The whole loading
// phase keeps under 60 MB more at 1024 x 768; the first frames about 30 MB.
constexpr uint64_t loadingHeadroomMb = 32;

// Halts with out of memory before an item's load when the limit leaves it
// too little room: the message, not a crash inside the driver.
void requireLoadingHeadroom(const char* itemName) {
  const uint64_t limit = platform::addressSpaceLimit();
  if (limit == 0) return;
  const uint64_t used = platform::addressSpaceInUse();
  if (used + (loadingHeadroomMb << 20) <= limit) return;
  std::fprintf(stderr,
               "ENGINE: %llu MB of the %llu MB address-space limit (ulimit -v) are in use; "
               "loading %s needs more\n",
               static_cast<unsigned long long>(used >> 20),
               static_cast<unsigned long long>(limit >> 20), itemName);
  throw errorCode::outOfMemory;
}

void countFramesPerSecond(loopState& state) {
  if (state.wallSeconds - state.fpsLast >= 1.0f) {
    state.fpsLast = state.wallSeconds;
    state.fpsShown = state.fpsCounter;
    state.fpsCounter = 0;
  } else {
    state.fpsCounter += 1;
  }
}

}  // namespace

presenter* windowPresenter() {
  static mainWindowPresenter instance;
  return &instance;
}

presenter* activePresenter = windowPresenter();
void (*drawLoadingBar)(float fraction) = drawProgressBar;

void initShell() {
  platform::noteActivity("creating the window and its GL context");
  initGraphics();
  noteRendererForCrashReport();
  showStatistics = statisticsOn;
  clearColor[0] = 0.0f;
  clearColor[1] = 0.0f;
  clearColor[2] = 0.0f;
  clearColor[3] = 1.0f;
  delete clearGroup;
  clearGroup = nullptr;
}

void resetProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  gfx::perspective(gfx::showNearPlane, gfx::showFarPlane);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void clearFrame() {
  if (clearGroup != nullptr) {
    clearGroup->vectorNow(clearColor);
    clearColor[3] = 1.0f;
  }
  gfx::clearScreen(clearColor[0], clearColor[1], clearColor[2]);
}

void presentFrame() {
  gfx::frameCount += 1;
  gfx::vertexCount = 0;
  gfx::polygonCount = 0;
  activePresenter->swap();
}

void loadAll() {
  guarded([] {
    platform::noteActivity("loading the sync device and the statistics overlay");
    drawLoadingBar(0.0f);
    presentFrame();
    tracker_create_device();
    createStatistics();
    // Items that loading creates are not loaded by this walk.
    const int32_t count = NGcommon::itemCount();
    const float n = static_cast<float>(count);
    for (int32_t i = 0; i < count; ++i) {
      drawLoadingBar(static_cast<float>(i) / n);
      presentFrame();
      NGcommon::item* next = NGcommon::itemAt(i);
      char activity[320];
      std::snprintf(activity, sizeof activity, "loading item '%s' (%d of %d)", next->name, i + 1,
                    count);
      platform::noteActivity(activity);
      requireLoadingHeadroom(next->name);
      next->load();
      gfx::throwIfOutOfMemory();
    }
  });
}

void noteRendererForCrashReport() {
  platform::noteRenderer(reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                         reinterpret_cast<const char*>(glGetString(GL_VERSION)));
}

void drawAllItems(float) {
  const int32_t count = std::min(defaultItemCount, NGcommon::itemCount());
  for (int32_t i = 0; i < count; ++i) NGcommon::itemAt(i)->draw();
}

void createShellItems() {
  cam0 = makeOrbitCamera("cam0");
  cam1 = makeOrbitCamera("cam1");
  light0 = new NGcomp::light();
}

void bindShellGroups() {
  bindCameraGroups(cam0, "cam0");
  bindCameraGroups(cam1, "cam1");
  delete clearGroup;
  clearGroup = new trackGroup("clear", "c", "rgba", tripleValue);
  if (light0 != nullptr) {
    light0->posGroup = new trackGroup("light0", "pos", "xyz", tripleValue);
    setColour(light0->renderLight->diffuse, 0.5f, 0.5f, 0.5f);
    setColour(light0->renderLight->ambient, 0.1f, 0.1f, 0.1f);
    setColour(light0->renderLight->specular, 1.0f, 1.0f, 1.0f);
  }
}

uint32_t musicPositionNow() {
  if (music == nullptr || music->stream == nullptr) return 0;
  return music->stream->positionPcm();
}

bool runFrame(loopState& state, bool statistics) {
  creator::beforeFrame();
  state.rowPosition = rowPositionNow();
  state.rowIndex = rowIndexOf(rowPositionNow());

  takeClockStart();
  state.wallSeconds = static_cast<float>(
      static_cast<double>(static_cast<int64_t>(std::time(nullptr)) - clockStart) +
      static_cast<double>(processMilliseconds() % 1000) / 1000.0);

  resetProjection();
  clearFrame();

  if (frameCallback != nullptr) {
    const float seconds = secondsNow();
    noteRenderingScene("a frame", seconds);
    frameCallback(seconds);
    gfx::throwIfOutOfMemory();
  }

  if (statistics) {
    takeClockStart();
    countFramesPerSecond(state);
    updateStatistics(state.fpsShown, state.frameTimeShown, gfx::polygonCount, gfx::vertexCount,
                     secondsNow(), state.rowIndex, state.rowPosition);
    drawStatistics();
  }
  creator::afterFrame();

  presentFrame();
  state.quitSeen = activePresenter->pumpMessages();
  if (state.quitSeen) return false;
  // A creator stays on at the song's end, to seek back.
  return musicStillPlaying() || creator::active();
}

void runMainLoop() {
  if (frameCallback == nullptr) {
    defaultItemCount = NGcommon::itemCount();
    frameCallback = drawAllItems;
  }
  if (music != nullptr && music->stream != nullptr) music->stream->play();
  const bool statistics = showStatistics;
  const bool loop = loopOn;
  loopState state;
  bool running = true;
  while (running) {
    guarded([&] {
      running = runFrame(state, creator::active() ? creator::statisticsShown() : statistics);
      // Every scene draws from the row alone, so starting the song again
      // starts the whole show again; only a quit ends a looping show.
      if (!running && loop && !state.quitSeen) running = restartMusic();
    });
  }
}

void noteRenderingScene(const char* scene, float seconds) {
  char activity[128];
  std::snprintf(activity, sizeof activity, "rendering scene '%s' at %.2f s", scene,
                static_cast<double>(seconds));
  platform::noteActivity(activity);
}

void shutdown() {
  platform::noteActivity("shutting down");
  guarded([] {
    if (package != nullptr) closePackage(package);
  });
  deleteStatistics();
  guarded([] {
    releaseMusic();
    NGcommon::deleteAllItems();
    cam0 = cam1 = nullptr;
    light0 = nullptr;
    halt(0);
  });
  halt(0);
}

void runShow() {
  platform::installQuitSignals();
  platform::installCrashReport();
  std::set_terminate(haltOnUncaught);
  refuseTooSmallAddressSpace();
  initShell();
  startupChoices choices;
  if (heldShowSeconds) {
    // A clock standing at one moment in place of the music.
    const double seconds = *heldShowSeconds;
    choices.clock = [seconds](musicStream* opened) {
      auto* held = new virtualClock(opened->frequency(), opened->lengthSeconds());
      held->setPosition(static_cast<uint32_t>(seconds * opened->frequency()));
      return held;
    };
  }
  if (editContentFolder) creator::begin(*editContentFolder);
  startShowContent(choices);
  creator::started();
  runMainLoop();
  creator::end();
  releaseContent();
  shutdown();
}
