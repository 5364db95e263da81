#include "platform/window.h"

#include "platform/audio_device_sdl.h"
#include "platform/display_connection.h"
#include "platform/driver_configs.h"
#include "platform/quit_signal.h"
#include "platform/wayland_seat.h"
#include "platform/wgl.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

class nativeWindow {
 public:
  SDL_Window* sdl = nullptr;
  std::string caption;
  int width = 0;
  int height = 0;
  bool fullscreen = false;
  bool visible = false;
  int display = 0;
  pixelFormat surfaceFormat;  // what the SDL window was created with
  int surfaceDepth = 0;       // the depth buffer size the driver accepted
  int formatIndex = 0;        // 0 until setPixelFormat
};

namespace {

std::vector<pixelFormat> registeredFormats;

bool sameFormat(const pixelFormat& a, const pixelFormat& b) {
  return a.colorBits == b.colorBits && a.alphaBits == b.alphaBits && a.depthBits == b.depthBits &&
         a.stencilBits == b.stencilBits && a.doubleBuffer == b.doubleBuffer &&
         a.samples == b.samples;
}

void applyAttributes(const pixelFormat& format, int depthBits) {
  const int channelBits = format.colorBits >= 24 ? 8 : 5;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, channelBits);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, format.alphaBits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, format.stencilBits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, format.doubleBuffer ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, format.samples > 1 ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, format.samples > 1 ? format.samples : 0);
}

// Depth buffers are matched like a pixel-format chooser does: the request
// first, then the closest smaller depths the driver is likely to have.
std::vector<int> depthCandidates(int requested) {
  std::vector<int> depths{requested};
  for (int depth : {24, 16}) {
    if (depth < requested) depths.push_back(depth);
  }
  return depths;
}

bool isHeadless();

// Full screen keeps the desktop's mode: a borderless window over the whole
// monitor, at the monitor's pixel size. It is made at the monitor's place
// and size from the start, since without a window manager nobody would
// resize it. The drawable has the real pixel count on HiDPI outputs,
// windowed or not.
SDL_Window* createSdlWindow(const nativeWindow& window, const pixelFormat& format,
                            int* acceptedDepth) {
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
  const int centred = static_cast<int>(SDL_WINDOWPOS_CENTERED_DISPLAY(window.display));
  SDL_Rect place{centred, centred, window.width, window.height};
  if (window.fullscreen && !isHeadless() && SDL_GetDisplayBounds(window.display, &place) == 0) {
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  }
  for (int depth : depthCandidates(format.depthBits)) {
    applyAttributes(format, depth);
    SDL_Window* sdl =
        SDL_CreateWindow(window.caption.c_str(), place.x, place.y, place.w, place.h, flags);
    if (sdl == nullptr) continue;
    guardDisplayConnection(sdl);
    *acceptedDepth = depth;
    if (window.visible) SDL_ShowWindow(sdl);
    return sdl;
  }
  return nullptr;
}

// Tries `format` on a small hidden window and reports whether a context with
// at least its sample count can be made. Keeps the caller's context current.
bool formatWorks(const pixelFormat& format) {
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  nativeWindow probe;
  probe.caption = "probe";
  probe.width = 16;
  probe.height = 16;
  bool works = false;
  int depth = 0;
  if (SDL_Window* sdl = createSdlWindow(probe, format, &depth)) {
    if (SDL_GLContext context = SDL_GL_CreateContext(sdl)) {
      int buffers = 0;
      int samples = 0;
      SDL_GL_GetAttribute(SDL_GL_MULTISAMPLEBUFFERS, &buffers);
      SDL_GL_GetAttribute(SDL_GL_MULTISAMPLESAMPLES, &samples);
      works = format.samples <= 1 || (buffers > 0 && samples >= format.samples);
      SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(sdl);
  }
  if (previousWindow != nullptr && previousContext != nullptr) {
    SDL_GL_MakeCurrent(previousWindow, previousContext);
  }
  return works;
}

int registerFormat(const pixelFormat& format) {
  for (size_t i = 0; i < registeredFormats.size(); ++i) {
    if (sameFormat(registeredFormats[i], format)) return static_cast<int>(i) + 1;
  }
  registeredFormats.push_back(format);
  return static_cast<int>(registeredFormats.size());
}

// --- WGL stand-ins -------------------------------------------------------

enum class capability { unknown, absent, present };
capability multisampleCapability = capability::unknown;
capability swapCapability = capability::unknown;
std::string wglExtensionString;

bool hasMultisampleFormats() {
  if (multisampleCapability == capability::unknown) {
    // The driver's list answers at once; a trial context only where it
    // cannot be asked.
    const listedAnswer listed = listedMultisampleConfigs(2);
    bool works = listed == listedAnswer::some;
    if (listed == listedAnswer::unknown) {
      pixelFormat format;
      format.samples = 2;
      works = formatWorks(format);
      if (!works) {
        format.samples = 4;
        works = formatWorks(format);
      }
    }
    multisampleCapability = works ? capability::present : capability::absent;
  }
  return multisampleCapability == capability::present;
}

bool hasSwapControl() {
  if (SDL_GL_GetCurrentContext() == nullptr) return false;
  if (swapCapability == capability::unknown) {
    const int current = SDL_GL_GetSwapInterval();
    swapCapability = SDL_GL_SetSwapInterval(current) == 0 ? capability::present : capability::absent;
  }
  return swapCapability == capability::present;
}

const char* standInGetExtensionsString(void*) {
  wglExtensionString = "WGL_ARB_extensions_string WGL_ARB_pixel_format";
  if (hasMultisampleFormats()) wglExtensionString += " WGL_ARB_multisample";
  if (hasSwapControl()) wglExtensionString += " WGL_EXT_swap_control";
  return wglExtensionString.c_str();
}

int standInChoosePixelFormat(void*, const int* intAttributes, const float*, unsigned maxFormats,
                             int* formats, unsigned* formatCount) {
  if (formatCount == nullptr) return 0;
  *formatCount = 0;
  pixelFormat format;
  bool sampleBuffers = false;
  int samples = 1;
  for (const int* a = intAttributes; a != nullptr && a[0] != 0; a += 2) {
    switch (a[0]) {
      case WGL_COLOR_BITS_ARB: format.colorBits = a[1]; break;
      case WGL_ALPHA_BITS_ARB: format.alphaBits = a[1]; break;
      case WGL_DEPTH_BITS_ARB: format.depthBits = a[1]; break;
      case WGL_STENCIL_BITS_ARB: format.stencilBits = a[1]; break;
      case WGL_DOUBLE_BUFFER_ARB: format.doubleBuffer = a[1] != 0; break;
      case WGL_SAMPLE_BUFFERS_ARB: sampleBuffers = a[1] != 0; break;
      case WGL_SAMPLES_ARB: samples = a[1]; break;
      default: break;
    }
  }
  format.samples = sampleBuffers ? samples : 1;
  if (maxFormats == 0 || formats == nullptr) return 1;
  if (!formatWorks(format)) return 1;  // success, but no format matches
  formats[0] = registerFormat(format);
  *formatCount = 1;
  return 1;
}

int standInSwapInterval(int interval) { return SDL_GL_SetSwapInterval(interval) == 0 ? 1 : 0; }

int standInGetSwapInterval() { return SDL_GL_GetSwapInterval(); }

// Closing SDL after the display died would touch a connection nobody
// guards, and Xlib would end the process with its own status. Its audio is
// left alone while a device open it gave up on may still be under way.
void quitVideoAtExit() {
  if (!displayConnectionLost()) quitSdlSafely();
}

bool isHeadless() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") == 0;
}

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// SDL picks Wayland when asked to, or when only a Wayland display is named.
// On a compositor without a seat its start-up would crash, so the show
// takes X11 (XWayland) instead when a DISPLAY is named, and otherwise gives
// up with a message. False when video cannot start.
bool avoidSeatlessWayland(const std::string& asked) {
  const bool waylandChosen =
      asked == "wayland" ||
      (asked.empty() && environmentValue("DISPLAY").empty() &&
       !environmentValue("WAYLAND_DISPLAY").empty());
  if (!waylandChosen || probeWaylandSeat() != waylandSeat::missing) return true;
  const std::string compositor = environmentValue("WAYLAND_DISPLAY");
  if (!environmentValue("DISPLAY").empty()) {
    std::fprintf(stderr,
                 "Video: the Wayland compositor \"%s\" offers no seat (keyboard or pointer); "
                 "using X11 on DISPLAY=\"%s\" instead.\n",
                 compositor.c_str(), environmentValue("DISPLAY").c_str());
    SDL_setenv("SDL_VIDEODRIVER", "x11", 1);
    return true;
  }
  std::fprintf(stderr,
               "Video: the Wayland compositor \"%s\" offers no seat (keyboard or pointer), "
               "which SDL's Wayland video cannot start without, and no X11 DISPLAY is named.\n",
               compositor.c_str());
  return false;
}

}  // namespace

bool initVideo() {
  if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
  // A display that failed once is not tried (and reported) again.
  static bool failed = false;
  if (failed) return false;
  failed = true;
  const std::string asked = environmentValue("SDL_VIDEODRIVER");
  if (!avoidSeatlessWayland(asked)) return false;
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr,
                 "Video: no display could be opened (DISPLAY=\"%s\", WAYLAND_DISPLAY=\"%s\"): %s\n",
                 environmentValue("DISPLAY").c_str(), environmentValue("WAYLAND_DISPLAY").c_str(),
                 SDL_GetError());
    return false;
  }
  // SDL falls through to its headless drivers when no display opens; a show
  // nobody can see is only right when a headless run asked for it.
  const char* driver = SDL_GetCurrentVideoDriver();
  const bool headless = driver != nullptr && (std::strcmp(driver, "offscreen") == 0 ||
                                              std::strcmp(driver, "dummy") == 0);
  if (headless && asked != driver) {
    std::fprintf(stderr,
                 "Video: no display could be opened (DISPLAY=\"%s\", WAYLAND_DISPLAY=\"%s\"); "
                 "set SDL_VIDEODRIVER=offscreen to run without one.\n",
                 environmentValue("DISPLAY").c_str(), environmentValue("WAYLAND_DISPLAY").c_str());
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  failed = false;
  std::atexit(quitVideoAtExit);
  return true;
}

namespace {

// A Wayland output reports its desktop mode in the compositor's scaled
// units; its first listed mode is the native one, in pixels. Other drivers
// report pixels as the desktop mode.
bool pixelSize(int display, int* width, int* height) {
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return false;
  const char* driver = SDL_GetCurrentVideoDriver();
  SDL_DisplayMode native;
  if (driver != nullptr && std::strcmp(driver, "wayland") == 0 &&
      SDL_GetDisplayMode(display, 0, &native) == 0 && native.w >= mode.w && native.h >= mode.h) {
    mode = native;
  }
  *width = mode.w;
  *height = mode.h;
  return true;
}

}  // namespace

std::vector<monitor> listMonitors() {
  std::vector<monitor> monitors;
  if (!initVideo()) return monitors;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    monitor each;
    const char* name = SDL_GetDisplayName(i);
    each.name = name != nullptr ? name : "";
    SDL_Rect bounds{};
    SDL_GetDisplayBounds(i, &bounds);
    each.x = bounds.x;
    each.y = bounds.y;
    if (!pixelSize(i, &each.width, &each.height)) {
      each.width = bounds.w;
      each.height = bounds.h;
    }
    monitors.push_back(each);
  }
  return monitors;
}

bool desktopSize(int display, int* width, int* height) {
  if (!initVideo()) return false;
  return pixelSize(display, width, height);
}

nativeWindow* createNativeWindow(const char* caption, int width, int height, bool fullscreen,
                                 createFailure* failure, int display) {
  *failure = createFailure::none;
  if (display < 0 || display >= SDL_GetNumVideoDisplays()) {
    *failure = fullscreen ? createFailure::fullscreenRefused : createFailure::windowNotCreated;
    return nullptr;
  }
  auto* window = new nativeWindow;
  window->caption = caption;
  window->width = width;
  window->height = height;
  window->fullscreen = fullscreen;
  window->display = display;
  window->sdl = createSdlWindow(*window, window->surfaceFormat, &window->surfaceDepth);
  if (window->sdl == nullptr) {
    delete window;
    *failure = createFailure::windowNotCreated;
    return nullptr;
  }
  return window;
}

void destroyNativeWindow(nativeWindow* window) {
  if (window == nullptr) return;
  // On a dead display SDL would wait forever for the window's unmapping.
  if (window->sdl != nullptr && !displayConnectionLost()) SDL_DestroyWindow(window->sdl);
  delete window;
}

void showNativeWindow(nativeWindow* window, bool visible) {
  window->visible = visible;
  if (displayConnectionLost()) return;
  if (visible) {
    SDL_ShowWindow(window->sdl);
  } else {
    SDL_HideWindow(window->sdl);
  }
}

void clientSize(nativeWindow* window, int* width, int* height) {
  SDL_GL_GetDrawableSize(window->sdl, width, height);
  if (!window->fullscreen || !window->visible || isHeadless() || displayConnectionLost()) return;
  // A compositor tells a shown window its output's scale, and a window
  // manager its full-screen size, a moment later: wait for the monitor's
  // size in pixels, for at most two seconds.
  int wantedWidth = 0;
  int wantedHeight = 0;
  if (!pixelSize(window->display, &wantedWidth, &wantedHeight)) return;
  for (int waited = 0; waited < 2000 && (*width != wantedWidth || *height != wantedHeight);
       waited += 10) {
    SDL_PumpEvents();
    SDL_Delay(10);
    SDL_GL_GetDrawableSize(window->sdl, width, height);
  }
}

void setWindowIcon(nativeWindow* window, const unsigned char* rgba, int width, int height) {
  if (window == nullptr || window->sdl == nullptr || displayConnectionLost()) return;
  SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<unsigned char*>(rgba), width,
                                                         height, 32, width * 4,
                                                         SDL_PIXELFORMAT_RGBA32);
  if (icon == nullptr) return;
  SDL_SetWindowIcon(window->sdl, icon);
  SDL_FreeSurface(icon);
}

void showCursor(bool visible) {
  if (!displayConnectionLost()) SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

int choosePixelFormat(const pixelFormat& format) {
  if (format.samples > 1 && !formatWorks(format)) return 0;
  return registerFormat(format);
}

bool setPixelFormat(nativeWindow* window, int formatIndex) {
  if (formatIndex < 1 || formatIndex > static_cast<int>(registeredFormats.size())) return false;
  if (window->formatIndex != 0) return window->formatIndex == formatIndex;
  const pixelFormat& format = registeredFormats[static_cast<size_t>(formatIndex) - 1];
  if (!sameFormat(format, window->surfaceFormat)) {
    // SDL fixes a window's visual when it is created, so a different format
    // means a fresh native window of the same size, mode and visibility.
    int depth = 0;
    SDL_Window* replacement = createSdlWindow(*window, format, &depth);
    if (replacement == nullptr) return false;
    SDL_DestroyWindow(window->sdl);
    window->sdl = replacement;
    window->surfaceFormat = format;
    window->surfaceDepth = depth;
  }
  window->formatIndex = formatIndex;
  return true;
}

void* createContext(nativeWindow* window) {
  if (window == nullptr || window->formatIndex == 0) return nullptr;
  applyAttributes(window->surfaceFormat, window->surfaceDepth);
  return SDL_GL_CreateContext(window->sdl);
}

bool makeCurrent(nativeWindow* window, void* context) {
  if (window == nullptr || displayConnectionLost()) return false;
  return SDL_GL_MakeCurrent(window->sdl, static_cast<SDL_GLContext>(context)) == 0;
}

void deleteContext(void* context) {
  if (context == nullptr || displayConnectionLost()) return;
  SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
}

void swapBuffers(nativeWindow* window) {
  if (window == nullptr || displayConnectionLost()) return;
  SDL_GL_SwapWindow(window->sdl);
  // A headless surface is a pbuffer whose swap does nothing, so without a
  // finish the driver would queue frame after frame of work unboundedly.
  if (isHeadless()) {
    using finishProc = void (*)();
    static const auto finish = reinterpret_cast<finishProc>(SDL_GL_GetProcAddress("glFinish"));
    if (finish != nullptr) finish();
  }
}

namespace {

bool collectingKeys = false;
std::vector<keyPress> keptPresses;
constexpr size_t keptPressLimit = 64;

void keepKeyPress(const SDL_KeyboardEvent& event) {
  if (!collectingKeys || event.repeat != 0) return;
  keyPress press;
  switch (event.keysym.sym) {
    case SDLK_SPACE: press.key = pressedKey::space; break;
    case SDLK_LEFT: press.key = pressedKey::left; break;
    case SDLK_RIGHT: press.key = pressedKey::right; break;
    case SDLK_HOME: press.key = pressedKey::home; break;
    case SDLK_l: press.key = pressedKey::letterL; break;
    case SDLK_s: press.key = pressedKey::letterS; break;
    default: return;
  }
  press.shift = (event.keysym.mod & KMOD_SHIFT) != 0;
  if (keptPresses.size() >= keptPressLimit) keptPresses.erase(keptPresses.begin());
  keptPresses.push_back(press);
}

}  // namespace

void collectKeyPresses() { collectingKeys = true; }

std::vector<keyPress> takeKeyPresses() {
  std::vector<keyPress> taken;
  taken.swap(keptPresses);
  return taken;
}

bool pumpEvents() {
  bool quit = quitSignalled();
  if (!SDL_WasInit(SDL_INIT_VIDEO) || displayConnectionLost()) return quit;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_QUIT:  // the last window closed, or a signal SDL caught itself
        quit = true;
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) quit = true;
        break;
      case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_ESCAPE) quit = true;
        keepKeyPress(event.key);
        break;
      default:
        break;
    }
  }
  return quit;
}

void* getProcAddress(const char* name) {
  if (std::strcmp(name, "wglGetExtensionsStringARB") == 0) {
    return reinterpret_cast<void*>(&standInGetExtensionsString);
  }
  if (std::strcmp(name, "wglChoosePixelFormatARB") == 0) {
    return hasMultisampleFormats() ? reinterpret_cast<void*>(&standInChoosePixelFormat) : nullptr;
  }
  if (std::strcmp(name, "wglSwapIntervalEXT") == 0) {
    return hasSwapControl() ? reinterpret_cast<void*>(&standInSwapInterval) : nullptr;
  }
  if (std::strcmp(name, "wglGetSwapIntervalEXT") == 0) {
    return hasSwapControl() ? reinterpret_cast<void*>(&standInGetSwapInterval) : nullptr;
  }
  return SDL_GL_GetProcAddress(name);
}

}  // namespace platform
