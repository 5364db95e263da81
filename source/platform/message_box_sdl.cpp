#include "platform/message_box.h"

#include "platform/display_connection.h"
#include "platform/message_box_picture.h"
#include "platform/quit_signal.h"
#include "platform/window.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform {

namespace {

constexpr Uint32 pollMilliseconds = 20;

bool isHeadlessDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
          std::strcmp(driver, "evdev") == 0);
}

uint32_t accentOf(messageIcon icon) {
  switch (icon) {
    case messageIcon::error: return 0xC01C28;
    case messageIcon::warning: return 0xE5A50A;
    case messageIcon::information: return 0x3584E4;
    case messageIcon::none: break;
  }
  return 0x9A9996;
}

// Drivers whose windows someone can see and answer; SDL falls back to
// others (offscreen, a console) when the display cannot be reached.
bool isDesktopDriver(const char* driver) {
  return driver != nullptr && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

enum class boxEnd { answered, abandoned, notShown };

bool abandonRequested() { return quitSignalled() || displayConnectionLost(); }

// Copies the picture onto the window's surface; false when there is none.
bool present(SDL_Window* window, const messagePicture& picture, const std::vector<uint8_t>& pixels) {
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return false;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<uint8_t*>(pixels.data()), picture.width, picture.height, 32, picture.width * 4,
      SDL_PIXELFORMAT_RGB888);
  if (source == nullptr) return false;
  SDL_BlitSurface(source, nullptr, surface, nullptr);
  SDL_FreeSurface(source);
  return SDL_UpdateWindowSurface(window) == 0;
}

// Polls the box's events and the quit and display state until one of them
// ends the box. Events of other windows are dropped: the box is modal.
boxEnd waitForAnswer(SDL_Window* window, const messagePicture& picture,
                     const std::vector<uint8_t>& pixels) {
  const Uint32 id = SDL_GetWindowID(window);
  bool buttonHeld = false;
  for (;;) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
      switch (event.type) {
        case SDL_QUIT:  // SDL's own signal handlers, or a Wayland display gone
          return boxEnd::abandoned;
        case SDL_WINDOWEVENT:
          if (event.window.windowID != id) break;
          if (event.window.event == SDL_WINDOWEVENT_CLOSE) return boxEnd::answered;
          if (event.window.event == SDL_WINDOWEVENT_EXPOSED) present(window, picture, pixels);
          break;
        case SDL_KEYDOWN:
          if (event.key.windowID != id) break;
          switch (event.key.keysym.sym) {
            case SDLK_RETURN:
            case SDLK_KP_ENTER:
            case SDLK_SPACE:
            case SDLK_ESCAPE:
              return boxEnd::answered;
            default:
              break;
          }
          break;
        case SDL_MOUSEBUTTONDOWN:
          if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT) {
            buttonHeld = picture.button.contains(event.button.x, event.button.y);
          }
          break;
        case SDL_MOUSEBUTTONUP:
          if (event.button.windowID == id && event.button.button == SDL_BUTTON_LEFT && buttonHeld &&
              picture.button.contains(event.button.x, event.button.y)) {
            return boxEnd::answered;
          }
          buttonHeld = false;
          break;
        default:
          break;
      }
    }
    if (abandonRequested()) return boxEnd::abandoned;
    SDL_Delay(pollMilliseconds);
  }
}

// The box as a window of its own with a short event loop, rather than SDL's
// message box: that one waits in a forked child which neither signals nor a
// dead display can end.
boxEnd runBox(const char* caption, const char* text, messageIcon icon) {
  const bool startedVideo = !SDL_WasInit(SDL_INIT_VIDEO);
  // The window's own start-up: it knows which displays SDL cannot survive.
  if (startedVideo && !initVideo()) return boxEnd::notShown;
  if (!isDesktopDriver(SDL_GetCurrentVideoDriver())) {
    if (startedVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return boxEnd::notShown;
  }
  const messagePicture picture = layoutMessage(caption, text, accentOf(icon));
  std::vector<uint8_t> pixels;
  paintMessage(picture, pixels);

  // The box's window takes over the thread's GL context; the show's window
  // gets it back afterwards, or its next render target is incomplete.
  SDL_Window* glWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext glContext = SDL_GL_GetCurrentContext();
  boxEnd end = boxEnd::notShown;
  SDL_Window* window =
      SDL_CreateWindow(caption, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, picture.width,
                       picture.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_ALWAYS_ON_TOP);
  if (window != nullptr) {
    guardDisplayConnection(window);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    if (present(window, picture, pixels)) end = waitForAnswer(window, picture, pixels);
    if (end == boxEnd::answered) SDL_FlushEvent(SDL_QUIT);  // sent when the last window closes
    // On a dead display SDL would wait forever for the window's unmapping.
    if (!displayConnectionLost()) SDL_DestroyWindow(window);
  }
  if (glWindow != nullptr && glContext != nullptr && !displayConnectionLost()) {
    SDL_GL_MakeCurrent(glWindow, glContext);
  }
  if (startedVideo && !displayConnectionLost()) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  return end;
}

}  // namespace

bool messageBoxesVisible() {
  // With video running, its driver decides; before that, the requested driver
  // and the presence of a display server do.
  const char* driver = SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GetCurrentVideoDriver()
                                                   : std::getenv("SDL_VIDEODRIVER");
  if (isHeadlessDriver(driver)) return false;
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

bool showMessage(const char* caption, const char* text, messageIcon icon) {
  if (caption == nullptr) caption = "";
  if (text == nullptr) text = "";
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);

  if (abandonRequested()) return false;
  if (!messageBoxesVisible()) return true;
  return runBox(caption, text, icon) != boxEnd::abandoned;
}

}  // namespace platform
