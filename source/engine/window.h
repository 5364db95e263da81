#pragma once

#include <cstdint>

namespace platform {
class nativeWindow;
}

// The show's single top-level window with its OpenGL context, and the
// graphics initialisation that creates it from the display settings.

struct shellWindow {
  char caption[512] = {};
  int32_t height = 0;
  int32_t width = 0;
  int32_t clientHeight = 0;
  int32_t clientWidth = 0;
  bool fullscreen = false;
  int32_t samples = 1;
  bool visible = false;
  platform::nativeWindow* hwnd = nullptr;  // the window and its drawing surface
  void* hglrc = nullptr;                   // its OpenGL context
};

// The window; null before graphics initialisation and after the halt.
extern shellWindow* mainWindow;

constexpr const char* showTitle = "Amber Pudding @ Lanternfest12";
constexpr int32_t buildNumber = 2587;

// The process status when the display server goes away under the show
// (README's exit status table).
constexpr int displayLostStatus = 3;

// The aspect ratio that stands for the full-screen output's own shape
// (its width over its height in pixels) in openGraphics.
constexpr float outputShape = 0.0f;

// The render size after the windowed-mode rule: a window is always 16:9, so
// its width follows from the height and the aspect becomes 16:9.
void renderSize(int32_t resolution, int32_t aspect, bool fullscreen, int32_t* width,
                int32_t* height, float* aspectRatio);

// Graphics initialisation: settings dialog, window, pixel format (with the
// multisample probe), context, GL layer, viewport, swap interval, initial
// state. Returns true; every failure ends the process with its message.
bool initGraphics();

// Graphics initialisation after the dialog, for a render of width x height
// on a monitor of the given aspect ratio (outputShape: the output's own),
// on the chosen monitor: everything initGraphics does from the window on.
// A window has that size in the desktop's units and renders at its real
// pixel size; full screen covers the whole monitor at its own pixel size
// and the render is scaled onto it (gfx/screen_canvas.h). Tools that
// render the show at other sizes call it directly.
bool openGraphics(int32_t width, int32_t height, bool fullscreen, float aspectRatio);

// Creates the native window for `window` (hidden) on the chosen monitor and
// reads its client size in pixels. Exits the process with a message when
// that is impossible.
void createWindow(shellWindow& window, int32_t width, int32_t height, bool fullscreen);

// Releases the context and the screen canvas, destroys the native window
// and restores the cursor. Safe on a half-created window.
void destroyWindow(shellWindow& window);

// Drains window events without blocking; true once a quit was requested
// (close box, Escape, SIGINT or SIGTERM). A quit request stays noted, so a
// later call still returns true. When the display connection has been lost
// it says so in one line on stderr and ends the process with
// displayLostStatus: the show cannot go on, and it did not end well.
bool pumpMessages();

// Forgets a noted quit request (tests).
void resetQuitRequest();
