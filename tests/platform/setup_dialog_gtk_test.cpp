// The setup dialog on a real display: a private Xvfb server, GTK, and
// pointer and key events synthesised through the server.
#include "engine/settings.h"
#include "engine/setup_dialog.h"
#include "engine/window.h"
#include "platform/setup_dialog.h"
#include "platform/setup_dialog_automation.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

namespace id = dialogControlId;

// One Xvfb for the suite.
class SetupDialogOnScreen : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!server_.start()) return;
    display_ = server_.display();
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
    server_.stop();
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
    ASSERT_FALSE(display_.empty()) << server_.failure();
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
  static testing_support::xvfbServer server_;
  static std::string display_;
  static std::vector<savedVariable> saved_;
};

testing_support::xvfbServer SetupDialogOnScreen::server_;
std::string SetupDialogOnScreen::display_;
std::vector<SetupDialogOnScreen::savedVariable> SetupDialogOnScreen::saved_;

// What the hooks saw while the dialog was up.
struct seen {
  bool ran = false;
  bool clicked = true;
  bool resolution1024 = false, aspect16to9 = false, fullscreen = false, music = false;
  bool sync = true, statistics = true, loop = true;
  int selection = -2, items = 0;
  int monitorSelection = -2, monitorItems = 0;
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
  observed.monitorSelection = dialog.selection(id::monitor);
  observed.monitorItems = dialog.itemCount(id::monitor);
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
  // The dialog is on Xvfb's one monitor, at (0, 0): the list opens there.
  availableMonitors = {{"left", -1280, 0, 1280, 1024}, {"screen", 0, 0, 1280, 1024}};
  EXPECT_EQ(showDialog(), 1);
  availableMonitors.clear();
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
  EXPECT_EQ(observed.monitorItems, 2);
  EXPECT_EQ(observed.monitorSelection, 1);
  EXPECT_EQ(displayIndex, 1);

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

void tickStatisticsThenPressEnter(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  observed.ran = true;
  // The click leaves the focus on the check box.
  observed.clicked = dialog.click(id::statistics);
  dialog.settle();
  observed.statistics = dialog.checked(id::statistics);
  observed.clicked = dialog.pressKey(platform::dialogKey::enter) && observed.clicked;
}

void focusTheListThenPressEnter(platform::dialogAutomation& dialog) {
  dialog.endAfter(10000, -2);
  observed.ran = true;
  observed.clicked = dialog.focus(id::multisample) && dialog.pressKey(platform::dialogKey::enter);
}

// As with DEMO's default button in a classic dialog: Enter on a check box
// does not toggle it, and on the list does not open it.
TEST_F(SetupDialogOnScreen, EnterStartsTheShowFromACheckBoxAndFromTheList) {
  observed = seen{};
  platform::dialogShownHook = tickStatisticsThenPressEnter;
  EXPECT_EQ(showDialog(), 1);
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
  EXPECT_TRUE(observed.statistics);
  EXPECT_TRUE(statisticsOn);  // toggled once, by the click

  observed = seen{};
  platform::dialogShownHook = focusTheListThenPressEnter;
  EXPECT_EQ(showDialog(), 1);
  ASSERT_TRUE(observed.ran);
  EXPECT_TRUE(observed.clicked);
  EXPECT_EQ(multisampleIndex, 0);
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
  ASSERT_FALSE(testing_support::findOnPath("Xvfb").empty()) << "Xvfb is not installed (Debian package xvfb)";
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // This server ends when its last client, this process, has gone.
        static testing_support::xvfbServer server;
        if (!server.start("1280x1024x24", "-terminate")) std::exit(3);
        setenv("DISPLAY", server.display().c_str(), 1);
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
