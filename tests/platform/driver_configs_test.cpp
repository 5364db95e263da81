// The driver's list of multisample configurations, asked of the current
// context's display, against what a trial context asking that many samples
// gets: on SDL's offscreen driver (EGL) and on an X server (GLX).
#include "platform/driver_configs.h"
#include "platform/window.h"
#include "support/headless_gl.h"
#include "support/xvfb_server.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using platform::listedAnswer;
using platform::listedMultisampleConfigs;

// 0 when the list answers and agrees with the trial context (what
// choosePixelFormat makes for a multisample format) and lists nothing for an
// impossible count; else what went wrong, as a code.
int listAgainstTrial() {
  const listedAnswer listed = listedMultisampleConfigs(2);
  if (listed == listedAnswer::unknown) return 3;
  platform::pixelFormat twoSamples;
  twoSamples.samples = 2;
  if ((listed == listedAnswer::some) != (platform::choosePixelFormat(twoSamples) != 0)) return 4;
  if (listedMultisampleConfigs(4096) != listedAnswer::none) return 5;
  return 0;
}

TEST(DriverConfigs, TheOffscreenDriversListAgreesWithATrialContext) {
  ASSERT_TRUE(testing_support::headlessGl());
  EXPECT_EQ(listAgainstTrial(), 0);
}

TEST(DriverConfigs, AnXServersListAgreesWithATrialContext) {
  testing_support::xvfbServer server;
  ASSERT_TRUE(server.start()) << server.failure();
  // A process of its own: SDL's video driver is chosen once per process.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("DISPLAY", server.display().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        int code = 6;
        if (SDL_Init(SDL_INIT_VIDEO) == 0) {
          SDL_Window* window = SDL_CreateWindow("list", 0, 0, 16, 16,
                                                SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
          SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
          if (context != nullptr) code = listAgainstTrial();
        }
        std::_Exit(code);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
