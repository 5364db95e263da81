#include "platform/message_box.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

bool isHeadlessDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
          std::strcmp(driver, "evdev") == 0);
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

void showMessage(const char* caption, const char* text, messageIcon icon) {
  if (caption == nullptr) caption = "";
  if (text == nullptr) text = "";
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);

  if (!messageBoxesVisible()) return;
  Uint32 flags = 0;
  switch (icon) {
    case messageIcon::error: flags = SDL_MESSAGEBOX_ERROR; break;
    case messageIcon::warning: flags = SDL_MESSAGEBOX_WARNING; break;
    case messageIcon::information:
    case messageIcon::none: flags = SDL_MESSAGEBOX_INFORMATION; break;
  }
  // No parent window: like the show's own boxes, it stands on its own, and a
  // full-screen window may already be gone when a halt message appears.
  SDL_ShowSimpleMessageBox(flags, caption, text, nullptr);
}

}  // namespace platform
