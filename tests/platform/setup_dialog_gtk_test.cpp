// The setup dialog on a real display: a private Xvfb server, GTK, and
// pointer and key events synthesised through the server. Skipped when Xvfb
// is not installed.
#include "engine/settings.h"
#include "engine/setup_dialog.h"
#include "engine/window.h"
#include "platform/setup_dialog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace id = dialogControlId;

std::string findXvfb() {
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = folders.find(':', start);
    const std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
    const std::string candidate = folder + "/Xvfb";
    if (!folder.empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return "";
}

// Starts Xvfb on a free display number, which it reports through a pipe.
// `extraOption` (may be null) is passed on. Returns the display name ("" when
// Xvfb cannot be started) and the server's process id.
std::string startXvfb(pid_t* server, const char* extraOption) {
  *server = 0;
  const std::string xvfb = findXvfb();
  int pipeEnds[2];
  if (xvfb.empty() || pipe(pipeEnds) != 0) return "";
  *server = fork();
  if (*server == 0) {
    close(pipeEnds[0]);
    // Its notes (display numbers already taken by others) are not ours.
    const int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);
    const std::string fd = std::to_string(pipeEnds[1]);
    execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
          "-nolisten", "tcp", extraOption, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipeEnds[1]);
  std::string number;
  pollfd ready{pipeEnds[0], POLLIN, 0};
  char c = 0;
  while (*server > 0 && poll(&ready, 1, 10000) > 0 && read(pipeEnds[0], &c, 1) == 1 && c != '\n') {
    number += c;
  }
  close(pipeEnds[0]);
  return number.empty() ? "" : ":" + number;
}

// One Xvfb for the suite.
class SetupDialogOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    display_ = startXvfb(&server_, nullptr);
    if (display_.empty()) return;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "NO_AT_BRIDGE"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value != nullptr, value != nullptr ? value : ""});
    }
    setenv("DISPLAY", display_.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // No accessibility bus on a private server.
    setenv("NO_AT_BRIDGE", "1", 1);
  }
  static void TearDownTestSuite() {
    if (server_ > 0) {
      kill(server_, SIGTERM);
      waitpid(server_, nullptr, 0);
      server_ = 0;
    }
    // Later tests in this process must not find a display that is gone.
    for (const savedVariable& each : saved_) {
      if (each.set) {
        setenv(each.name, each.value.c_str(), 1);
      } else {
        unsetenv(each.name);
      }
    }
    saved_.clear();
    display_.clear();
  }
  void SetUp() override {
    if (display_.empty()) GTEST_SKIP() << "Xvfb is not available";
    setDialogDefaults(1920, 1080);
    multisampleIndex = 0;
  }
  void TearDown() override { platform::dialogShownHook = nullptr; }

  // The dialog as the show runs it; 1 DEMO, 0 DIE, -2 the watchdog.
  static intptr_t showDialog() {
    return platform::dialogBox(setupDialogTemplate(), setupDialogProc, setupDialogInitParam);
  }

  struct savedVariable {
    const char* name;
    bool set;
    std::string value;
  };
  static pid_t server_;
  static std::string display_;
  static std::vector<savedVariable> saved_;
};

pid_t SetupDialogOnScreen::server_ = 0;
std::string SetupDialogOnScreen::display_;
std::vector<SetupDialogOnScreen::savedVariable> SetupDialogOnScreen::saved_;

// What the hooks saw while the dialog was up.
struct seen {
  bool ran = false;
  bool clicked = true;
  bool resolution1024 = false, aspect16to9 = false, fullscreen = false, music = false;
  bool sync = true, statistics = true, loop = true;
  int selection = -2, items = 0;
  bool after800 = false, after1024 = true;
} observed;

void saveForPeople(platform::dialogAutomation& dialog) {
  const char* folder = std::getenv("AMBER_GALLERY_DIR");
  if (folder != nullptr) dialog.saveImage((std::string(folder) + "/SetupDialog.png").c_str());
}

void readInitialState(platform::dialogAutomation& dialog) {
  observed.ran = true;
  observed.resolution1024 = dialog.checked(id::resolution1024);
  observed.aspect16to9 = dialog.checked(id::aspect16to9) && !dialog.checked(id::aspect4to3) &&
                         !dialog.checked(id::aspect16to10);
  observed.fullscreen = dialog.checked(id::fullscreen);
  observed.music = dialog.checked(id::music);
  observed.sync = dialog.checked(id::sync);
  observed.statistics = dialog.checked(id::statistics);
  observed.loop = dialog.checked(id::loop);
  observed.selection = dialog.selection(id::multisample);
  observed.items = dialog.itemCount(id::multisample);
}

void clickSyncThenDemo(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  readInitialState(dialog);
  saveForPeople(dialog);
  observed.clicked = dialog.click(id::sync) && dialog.click(id::demo);
}

TEST_F(SetupDialogOnScreen, ShowsTheSettingsAndStartsOnDemo) {
  observed = seen{};
  platform::dialogShownHook = clickSyncThenDemo;
  EXPECT_EQ(showDialog(), 1);
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
  EXPECT_TRUE(observed.resolution1024);
  EXPECT_TRUE(observed.aspect16to9);
  EXPECT_TRUE(observed.fullscreen);
  EXPECT_TRUE(observed.music);
  EXPECT_FALSE(observed.sync);
  EXPECT_FALSE(observed.statistics);
  EXPECT_FALSE(observed.loop);
  EXPECT_EQ(observed.selection, 0);
  EXPECT_EQ(observed.items, 5);

  EXPECT_TRUE(syncOn);  // the click reached the procedure as control 1013
  EXPECT_TRUE(fullscreenOn);
  EXPECT_EQ(resolutionCode, resolution::r1024x768);
  EXPECT_EQ(aspectCode, aspect::a16to9);
  EXPECT_FALSE(statisticsOn);
}

void pressEscape(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  observed.ran = true;
  observed.clicked = dialog.pressKey(platform::dialogKey::escape);
}

TEST_F(SetupDialogOnScreen, EscapeCancels) {
  observed = seen{};
  platform::dialogShownHook = pressEscape;
  // Through the settings' own entry: the watchdog's -2 would not count as
  // cancelling, only the procedure's 0 does.
  ASSERT_TRUE(showSetupDialog());
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
  EXPECT_TRUE(dialogCancelled);
}

void pickSmallWindowWithFourSamples(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  observed.ran = true;
  observed.clicked = dialog.click(id::resolution800) && dialog.click(id::fullscreen) &&
                     dialog.choose(id::multisample, 2);
  dialog.settle();
  // The procedure unchecked the other resolution itself.
  observed.after800 = dialog.checked(id::resolution800);
  observed.after1024 = dialog.checked(id::resolution1024);
  observed.clicked = dialog.pressKey(platform::dialogKey::enter) && observed.clicked;
}

TEST_F(SetupDialogOnScreen, RadioButtonsCheckBoxesAndTheListReachTheProcedure) {
  observed = seen{};
  platform::dialogShownHook = pickSmallWindowWithFourSamples;
  EXPECT_EQ(showDialog(), 1);  // Enter pressed the default button
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
  EXPECT_TRUE(observed.after800);
  EXPECT_FALSE(observed.after1024);
  EXPECT_EQ(resolutionCode, resolution::r800x600);
  EXPECT_FALSE(fullscreenOn);
  EXPECT_EQ(multisampleIndex, 2);
}

void closeTheWindow(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  observed.ran = true;
  observed.clicked = dialog.closeWindow();
}

TEST_F(SetupDialogOnScreen, TheCloseBoxCancels) {
  observed = seen{};
  platform::dialogShownHook = closeTheWindow;
  EXPECT_EQ(showDialog(), 0);
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
}

void pressDie(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  dialog.click(id::die);
}

// The whole path as the show takes it: desktop size, dialog, and DIE ends
// graphics initialisation with status 0 and not a word.
TEST(SetupDialogCancel, DieEndsTheProgramSilently) {
  if (findXvfb().empty()) GTEST_SKIP() << "Xvfb is not available";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // This server ends when its last client, this process, has gone.
        pid_t server = 0;
        const std::string display = startXvfb(&server, "-terminate");
        if (display.empty()) std::exit(3);
        setenv("DISPLAY", display.c_str(), 1);
        setenv("NO_AT_BRIDGE", "1", 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("AMBER_SKIP_DIALOG");
        platform::dialogShownHook = pressDie;
        initGraphics();
        std::exit(4);  // not reached: the dialog was cancelled
      },
      ::testing::ExitedWithCode(0), ::testing::Eq(std::string()));
}

}  // namespace
