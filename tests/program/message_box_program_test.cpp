// The show's message boxes on a private X server: a quit signal or the loss
// of the display ends the program promptly with the status its situation
// calls for, and a halt box stands above the full-screen window.
#include "engine/errors.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace {

using clockType = std::chrono::steady_clock;

// Mesa's GLX on Xvfb offers no swap control, so window set-up warns.
const char* const swapWarning = "You're not supported by computers";

struct ending {
  bool exited = false;
  int status = -1;
  double seconds = 0.0;  // from the request to the end
  std::string errors;
};

class BoxOnScreen : public ::testing::Test {
 protected:
  // Starts Xvfb with `screen` (white root) and the show with its default
  // settings in an empty folder: it halts for want of a package, if it
  // gets that far.
  void start(const char* screen) {
    ASSERT_TRUE(server_.start(screen, "-wr")) << server_.failure();
    const std::string folder = testing_support::makeTempFolder();
    ASSERT_FALSE(folder.empty());
    errorPath_ = folder + "/stderr.txt";
    show_ = fork();
    if (show_ == 0) {
      if (chdir(folder.c_str()) != 0) _exit(120);
      const int errors = open(errorPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (errors < 0 || dup2(errors, STDERR_FILENO) < 0) _exit(122);
      setenv("DISPLAY", server_.display().c_str(), 1);
      setenv("AMBER_SKIP_DIALOG", "1", 1);
      setenv("NO_AT_BRIDGE", "1", 1);
      setenv("SDL_AUDIODRIVER", "dummy", 1);
      unsetenv("SDL_VIDEODRIVER");
      unsetenv("WAYLAND_DISPLAY");
      execl(AMBER_SHOW_EXECUTABLE, AMBER_SHOW_EXECUTABLE, static_cast<char*>(nullptr));
      _exit(121);
    }
    display_ = XOpenDisplay(server_.display().c_str());
    ASSERT_NE(display_, nullptr);
    // The show makes and drops windows while we look at them.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }

  void TearDown() override {
    if (show_ > 0 && waitpid(show_, nullptr, WNOHANG) == 0) {
      kill(show_, SIGKILL);
      waitpid(show_, nullptr, 0);
    }
    if (display_ != nullptr && !serverKilled_) XCloseDisplay(display_);
  }

  // Waits up to 20 s for a mapped top-level window named `caption`,
  // answering boxes named `answer` (may be null) with Return on the way.
  Window waitForBox(const char* caption, const char* answer = nullptr) {
    const auto deadline = clockType::now() + std::chrono::seconds(20);
    while (clockType::now() < deadline) {
      for (Window window : mappedWindows()) {
        char* name = nullptr;
        if (XFetchName(display_, window, &name) == 0 || name == nullptr) continue;
        const std::string title = name;
        XFree(name);
        if (title == caption) {
          std::this_thread::sleep_for(std::chrono::milliseconds(300));  // painted and waiting
          return window;
        }
        if (answer != nullptr && title == answer) pressReturn();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ADD_FAILURE() << "no box \"" << caption << "\"; stderr:\n"
                  << testing_support::readWholeFile(errorPath_);
    return 0;
  }

  // Mapped children of the root window, bottom of the stack first.
  std::vector<Window> mappedWindows() {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    std::vector<Window> mapped;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) {
      return mapped;
    }
    for (unsigned i = 0; i < count; ++i) {
      XWindowAttributes attributes{};
      if (XGetWindowAttributes(display_, children[i], &attributes) &&
          attributes.map_state == IsViewable) {
        mapped.push_back(children[i]);
      }
    }
    if (children != nullptr) XFree(children);
    return mapped;
  }

  void pressReturn() {
    const KeyCode key = XKeysymToKeycode(display_, XK_Return);
    XTestFakeKeyEvent(display_, key, True, 0);
    XTestFakeKeyEvent(display_, key, False, 0);
    XSync(display_, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }

  // Sends `signalNumber` to the show, or SIGKILL to the X server when 0,
  // and waits up to 10 s for the show to end.
  ending endBy(int signalNumber) {
    const auto asked = clockType::now();
    if (signalNumber != 0) {
      kill(show_, signalNumber);
    } else {
      serverKilled_ = true;
      kill(server_.pid(), SIGKILL);
    }
    ending result;
    int status = 0;
    while (waitpid(show_, &status, WNOHANG) != show_) {
      if (clockType::now() - asked > std::chrono::seconds(10)) return result;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    show_ = 0;
    result.seconds = std::chrono::duration<double>(clockType::now() - asked).count();
    result.exited = WIFEXITED(status);
    result.status = result.exited ? WEXITSTATUS(status) : -1;
    result.errors = testing_support::readWholeFile(errorPath_);
    return result;
  }

  testing_support::xvfbServer server_;
  Display* display_ = nullptr;
  bool serverKilled_ = false;
  pid_t show_ = 0;
  std::string errorPath_;
};

// Without a package the show halts, its box up: a signal or the display
// going away while it waits ends the program with the halt's own status.
TEST_F(BoxOnScreen, SigtermDuringAFatalBoxEndsWithItsStatus) {
  start("1024x768x24");
  ASSERT_NE(waitForBox(haltCaption, swapWarning), 0u);
  const ending end = endBy(SIGTERM);
  EXPECT_TRUE(end.exited) << "still running or killed by a signal";
  EXPECT_LT(end.seconds, 2.0);
  EXPECT_EQ(end.status, exitStatusFor(errorCode::packageBroken)) << end.errors;
}

TEST_F(BoxOnScreen, DisplayLostDuringAFatalBoxEndsWithItsStatus) {
  start("1024x768x24");
  ASSERT_NE(waitForBox(haltCaption, swapWarning), 0u);
  const ending end = endBy(0);
  EXPECT_TRUE(end.exited) << "still running or killed by a signal";
  EXPECT_LT(end.seconds, 5.0);
  EXPECT_EQ(end.status, exitStatusFor(errorCode::packageBroken)) << end.errors;
  EXPECT_EQ(end.errors.find("X connection"), std::string::npos) << "Xlib ended it:\n" << end.errors;
}

// A warning ended by a quit request ends the program before the show starts:
// no package is even looked for, so no halt follows.
TEST_F(BoxOnScreen, SigintDuringAWarningEndsWithStatusZero) {
  start("1024x768x24");
  ASSERT_NE(waitForBox(swapWarning), 0u);
  const ending end = endBy(SIGINT);
  EXPECT_TRUE(end.exited) << "still running or killed by a signal";
  EXPECT_LT(end.seconds, 2.0);
  EXPECT_EQ(end.status, 0) << end.errors;
  EXPECT_EQ(end.errors.find(haltCaption), std::string::npos) << end.errors;
}

// The display going away is no quit request: the show cannot go on, and
// says so with its own status.
TEST_F(BoxOnScreen, DisplayLostDuringAWarningEndsWithTheLostDisplayStatus) {
  start("1024x768x24");
  ASSERT_NE(waitForBox(swapWarning), 0u);
  const ending end = endBy(0);
  EXPECT_TRUE(end.exited) << "still running or killed by a signal";
  EXPECT_LT(end.seconds, 5.0);
  EXPECT_EQ(end.status, 3) << end.errors;
  EXPECT_NE(end.errors.find("the display connection was lost"), std::string::npos) << end.errors;
  EXPECT_EQ(end.errors.find(haltCaption), std::string::npos) << end.errors;
}

// Without a package the show halts with its window full screen; the halt box
// must be above that window, in the stacking order and on the screen.
TEST_F(BoxOnScreen, HaltBoxStandsAboveTheFullScreenWindow) {
  start("1024x768x24");
  const Window box = waitForBox(haltCaption, swapWarning);
  ASSERT_NE(box, 0u);
  const std::vector<Window> stack = mappedWindows();
  int fullScreenAt = -1, boxAt = -1;
  for (size_t i = 0; i < stack.size(); ++i) {
    XWindowAttributes attributes{};
    XGetWindowAttributes(display_, stack[i], &attributes);
    if (attributes.width == 1024 && attributes.height == 768) fullScreenAt = static_cast<int>(i);
    if (stack[i] == box) boxAt = static_cast<int>(i);
  }
  ASSERT_GE(fullScreenAt, 0) << "no full-screen window";
  EXPECT_GT(boxAt, fullScreenAt);

  // Screenshot of the box's top margin: the box's own light grey, not the
  // window below nor the white root. On a busy machine the box is mapped a
  // while before it is painted.
  XWindowAttributes attributes{};
  XGetWindowAttributes(display_, box, &attributes);
  int boxPixels = 0;
  const auto deadline = clockType::now() + std::chrono::seconds(10);
  do {
    XImage* shot = XGetImage(display_, DefaultRootWindow(display_), attributes.x + 20,
                             attributes.y + 4, 40, 8, AllPlanes, ZPixmap);
    ASSERT_NE(shot, nullptr);
    boxPixels = 0;
    for (int y = 0; y < 8; ++y) {
      for (int x = 0; x < 40; ++x) boxPixels += (XGetPixel(shot, x, y) & 0xFFFFFF) == 0xEEEEEC;
    }
    XDestroyImage(shot);
    if (boxPixels < 40 * 8) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  } while (boxPixels < 40 * 8 && clockType::now() < deadline);
  EXPECT_EQ(boxPixels, 40 * 8);

  const ending end = endBy(SIGTERM);
  EXPECT_LT(end.seconds, 2.0);
  EXPECT_EQ(end.status, exitStatusFor(errorCode::packageBroken)) << end.errors;
}

}  // namespace
