#include "engine/window.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/screen_canvas.h"
#include "api/gl/state.h"
#include "engine/errors.h"
#include "engine/settings.h"
#include "platform/display_connection.h"
#include "platform/message_box.h"
#include "platform/wgl.h"
#include "platform/window.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

shellWindow* mainWindow = nullptr;

namespace {

bool quitRequested = false;

// Drains the window's events, noting a quit request.
void drainEvents() {
  if (platform::pumpEvents()) quitRequested = true;
}

[[noreturn]] void endForLostDisplay() {
  std::fprintf(stderr, "amberpudding: the display connection was lost; the show cannot go on.\n");
  std::fflush(stderr);
  std::exit(displayLostStatus);
}

// The window set-up's own failures end the process at once with `status`.
[[noreturn]] void failWindow(const char* caption, const char* text, platform::messageIcon icon,
                             int status) {
  platform::showMessage(caption, text, icon);
  std::exit(status);
}

void destroyMainWindow() {
  if (mainWindow == nullptr) return;
  destroyWindow(*mainWindow);
  delete mainWindow;
  mainWindow = nullptr;
}

// The standard descriptor: 32-bit colour, some alpha, a deep depth buffer,
// double-buffered, no multisampling.
platform::pixelFormat standardFormat() { return platform::pixelFormat{}; }

// Sets `format` on the window and makes a current context; false (without a
// message) at the first step that fails.
bool makeContext(shellWindow& window, int format) {
  if (format == 0) return false;
  if (!platform::setPixelFormat(window.hwnd, format)) return false;
  window.hglrc = platform::createContext(window.hwnd);
  if (window.hglrc == nullptr) return false;
  return platform::makeCurrent(window.hwnd, window.hglrc);
}

// The final pixel format: multisampled when asked for and offered, else the
// standard one (and then no multisampling at all).
int chooseFinalFormat(const shellWindow& window) {
  if (gfx::multisampleSupported && window.samples > 1) {
    const int attributes[] = {platform::WGL_DRAW_TO_WINDOW_ARB, 1,
                              platform::WGL_SUPPORT_OPENGL_ARB, 1,
                              platform::WGL_ACCELERATION_ARB, platform::WGL_FULL_ACCELERATION_ARB,
                              platform::WGL_COLOR_BITS_ARB, 24,
                              platform::WGL_ALPHA_BITS_ARB, 8,
                              platform::WGL_DEPTH_BITS_ARB, 16,
                              platform::WGL_STENCIL_BITS_ARB, 0,
                              platform::WGL_DOUBLE_BUFFER_ARB, 1,
                              platform::WGL_SAMPLE_BUFFERS_ARB, 1,
                              platform::WGL_SAMPLES_ARB, window.samples,
                              0, 0};
    const float floatAttributes[] = {0, 0};
    int format = 0;
    unsigned count = 0;
    if (ext::wglChoosePixelFormatARB != nullptr &&
        ext::wglChoosePixelFormatARB(nullptr, attributes, floatAttributes, 1, &format, &count) &&
        count >= 1) {
      return format;
    }
    gfx::multisampleSupported = false;
  }
  return platform::choosePixelFormat(standardFormat());
}

}  // namespace

void renderSize(int32_t resolution, int32_t aspect, bool fullscreen, int32_t* width,
                int32_t* height, float* aspectRatioOut) {
  *aspectRatioOut = aspectRatio(aspect);
  resolutionSize(resolution, width, height);
  if (!fullscreen) {
    *width = static_cast<int32_t>(std::ceil(*height * 1.7777777777777777));
    *aspectRatioOut = gfx::aspect16by9;
  }
}

void createWindow(shellWindow& window, int32_t width, int32_t height, bool fullscreen) {
  window.width = width;
  window.height = height;
  window.fullscreen = fullscreen;
  platform::createFailure failure = platform::createFailure::none;
  window.hwnd = platform::createNativeWindow(window.caption, width, height, fullscreen, &failure,
                                             chosenDisplay());
  if (failure == platform::createFailure::fullscreenRefused) {
    failWindow("Could not initialize fullscreen window.", "", platform::messageIcon::none, 1);
  }
  if (window.hwnd == nullptr) {
    failWindow("Error", "cannot create window", platform::messageIcon::warning, 1);
  }
  platform::showCursor(!fullscreen);
  platform::clientSize(window.hwnd, &window.clientWidth, &window.clientHeight);
  platform::showNativeWindow(window.hwnd, false);
  window.visible = false;
}

void destroyWindow(shellWindow& window) {
  drainEvents();
  if (window.hwnd != nullptr) {
    if (window.hglrc != nullptr && !platform::displayConnectionLost()) gfx::closeScreenCanvas();
    platform::makeCurrent(window.hwnd, nullptr);
    if (window.hglrc != nullptr) {
      platform::deleteContext(window.hglrc);
      window.hglrc = nullptr;
    }
    platform::destroyNativeWindow(window.hwnd);
    window.hwnd = nullptr;
  }
  if (window.fullscreen) platform::showCursor(true);
  drainEvents();
}

bool pumpMessages() {
  drainEvents();
  if (platform::displayConnectionLost()) endForLostDisplay();
  return quitRequested;
}

void resetQuitRequest() { quitRequested = false; }

bool initGraphics() {
  runSetupDialog();
  if (dialogCancelled) halt(0);

  int32_t width = 0;
  int32_t height = 0;
  float aspectRatioValue = 0.0f;
  renderSize(resolutionCode, aspectCode, fullscreenOn, &width, &height, &aspectRatioValue);
  if (fullscreenOn && !aspectChosen) aspectRatioValue = outputShape;
  return openGraphics(width, height, fullscreenOn, aspectRatioValue);
}

bool openGraphics(int32_t width, int32_t height, bool fullscreen, float aspectRatioValue) {
  if (!platform::initVideo()) {
    failWindow("Error", "RegisterClassEx Failed!", platform::messageIcon::warning,
               exitStatusFor(errorCode::windowClassFailed));
  }
  mainWindow = new shellWindow;
  haltTeardown = &destroyMainWindow;
  shellWindow& window = *mainWindow;
  std::snprintf(window.caption, sizeof window.caption, "%s /ENGINE v%s build%d", showTitle,
                engineVersion, buildNumber);

  createWindow(window, width, height, fullscreen);
  platform::showNativeWindow(window.hwnd, true);
  window.visible = true;

  // A first context only to ask whether multisample formats exist: a
  // window's format can be set once, so the window is made again after.
  if (makeContext(window, platform::choosePixelFormat(standardFormat()))) {
    gfx::multisampleSupported = gfx::probeMultisample();
  }
  const bool wasVisible = window.visible;
  destroyWindow(window);
  createWindow(window, window.width, window.height, window.fullscreen);
  platform::showNativeWindow(window.hwnd, wasVisible);
  window.visible = wasVisible;

  const int32_t sampleExponent = multisampleIndex >= 0 && multisampleIndex <= 4 ? multisampleIndex : 0;
  window.samples = 1 << sampleExponent;
  // Shown, the window has its final size in pixels. A window renders at
  // that size; full screen at the size asked for, scaled onto the whole
  // output when that is another size. The scaled canvas then carries the
  // multisampling: a scaling blit cannot write into a multisampled window.
  platform::clientSize(window.hwnd, &window.clientWidth, &window.clientHeight);
  const bool scaled = window.fullscreen && (window.clientWidth != window.width ||
                                            window.clientHeight != window.height);
  makeContext(window, scaled ? platform::choosePixelFormat(standardFormat())
                             : chooseFinalFormat(window));
  int32_t renderWidth = window.fullscreen ? window.width : window.clientWidth;
  int32_t renderHeight = window.fullscreen ? window.height : window.clientHeight;
  gfx::windowHandOver handOver;
  handOver.window = window.hwnd;
  handOver.clientWidth = renderWidth;
  handOver.clientHeight = renderHeight;
  handOver.colorBits = 32;
  handOver.fullscreen = window.fullscreen;
  handOver.samples = window.samples;
  handOver.multisampleSupported = gfx::multisampleSupported;
  const int glFailure = window.hglrc != nullptr ? gfx::setupGlLayer(handOver) : 1;
  if (glFailure != 0) halt(errorCode::graphicsInitBase + glFailure);

  if (aspectRatioValue == outputShape) {
    aspectRatioValue = window.clientHeight > 0 ? static_cast<float>(window.clientWidth) /
                                                     static_cast<float>(window.clientHeight)
                                               : gfx::aspect16by9;
  }
  gfx::setupViewport(renderWidth, renderHeight, window.clientWidth, window.clientHeight,
                     aspectRatioValue);
  if (!gfx::openScreenCanvas(window.clientWidth, window.clientHeight)) {
    std::fprintf(stderr,
                 "Full screen: the driver cannot scale a %dx%d picture onto the %dx%d monitor; "
                 "drawing at the monitor's size instead.\n",
                 renderWidth, renderHeight, window.clientWidth, window.clientHeight);
    renderWidth = window.clientWidth;
    renderHeight = window.clientHeight;
    gfx::setupViewport(renderWidth, renderHeight, aspectRatioValue);
  }

  if (ext::wglSwapIntervalEXT != nullptr) {
    ext::wglSwapIntervalEXT(syncOn ? 1 : 0);
  } else {
    const bool answered = platform::showMessage(
        "You're not supported by computers",
        "Failed to change vertical syncronization mode.\nRuning with your video card "
        "defaults.\nPerhabs you don't support EXT_swap_control extension.",
        platform::messageIcon::warning);
    // Unanswered: the user quit while it waited, or the display went away.
    if (!answered && platform::displayConnectionLost()) endForLostDisplay();
    if (!answered) halt(0);
  }
  return gfx::initialState();
}
