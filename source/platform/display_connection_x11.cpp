#include "platform/display_connection.h"

#include "platform/quit_signal.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#include <X11/Xlib.h>

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t lost = 0;
Display* guarded = nullptr;
XIOErrorHandler previousHandler = nullptr;
XErrorHandler previousErrorHandler = nullptr;

// Called first on any connection's failure. For the guarded one it returns,
// so that its exit handler decides; the others fail as they always did.
int ioError(Display* display) {
  if (display == guarded) return 0;
  return previousHandler != nullptr ? previousHandler(display) : 0;
}

// Requests still made on a connection that is gone fail as errors raised in
// the client (GLX calls them a bad drawable); Xlib's default handler would
// end the program with status 1 for them. Any other error goes on as before.
int protocolError(Display* display, XErrorEvent* event) {
  if (display == guarded && lost != 0) return 0;
  return previousErrorHandler != nullptr ? previousErrorHandler(display, event) : 0;
}

// Returning from here leaves the connection marked dead instead of exiting.
void noteLostConnection(Display*, void*) {
  lost = 1;
  requestQuit();
}

}  // namespace

void guardDisplayConnection(SDL_Window* window) {
  if (window == nullptr) return;
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  Display* display = info.info.x11.display;
  if (display == nullptr || display == guarded) return;
  XSetIOErrorExitHandler(display, noteLostConnection, nullptr);
  guarded = display;
  XIOErrorHandler previous = XSetIOErrorHandler(ioError);
  if (previous != ioError) previousHandler = previous;
  XErrorHandler previousForErrors = XSetErrorHandler(protocolError);
  if (previousForErrors != protocolError) previousErrorHandler = previousForErrors;
}

bool displayConnectionLost() { return lost != 0; }

}  // namespace platform
