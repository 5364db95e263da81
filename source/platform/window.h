#pragma once

// The native window, its OpenGL context and its events. The shell's window
// object (engine/window.h) drives these in the order a Win32 program would:
// create, show, choose and set a pixel format, create a context, swap, pump,
// destroy. Nothing here knows about the show.

#include <string>
#include <vector>

namespace platform {

class nativeWindow;  // the window together with its drawing surface

// What a pixel format asks for. The platform treats every field as "at least"
// except `samples`, which must be met exactly when it is above 1.
struct pixelFormat {
  int colorBits = 32;
  int alphaBits = 1;
  int depthBits = 32;
  int stencilBits = 0;
  bool doubleBuffer = true;
  int samples = 1;  // 1: no multisampling
};

// Starts the video subsystem (stands in for registering the window class).
// False when no video driver can be used. Also makes SIGINT and SIGTERM
// arrive as quit requests at pumpEvents().
bool initVideo();

// One monitor (an output of the display server).
struct monitor {
  std::string name;   // the server's name for it; may be a placeholder such as "none"
  int x = 0, y = 0;   // its place on the desktop, in the server's desktop units
  int width = 0;      // its size in real pixels (a HiDPI output's full count)
  int height = 0;
};

// The monitors in the video driver's order, which puts the primary one
// first where the system names one. Empty when video cannot start. Costs a
// few queries to the display server.
std::vector<monitor> listMonitors();

// Size in pixels of monitor `display` (0: the first); false when it cannot
// be read.
bool desktopSize(int display, int* width, int* height);
inline bool desktopSize(int* width, int* height) { return desktopSize(0, width, height); }

enum class createFailure { none, fullscreenRefused, windowNotCreated };

// Creates a hidden window on monitor `display`. Windowed, its client area
// is width x height in the desktop's units (more pixels on a HiDPI output);
// full screen, it covers the whole monitor at its own pixel size, keeping
// the desktop's mode. Without a real display (the headless driver) a full
// screen window is width x height, as there is no monitor to fill. Returns
// null and sets `failure` when it cannot (fullscreenRefused: no such
// monitor). Costs a round trip to the display server.
nativeWindow* createNativeWindow(const char* caption, int width, int height, bool fullscreen,
                                 createFailure* failure, int display = 0);

// Destroys the window (its context must be released first).
void destroyNativeWindow(nativeWindow* window);

void showNativeWindow(nativeWindow* window, bool visible);

// Size of the drawable area in real pixels.
void clientSize(nativeWindow* window, int* width, int* height);

void showCursor(bool visible);

// Gives the window a width x height RGBA icon (first row first). Copies the
// pixels; the desktop may ignore it.
void setWindowIcon(nativeWindow* window, const unsigned char* rgba, int width, int height);

// Registers `format` for use with setPixelFormat and returns its index (> 0),
// or 0 when the platform cannot satisfy it. Formats with samples > 1 are
// tried out with a hidden test window, so this may take a few milliseconds.
int choosePixelFormat(const pixelFormat& format);

// Gives the window the registered format `formatIndex`; a window takes a
// format once. May re-create the native surface. False on failure.
bool setPixelFormat(nativeWindow* window, int formatIndex);

// Creates an OpenGL compatibility-profile context on the window (which
// needs a pixel format). Null on failure.
void* createContext(nativeWindow* window);

// Makes `context` current on `window`; a null context releases the current
// one. False on failure.
bool makeCurrent(nativeWindow* window, void* context);

void deleteContext(void* context);

// Presents the back buffer. May wait for the display's vertical blank.
void swapBuffers(nativeWindow* window);

// Drains pending window events without blocking. True when one of them asks
// the program to end: the window's close box, the Escape key, SIGINT/SIGTERM,
// or the loss of the display (after which window calls do nothing; see
// displayConnectionLost in platform/display_connection.h).
bool pumpEvents();

// The keys a program may ask for besides Escape, which always quits.
enum class pressedKey { space, left, right, home, letterL, letterS };
struct keyPress {
  pressedKey key;
  bool shift = false;
};

// From now on pumpEvents() keeps the presses of the keys above (at most a
// few dozen between two takes; older ones are dropped) for takeKeyPresses().
void collectKeyPresses();

// The presses kept since the last call, oldest first. Empty unless
// collectKeyPresses() was called.
std::vector<keyPress> takeKeyPresses();

// Entry-point lookup for the current context. Besides OpenGL's own names it
// answers the WGL names of the stand-ins in platform/wgl.h, and only those
// whose capability the platform really has.
void* getProcAddress(const char* name);

}  // namespace platform
