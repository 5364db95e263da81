// Full screen keeps the desktop's mode on every kind of output: an X screen
// that lacks the asked mode, a HiDPI Wayland output, the second of two
// outputs; and the display going away under the show. Each picture is
// judged by its PSNR against the offline renderer's frame of the moment,
// both scaled to one size.
#include "support/child_process.h"
#include "support/command.h"
#include "support/desktop_session.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include "engine/window.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

// Both pictures are compared at this size. The show's is scaled from
// another render size than the offline frame's: at the held moment that
// gives 32-33 dB, while the same picture at half size in the middle of the
// screen (a window that never went full screen) gives 22.5 dB, and in the
// top-left corner 20.6 dB.
constexpr int comparedWidth = 480;
constexpr int comparedHeight = 270;
constexpr double leastPsnr = 28.0;
const std::string comparedSize = "480x270";

std::vector<std::string> x11Environment(const std::string& display) {
  return {"DISPLAY=" + display, "SDL_VIDEODRIVER=", "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy"};
}

void requireTools() {
  for (const char* tool : {"import", "xdotool", "xwininfo", "weston"}) {
    ASSERT_FALSE(findOnPath(tool).empty())
        << tool << " is not installed (scripts/debian-packages.txt lists its package)";
  }
}

// Waits until the shot of `crop` on `display` comes within leastPsnr of
// `expected`, pressing OK on the swap warning when it comes. Returns the
// best PSNR seen.
double awaitPicture(childProcess& show, const std::string& display, const std::string& crop,
                    const rgbPicture& expected) {
  double best = 0.0;
  const auto deadline = std::chrono::steady_clock::now() + 90s;
  while (show.running() && std::chrono::steady_clock::now() < deadline) {
    if (show.log().find(swapWarning) != std::string::npos) confirmSwapWarning(display);
    best = std::max(best, psnr(screenshot(display, crop, comparedSize), expected));
    if (best >= leastPsnr) break;
    std::this_thread::sleep_for(1s);
  }
  std::printf("PSNR against the offline frame: %.1f dB\n", best);
  return best;
}

// Pixels of `shot` (within x0 <= x < x1, y0 <= y < y1) farther than 8 in
// any channel from `colour` (0xRRGGBB).
long pixelsOtherThan(const rgbPicture& shot, unsigned colour, int x0, int y0, int x1, int y1) {
  long count = 0;
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      for (int c = 0; c < 3; ++c) {
        const int wanted = static_cast<int>((colour >> (16 - 8 * c)) & 0xFF);
        if (std::abs(shot.at(x, y, c) - wanted) > 8) {
          ++count;
          break;
        }
      }
    }
  }
  return count;
}

// The X screen has one mode, 1920 x 1080; the show renders 1024 x 768 and
// scales it over the whole screen, letterboxed for the screen's own 16:9
// shape (no bars). Killing the X server then ends the show with its status,
// also while the show's first message box waits.
TEST(FullScreen, ScreenWithoutTheModeIsFilledAndItsLossEndsTheShow) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  const rgbPicture expected = offlineFrame(comparedWidth, comparedHeight);
  ASSERT_TRUE(expected.pixels);
  xvfbServer server;
  ASSERT_TRUE(server.start("1920x1080x24")) << server.failure();
  childProcess show;
  ASSERT_TRUE(show.start(heldShowArguments({"--fullscreen", "--size", "1024x768"}), packFolder(),
                         x11Environment(server.display()), makeTempFolder() + "/show.log"));
  EXPECT_GE(awaitPicture(show, server.display(), "", expected), leastPsnr) << show.log();

  server.stop();
  ASSERT_TRUE(show.waitFor(20s)) << "the show went on without its display";
  EXPECT_TRUE(show.exited()) << "signal " << show.signalNumber();
  EXPECT_EQ(show.status(), displayLostStatus) << show.log();
  const std::string log = show.log();
  const size_t said = log.find("the display connection was lost");
  EXPECT_NE(said, std::string::npos) << log;
  EXPECT_EQ(log.find("the display connection was lost", said + 1), std::string::npos) << log;

  // The same while the swap warning still waits for OK.
  ASSERT_TRUE(server.start("1024x768x24")) << server.failure();
  childProcess waiting;
  ASSERT_TRUE(waiting.start(heldShowArguments({}), packFolder(), x11Environment(server.display()),
                            makeTempFolder() + "/waiting.log"));
  ASSERT_TRUE(waiting.waitForLog(swapWarning, 60s)) << waiting.log();
  for (int i = 0; i < 100 && windowTitled(server.display(), swapWarning).empty(); ++i) {
    std::this_thread::sleep_for(100ms);
  }
  // Painted and waiting: a display that dies while SDL is still drawing the
  // box's first picture takes Xlib down inside SDL, where no guard reaches.
  std::this_thread::sleep_for(1s);
  server.stop();
  ASSERT_TRUE(waiting.waitFor(20s));
  EXPECT_TRUE(waiting.exited() && waiting.status() == displayLostStatus) << waiting.log();
}

// Weston's X11 back end at scale 2 is a HiDPI output of 1920 x 1080 pixels
// and 960 x 540 units: full screen fills all its pixels, not a quarter of
// them magnified.
TEST(FullScreen, HiDpiWaylandOutputIsFilledAtItsPixelCount) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  const rgbPicture expected = offlineFrame(comparedWidth, comparedHeight);
  ASSERT_TRUE(expected.pixels);
  xvfbServer server;
  ASSERT_TRUE(server.start("1920x1080x24")) << server.failure();
  westonServer weston;
  ASSERT_TRUE(weston.start("x11", server.display(), {"--width=960", "--height=540", "--scale=2"}))
      << weston.process.log();

  childProcess show;
  ASSERT_TRUE(show.start(heldShowArguments({"--fullscreen", "--size", "1024x768"}), packFolder(),
                         weston.showEnvironment(""), makeTempFolder() + "/show.log"));
  EXPECT_GE(awaitPicture(show, server.display(), "", expected), leastPsnr) << show.log();
  show.stop(SIGTERM, 20s);
  EXPECT_TRUE(show.exited() && show.status() == 0) << show.log();
  weston.process.stop(SIGTERM, 10s);
}

// Two Weston outputs side by side (their X windows moved apart within a
// wide Xvfb): --display 2 puts the show on the right one, letterboxed for
// its 4:3 shape and scaled from 800 x 600; the left one keeps Weston's
// background.
TEST(FullScreen, TheChosenOfTwoOutputsShowsThePictureAndTheOtherIsUntouched) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  const rgbPicture expected = offlineFrame(comparedWidth, comparedHeight);
  ASSERT_TRUE(expected.pixels);
  xvfbServer server;
  ASSERT_TRUE(server.start("2048x768x24")) << server.failure();
  westonServer weston;
  ASSERT_TRUE(weston.start("x11", server.display(),
                           {"--width=1024", "--height=768", "--output-count=2"}))
      << weston.process.log();
  std::string second;
  for (int i = 0; i < 50 && second.empty(); ++i) {
    second = windowTitled(server.display(), "Weston Compositor - screen1");
    if (second.empty()) std::this_thread::sleep_for(100ms);
  }
  ASSERT_FALSE(second.empty()) << weston.process.log();
  runCommand("DISPLAY=" + server.display() + " xdotool windowmove " + second + " 1024 0");

  childProcess show;
  ASSERT_TRUE(show.start(heldShowArguments({"--fullscreen", "--size", "800x600", "--display", "2"}),
                         packFolder(), weston.showEnvironment(""),
                         makeTempFolder() + "/show.log"));
  // 4:3 bars on the output: 96 rows above and below a 1024 x 576 picture.
  EXPECT_GE(awaitPicture(show, server.display(), "1024x576+1024+96", expected), leastPsnr)
      << show.log();
  const rgbPicture shot = screenshot(server.display());
  ASSERT_TRUE(shot.pixels);
  EXPECT_EQ(pixelsOtherThan(shot, westonBackground, 0, 0, 1024, 768), 0) << "the first output";
  EXPECT_EQ(pixelsOtherThan(shot, 0x000000, 1024, 0, 2048, 94), 0) << "the top bar";
  EXPECT_EQ(pixelsOtherThan(shot, 0x000000, 1024, 674, 2048, 768), 0) << "the bottom bar";
  show.stop(SIGTERM, 20s);
  EXPECT_TRUE(show.exited() && show.status() == 0) << show.log();
  weston.process.stop(SIGTERM, 10s);
}

}  // namespace
