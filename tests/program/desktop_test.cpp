// The show in real windows: X11 under a private Xvfb (GLX on Mesa) and
// Wayland under Weston, full screen on every monitor shape and windowed,
// judged on screenshots against the offline renderer's frame.
#include "support/child_process.h"
#include "support/desktop_session.h"
#include "support/command.h"
#include "support/rgb_picture.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include "engine/errors.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::childProcess;
using testing_support::findOnPath;
using testing_support::runCommand;

using picture = testing_support::rgbPicture;
using testing_support::confirmSwapWarning;
using testing_support::offlineFrame;
using testing_support::packFolder;
using testing_support::screenshot;
using testing_support::swapWarning;
using testing_support::windowTitled;

std::vector<std::string> showArguments(const std::vector<std::string>& options) {
  return testing_support::heldShowArguments(options);
}

// Where window `id` shows on the screen, as "WxH+X+Y"; "" while it is not
// mapped.
std::string viewableArea(const std::string& display, const std::string& id) {
  const std::string info =
      runCommand("DISPLAY=" + display + " xwininfo -id " + id + " 2>/dev/null").output;
  if (info.find("Map State: IsViewable") == std::string::npos) return "";
  const auto field = [&info](const char* name) {
    const size_t at = info.find(name);
    return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + std::strlen(name));
  };
  const int x = field("Absolute upper-left X:"), y = field("Absolute upper-left Y:");
  const int width = field("Width:"), height = field("Height:");
  if (x < 0 || y < 0 || width <= 0 || height <= 0) return "";
  return std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" +
         std::to_string(y);
}

struct pictureArea {
  int x, y, width, height;
};

// Empty when the shot shows black bars around `area` and inside it
// `expected` (nearly every pixel within a small tolerance) or, without an
// expected picture, a picture reaching every edge of the area; else what
// is wrong.
std::string compareShot(const picture& shot, const pictureArea& area, const picture& expected) {
  if (!shot.pixels) return "no screenshot";
  if (shot.width < area.x + area.width || shot.height < area.y + area.height) {
    return "screenshot " + std::to_string(shot.width) + "x" + std::to_string(shot.height) +
           " is smaller than the picture area";
  }
  long litBar = 0, far = 0;
  long litEdge[4] = {0, 0, 0, 0};  // top, bottom, left, right tenths of the area
  std::pair<int, int> firstLit{0, 0};
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const int u = x - area.x, v = y - area.y;
      const bool inside = u >= 0 && u < area.width && v >= 0 && v < area.height;
      for (int c = 0; c < 3; ++c) {
        const int value = shot.at(x, y, c);
        if (!inside) {
          if (value > 8 && litBar++ == 0) firstLit = {x, y};
        } else if (expected.pixels) {
          far += std::abs(value - expected.at(u, v, c)) > 24;
        } else if (value > 40) {
          litEdge[0] += v < area.height / 10;
          litEdge[1] += v >= area.height - area.height / 10;
          litEdge[2] += u < area.width / 10;
          litEdge[3] += u >= area.width - area.width / 10;
        }
      }
    }
  }
  const long allowed = static_cast<long>(area.width) * area.height * 3 / 100;
  if (litBar > 0) {
    return std::to_string(litBar) + " lit values in the bars, the first at (" +
           std::to_string(firstLit.first) + ", " + std::to_string(firstLit.second) + ")";
  }
  if (far > allowed) return std::to_string(far) + " values differ from the offline frame";
  if (!expected.pixels && (litEdge[0] == 0 || litEdge[1] == 0 || litEdge[2] == 0 || litEdge[3] == 0)) {
    return "the picture does not reach every edge of its area";
  }
  return "";
}

// Waits until the show's window on `display` shows `expected` in `area`
// (shots of the whole screen or of the window named by the caption), pressing
// OK on the swap warning when it comes. Returns the last difference.
std::string awaitPicture(childProcess& show, const std::string& display, bool wholeScreen,
                         const pictureArea& area, const picture& expected) {
  std::string difference = "the show never drew";
  const auto deadline = std::chrono::steady_clock::now() + 120s;
  while (show.running() && std::chrono::steady_clock::now() < deadline) {
    if (show.log().find(swapWarning) != std::string::npos) confirmSwapWarning(display);
    const std::string window = wholeScreen ? "" : windowTitled(display, "Amber Pudding");
    const std::string crop = window.empty() ? "" : viewableArea(display, window);
    if (!wholeScreen && crop.empty()) {
      std::this_thread::sleep_for(1s);
      continue;
    }
    difference = compareShot(screenshot(display, crop), area, expected);
    if (difference.empty()) return "";
    std::this_thread::sleep_for(1s);
  }
  return difference + (show.running() ? "" : "; the show ended: " + show.log());
}

void requireTools() {
  const std::pair<const char*, const char*> tools[] = {
      {"import", "imagemagick"}, {"xdotool", "xdotool"}, {"xwininfo", "x11-utils"},
      {"xprop", "x11-utils"}, {"weston", "weston"}};
  for (const auto& [tool, package] : tools) {
    ASSERT_FALSE(findOnPath(tool).empty())
        << tool << " is not installed (Debian package " << package << ")";
  }
}

// The window's icon is the round badge: 32 x 32, clear in the corners,
// opaque in the middle.
void expectBadgeIcon(const std::string& display) {
  const std::string window = windowTitled(display, "Amber Pudding");
  const auto icon = runCommand("DISPLAY=" + display + " xprop -id " + window +
                               " -f _NET_WM_ICON 32c '=$0+' _NET_WM_ICON");
  std::vector<unsigned long> values;
  const char* text = icon.output.c_str();
  for (const char* at = std::strchr(text, '='); at != nullptr; at = std::strchr(at + 1, ',')) {
    values.push_back(std::strtoul(at + 1, nullptr, 10));
  }
  ASSERT_EQ(values.size(), 2u + 32 * 32) << icon.output.substr(0, 200);
  EXPECT_EQ(values[0], 32u);
  EXPECT_EQ(values[1], 32u);
  EXPECT_EQ(values[2] >> 24, 0u) << "the corner is not clear";
  EXPECT_EQ(values[2 + 16 * 32 + 16] >> 24, 255u) << "the middle is not opaque";
}

struct monitorShape {
  const char* name;
  const char* screen;  // Xvfb's screen, the full-screen mode
  std::vector<std::string> options;
  bool wholeScreen;
  pictureArea area;
  bool compared;  // with the offline renderer's frame
};

// Names the shape in test listings instead of dumping its bytes.
void PrintTo(const monitorShape& shape, std::ostream* out) { *out << shape.name; }

class DesktopX11 : public ::testing::TestWithParam<monitorShape> {};

TEST_P(DesktopX11, PictureInItsAreaMatchesTheOfflineFrame) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  const monitorShape& shape = GetParam();
  // Where the area is the 16:9 picture in square pixels, the offline
  // renderer gives the same frame; a 5:4 or 16:10 monitor shows the 4:3
  // mode's pixels stretched, which no offline size reproduces.
  picture expected;
  if (shape.compared) {
    expected = offlineFrame(shape.area.width, shape.area.height);
    ASSERT_TRUE(expected.pixels);
  }
  testing_support::xvfbServer server;
  ASSERT_TRUE(server.start(shape.screen)) << server.failure();
  childProcess show;
  ASSERT_TRUE(show.start(showArguments(shape.options), packFolder(),
                         {"DISPLAY=" + server.display(), "SDL_VIDEODRIVER=", "WAYLAND_DISPLAY=",
                          "SDL_AUDIODRIVER=dummy"},
                         testing_support::makeTempFolder() + "/show.log"));
  EXPECT_EQ(awaitPicture(show, server.display(), shape.wholeScreen, shape.area, expected), "");
  if (!shape.wholeScreen) expectBadgeIcon(server.display());
  show.stop(SIGTERM, 20s);
  EXPECT_TRUE(show.exited() && show.status() == 0) << show.log();
}

// Full screen (the mode is the screen's; the 16:9 picture is letterboxed
// into it) and a window, which is always 16:9. At 5:4 and 16:10 the picture
// is the mode's height less the bars a monitor of that shape needs around a
// 16:9 picture of the mode's width: 960 - (1024 - 720) = 656 rows, with
// bars of 152; 768 - (640 - 576) = 704 rows, with bars of 32.
INSTANTIATE_TEST_SUITE_P(
    Shapes, DesktopX11,
    ::testing::Values(
        monitorShape{"FourToThree", "1024x768x24",
                     {"--fullscreen", "--size", "1024x768", "--aspect", "4:3"}, true,
                     {0, 96, 1024, 576}, true},
        monitorShape{"FiveToFour", "1280x960x24",
                     {"--fullscreen", "--size", "1280x960", "--aspect", "5:4"}, true,
                     {0, 152, 1280, 656}, false},
        monitorShape{"SixteenToTen", "1024x768x24",
                     {"--fullscreen", "--size", "1024x768", "--aspect", "16:10"}, true,
                     {0, 32, 1024, 704}, false},
        monitorShape{"Window", "1280x1024x24", {"--window", "--size", "640x480"}, false,
                     {0, 0, 854, 480}, true}),
    [](const ::testing::TestParamInfo<monitorShape>& info) { return info.param.name; });

using testing_support::westonServer;

TEST(Desktop, WaylandFullScreenUnderWeston) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  const picture expected = offlineFrame(1024, 576);
  ASSERT_TRUE(expected.pixels);
  testing_support::xvfbServer server;
  ASSERT_TRUE(server.start("1024x768x24")) << server.failure();
  westonServer weston;
  ASSERT_TRUE(weston.start("x11", server.display(), {"--width=1024", "--height=768"}))
      << weston.process.log();
  childProcess show;
  ASSERT_TRUE(show.start(showArguments({"--fullscreen", "--size", "1024x768", "--aspect", "4:3"}),
                         packFolder(), weston.showEnvironment(""),
                         testing_support::makeTempFolder() + "/show.log"));
  // Weston's output is its window in the X server: the screenshot is taken
  // there, the show itself sees only the compositor.
  EXPECT_EQ(awaitPicture(show, server.display(), true, {0, 96, 1024, 576}, expected), "");
  EXPECT_EQ(show.log().find("using X11"), std::string::npos) << show.log();
  show.stop(SIGTERM, 20s);
  EXPECT_TRUE(show.exited() && show.status() == 0) << show.log();
  weston.process.stop(SIGTERM, 10s);
}

TEST(Desktop, SeatlessWaylandEndsWithAMessageOrTakesX11) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  westonServer headless;
  ASSERT_TRUE(headless.start("headless", "")) << headless.process.log();
  const std::string log = testing_support::makeTempFolder() + "/show.log";

  childProcess alone;
  ASSERT_TRUE(alone.start(showArguments({}), packFolder(), headless.showEnvironment(""), log));
  ASSERT_TRUE(alone.waitFor(30s));
  EXPECT_TRUE(alone.exited()) << "signal " << alone.signalNumber();
  EXPECT_EQ(alone.status(), exitStatusFor(1001)) << alone.log();
  EXPECT_NE(alone.log().find("offers no seat"), std::string::npos) << alone.log();
  EXPECT_NE(alone.log().find("RegisterClassEx Failed!"), std::string::npos) << alone.log();

  // With an X server beside it, the show runs there (through XWayland on a
  // real desktop) and says so.
  testing_support::xvfbServer server;
  ASSERT_TRUE(server.start("1024x768x24")) << server.failure();
  childProcess beside;
  ASSERT_TRUE(beside.start(showArguments({"--window"}), packFolder(),
                           headless.showEnvironment(server.display()), log));
  EXPECT_TRUE(beside.waitForLog("using X11", 30s)) << beside.log();
  EXPECT_TRUE(beside.waitForLog(swapWarning, 60s)) << beside.log();  // the window has its context
  // Signals while a message box waits are the box's business: OK first.
  for (int i = 0; i < 100 && windowTitled(server.display(), swapWarning).empty(); ++i) {
    std::this_thread::sleep_for(100ms);
  }
  confirmSwapWarning(server.display());
  beside.stop(SIGTERM, 20s);
  EXPECT_TRUE(beside.exited() && beside.status() == 0) << beside.log();
  headless.process.stop(SIGTERM, 10s);
}

TEST(Desktop, UnopenableDisplayIsTheWindowClassFailure) {
  std::string display = ":31999";
  ASSERT_FALSE(fs::exists("/tmp/.X11-unix/X31999"));
  childProcess show;
  ASSERT_TRUE(show.start(showArguments({}), packFolder(),
                         {"DISPLAY=" + display, "SDL_VIDEODRIVER=", "WAYLAND_DISPLAY=",
                          "SDL_AUDIODRIVER=dummy"},
                         testing_support::makeTempFolder() + "/show.log"));
  ASSERT_TRUE(show.waitFor(30s)) << "the show plays without a window";
  EXPECT_TRUE(show.exited());
  EXPECT_EQ(show.status(), exitStatusFor(1001)) << show.log();
  EXPECT_NE(show.log().find("Error: RegisterClassEx Failed!"), std::string::npos) << show.log();
  EXPECT_NE(show.log().find("no display could be opened"), std::string::npos) << show.log();
}

TEST(Desktop, QuitSignalWhileTheDialogIsOpenEndsAtOnce) {
  ASSERT_NO_FATAL_FAILURE(requireTools());
  testing_support::xvfbServer server;
  ASSERT_TRUE(server.start("1024x768x24")) << server.failure();
  for (int signalNumber : {SIGINT, SIGTERM}) {
    childProcess show;
    ASSERT_TRUE(show.start({AMBER_SHOW_EXECUTABLE}, packFolder(),
                           {"DISPLAY=" + server.display(), "SDL_VIDEODRIVER=",
                            "WAYLAND_DISPLAY=", "SDL_AUDIODRIVER=dummy", "AMBER_SKIP_DIALOG="},
                           testing_support::makeTempFolder() + "/show.log"));
    for (int i = 0; i < 200 && windowTitled(server.display(), "Choose your desitny").empty(); ++i) {
      std::this_thread::sleep_for(100ms);
    }
    ASSERT_FALSE(windowTitled(server.display(), "Choose your desitny").empty()) << show.log();
    kill(show.pid(), signalNumber);
    EXPECT_TRUE(show.waitFor(3s)) << "signal " << signalNumber << " was ignored";
    EXPECT_TRUE(show.exited() && show.status() == 0) << signalNumber << " " << show.log();
  }
}

}  // namespace
