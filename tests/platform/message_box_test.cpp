#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Runs in a child process: a display that cannot be reached gets the text on
// stderr only, and the caller goes on as if the box had been answered.
void showWithoutReachableDisplay() {
  unsetenv("SDL_VIDEODRIVER");
  unsetenv("WAYLAND_DISPLAY");
  setenv("DISPLAY", "unix:/nonexistent/socket", 1);
  std::_Exit(platform::showMessage("Caption", "text", platform::messageIcon::warning) ? 0 : 1);
}

TEST(MessageBoxDeathTest, UnreachableDisplayWritesStderrAndGoesOn) {
  EXPECT_EXIT(showWithoutReachableDisplay(), ::testing::ExitedWithCode(0), "^Caption: text\n");
}

}  // namespace
