#pragma once

#include "support/child_process.h"
#include "support/rgb_picture.h"

#include <string>
#include <vector>

// What the tests of the show on real desktops share: the show's command
// line and package, the offline renderer's frame to compare with, shots of
// an X screen, and a private Weston.
namespace testing_support {

// The moment the desktop tests hold the show at: the title scene, which
// letterboxing once shifted.
constexpr double desktopHeldSeconds = 30.0;

// The caption of the warning shown where the display offers no swap control.
extern const char* const swapWarning;

// The folder of the built pack.zip (the show's working directory).
std::string packFolder();

// The show with --no-dialog --hold 30 and `options`.
std::vector<std::string> heldShowArguments(const std::vector<std::string>& options);

// The offline renderer's frame at the held moment, at width x height.
rgbPicture offlineFrame(int width, int height);

// A shot of the whole screen of `display`, or of `crop` ("WxH+X+Y") within
// it, scaled to `scaleTo` ("WxH") when given. Always of the root window:
// import waits for a named window to be mapped, which a window the show
// has destroyed (its first, after the multisample question) never is.
rgbPicture screenshot(const std::string& display, const std::string& crop = "",
                      const std::string& scaleTo = "");

// The id of the first top-level window whose title contains `title`, ""
// when there is none.
std::string windowTitled(const std::string& display, const std::string& title);

// Presses OK on the swap-control warning (a plain X window without a
// window manager: the key goes straight to it).
void confirmSwapWarning(const std::string& display);

// Peak signal-to-noise ratio of two pictures of one size over all
// channels, in dB; 0 when the sizes differ or either is missing.
double psnr(const rgbPicture& a, const rgbPicture& b);

// A private Weston on its own runtime folder and socket name, so tests
// running side by side never meet each other's compositors.
struct westonServer {
  std::string runtime;
  std::string socket;
  childProcess process;

  westonServer();
  // `backend` "x11" (inside `display`) or "headless"; `options` go to
  // Weston as they are (the x11 back end's default is one 1024 x 768
  // output). A solid background and no panel, so that what the show does
  // not cover stays one colour. Waits for the socket.
  bool start(const std::string& backend, const std::string& display,
             const std::vector<std::string>& options = {});
  std::vector<std::string> showEnvironment(const std::string& display) const;
};

// Weston's background colour under westonServer (0xRRGGBB).
constexpr unsigned westonBackground = 0x204060;

}  // namespace testing_support
