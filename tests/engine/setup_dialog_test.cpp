// The setup dialog's procedure, driven by simulated messages from a dialog
// that keeps its controls' state the way the real one does, and the choice
// of whether the dialog appears at all.
#include "engine/settings.h"
#include "engine/setup_dialog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

namespace id = dialogControlId;
using platform::controlKind;

const platform::dialogControl* controlOf(int control) {
  const platform::dialogTemplate& layout = setupDialogTemplate();
  for (int i = 0; i < layout.controlCount; ++i) {
    if (layout.controls[i].id == control) return &layout.controls[i];
  }
  return nullptr;
}

// A dialog without a screen: control state in maps, user actions as the
// toolkit would report them (auto buttons change themselves first).
class simulatedDialog : public platform::dialogWindow {
 public:
  void checkButton(int control, bool checked) override {
    EXPECT_NE(controlOf(control), nullptr) << "no control " << control;
    checks[control] = checked;
  }
  bool buttonChecked(int control) override { return checks[control]; }
  void addComboItem(int control, const char* text) override {
    if (control == id::monitor) {
      monitorItems.push_back(text);
      return;
    }
    EXPECT_EQ(control, id::multisample);
    items.push_back(text);
  }
  void selectComboItem(int control, int index) override {
    if (control == id::monitor) {
      monitorSelected = index;
      return;
    }
    EXPECT_EQ(control, id::multisample);
    selected = index;
  }
  int comboSelection(int control) override {
    return control == id::monitor ? monitorSelected : selected;
  }
  bool monitorOrigin(int* x, int* y) override {
    if (origin.first < 0) return false;
    *x = origin.first;
    *y = origin.second;
    return true;
  }
  void endDialog(intptr_t value) override {
    ++endings;
    result = value;
  }

  intptr_t init() { return setupDialogProc(this, platform::WM_INITDIALOG, 0, setupDialogInitParam); }
  intptr_t click(int control) {
    const platform::dialogControl* layout = controlOf(control);
    if (layout != nullptr && layout->kind == controlKind::autoRadioButton) checks[control] = true;
    if (layout != nullptr && layout->kind == controlKind::autoCheckBox) {
      checks[control] = !checks[control];
    }
    return command(control, platform::BN_CLICKED);
  }
  intptr_t choose(int index) {
    selected = index;
    return command(id::multisample, platform::CBN_SELCHANGE);
  }
  intptr_t chooseMonitor(int index) {
    monitorSelected = index;
    return command(id::monitor, platform::CBN_SELCHANGE);
  }
  intptr_t command(int control, uint16_t notification) {
    return setupDialogProc(this, platform::WM_COMMAND, platform::commandParam(control, notification),
                           0);
  }

  std::map<int, bool> checks;
  std::vector<std::string> items;
  int selected = -1;
  std::vector<std::string> monitorItems;
  int monitorSelected = -1;
  std::pair<int, int> origin{-1, -1};  // where the dialog's monitor starts; -1: unknown
  int endings = 0;
  intptr_t result = -99;
};

// Every setting, to see which ones an action changed.
struct settingsNow {
  int32_t resolution = resolutionCode, aspectCode_ = aspectCode, samples = multisampleIndex;
  bool fullscreen = fullscreenOn, sync = syncOn, music = musicOn, statistics = statisticsOn,
       loop = loopOn;
  bool operator==(const settingsNow& o) const {
    return resolution == o.resolution && aspectCode_ == o.aspectCode_ && samples == o.samples &&
           fullscreen == o.fullscreen && sync == o.sync && music == o.music &&
           statistics == o.statistics && loop == o.loop;
  }
};

class SetupDialogProcedure : public ::testing::Test {
 protected:
  void SetUp() override {
    multisampleIndex = 0;
    setDialogDefaults(1920, 1080);
  }
  simulatedDialog dialog;
};

TEST_F(SetupDialogProcedure, TheTemplateHasTheControlsTheProcedureDrives) {
  const platform::dialogTemplate& layout = setupDialogTemplate();
  EXPECT_STREQ(layout.title, "Choose your desitny");
  EXPECT_EQ(layout.width, 208);
  EXPECT_EQ(layout.height, 162);
  ASSERT_EQ(layout.controlCount, 22);
  const std::map<int, controlKind> expected = {
      {id::demo, controlKind::defaultPushButton},  {id::die, controlKind::pushButton},
      {id::resolution640, controlKind::autoRadioButton},
      {id::resolution800, controlKind::autoRadioButton},
      {id::resolution1024, controlKind::autoRadioButton},
      {id::resolution1280, controlKind::autoRadioButton},
      {id::resolutionDesktop, controlKind::autoRadioButton},
      {id::monitor, controlKind::dropDownList},
      {id::aspect4to3, controlKind::autoRadioButton}, {id::aspect16to9, controlKind::autoRadioButton},
      {id::aspect16to10, controlKind::autoRadioButton}, {id::fullscreen, controlKind::autoCheckBox},
      {id::sync, controlKind::autoCheckBox},       {id::music, controlKind::autoCheckBox},
      {id::statistics, controlKind::autoCheckBox}, {id::loop, controlKind::autoCheckBox},
      {id::multisample, controlKind::dropDownList}};
  for (const auto& [control, kind] : expected) {
    const platform::dialogControl* found = controlOf(control);
    ASSERT_NE(found, nullptr) << control;
    EXPECT_EQ(found->kind, kind) << control;
    // Every control lies inside the dialog.
    EXPECT_LE(found->x + found->width, layout.width) << control;
    EXPECT_LE(found->y + std::min(found->height, 14), layout.height) << control;
  }
  EXPECT_STREQ(controlOf(id::demo)->text, "DEMO");
  EXPECT_STREQ(controlOf(id::die)->text, "DIE");
}

TEST_F(SetupDialogProcedure, InitShowsTheDefaultsAndFillsTheList) {
  EXPECT_EQ(dialog.init(), 0);
  EXPECT_EQ(dialog.checks, (std::map<int, bool>{{id::fullscreen, true},
                                                {id::music, true},
                                                {id::resolution1024, true},
                                                {id::aspect16to9, true},
                                                {id::statistics, false},
                                                {id::sync, false},
                                                {id::loop, false}}));
  EXPECT_EQ(dialog.items, (std::vector<std::string>{"off", "2x", "4x", "8x", "16x"}));
  EXPECT_EQ(dialog.selected, 0);
  EXPECT_EQ(dialog.endings, 0);
}

// Choices named on the command line show in the dialog, and toggling one
// gives what its box then shows; the list still opens on "off" while the
// chosen index is kept until the user picks another.
TEST_F(SetupDialogProcedure, ThePresetShowsInTheControls) {
  settingsPreset preset;
  preset.fullscreen = false;
  preset.sync = true;
  preset.loop = true;
  preset.statistics = true;
  preset.resolution = resolution::r640x480;
  preset.multisample = 3;
  applyPreset(preset);
  dialog.init();
  EXPECT_FALSE(dialog.checks[id::fullscreen]);
  EXPECT_TRUE(dialog.checks[id::sync]);
  EXPECT_TRUE(dialog.checks[id::loop]);
  EXPECT_TRUE(dialog.checks[id::statistics]);
  EXPECT_TRUE(dialog.checks[id::resolution640]);
  EXPECT_FALSE(dialog.checks[id::resolution1024]);
  EXPECT_EQ(dialog.selected, 0);
  EXPECT_EQ(multisampleIndex, 3);
  dialog.click(id::sync);
  EXPECT_EQ(syncOn, dialog.checks[id::sync]);
  multisampleIndex = 0;
}

TEST_F(SetupDialogProcedure, TheDesktopShapePicksTheAspectButton) {
  const struct {
    int width, height, button;
  } cases[] = {{1920, 1080, id::aspect16to9},
               {1680, 1050, id::aspect16to10},
               {1280, 1024, id::aspect4to3},  // 5:4 falls back to 4:3
               {0, 0, id::aspect4to3}};       // size unknown
  for (const auto& shape : cases) {
    simulatedDialog fresh;
    setDialogDefaults(shape.width, shape.height);
    fresh.init();
    for (int button : {id::aspect4to3, id::aspect16to9, id::aspect16to10}) {
      EXPECT_EQ(fresh.checks.count(button) == 1, button == shape.button)
          << shape.width << "x" << shape.height << " button " << button;
    }
  }
}

TEST_F(SetupDialogProcedure, InitStopsAtACodeItDoesNotKnow) {
  resolutionCode = 0x1920;
  EXPECT_EQ(dialog.init(), 0);
  EXPECT_EQ(dialog.checks, (std::map<int, bool>{{id::fullscreen, true}, {id::music, true}}));
  EXPECT_TRUE(dialog.items.empty());

  // 2:1 and 5:4 check no aspect button and go on; anything else stops.
  for (int32_t code : {aspect::a2to1, aspect::a5to4}) {
    simulatedDialog fresh;
    setDialogDefaults(1920, 1080);
    aspectCode = code;
    statisticsOn = true;
    fresh.init();
    EXPECT_EQ(fresh.checks.count(id::aspect4to3) + fresh.checks.count(id::aspect16to9) +
                  fresh.checks.count(id::aspect16to10),
              0u);
    EXPECT_TRUE(fresh.checks[id::statistics]);
    EXPECT_EQ(fresh.items.size(), 5u);
  }
  simulatedDialog stopped;
  setDialogDefaults(1920, 1080);
  aspectCode = 0x0999;
  stopped.init();
  EXPECT_TRUE(stopped.checks[id::resolution1024]);
  EXPECT_EQ(stopped.checks.count(id::statistics), 0u);
  EXPECT_TRUE(stopped.items.empty());
}

TEST_F(SetupDialogProcedure, ResolutionAndAspectButtonsTakeTheirCodeAndUncheckTheOthers) {
  const struct {
    int button;
    int32_t code;
    std::vector<int> group;
    int32_t* setting;
  } rows[] = {
      {id::resolution640, resolution::r640x480, {1003, 1004, 1005, 1007, 1008}, &resolutionCode},
      {id::resolution800, resolution::r800x600, {1003, 1004, 1005, 1007, 1008}, &resolutionCode},
      {id::resolution1024, resolution::r1024x768, {1003, 1004, 1005, 1007, 1008}, &resolutionCode},
      {id::resolution1280, resolution::r1280x960, {1003, 1004, 1005, 1007, 1008}, &resolutionCode},
      {id::resolutionDesktop, resolution::desktop, {1003, 1004, 1005, 1007, 1008}, &resolutionCode},
      {id::aspect4to3, aspect::a4to3, {1009, 1010, 1011}, &aspectCode},
      {id::aspect16to9, aspect::a16to9, {1009, 1010, 1011}, &aspectCode},
      {id::aspect16to10, aspect::a16to10, {1009, 1010, 1011}, &aspectCode},
  };
  for (const auto& row : rows) {
    setDialogDefaults(1680, 1050);
    simulatedDialog fresh;
    fresh.init();
    for (int other : row.group) fresh.checks[other] = true;  // as if all were on
    EXPECT_EQ(fresh.click(row.button), 1) << row.button;
    EXPECT_EQ(*row.setting, row.code) << row.button;
    // A picked aspect overrides the output's own shape in full screen.
    EXPECT_EQ(aspectChosen, row.setting == &aspectCode) << row.button;
    for (int other : row.group) EXPECT_EQ(fresh.checks[other], other == row.button) << row.button;
    EXPECT_EQ(fresh.endings, 0);
  }
}

TEST_F(SetupDialogProcedure, EachCheckBoxTogglesOnlyItsOwnSetting) {
  const struct {
    int box;
    bool* setting;
  } rows[] = {{id::fullscreen, &fullscreenOn},
              {id::sync, &syncOn},
              {id::music, &musicOn},
              {id::statistics, &statisticsOn},
              {id::loop, &loopOn}};
  dialog.init();
  for (const auto& row : rows) {
    const bool before = *row.setting;
    settingsNow expected;
    EXPECT_EQ(dialog.click(row.box), 1);
    EXPECT_EQ(*row.setting, !before) << row.box;
    EXPECT_EQ(dialog.checks[row.box], !before) << row.box;
    *row.setting = before;
    EXPECT_TRUE(settingsNow{} == expected) << "control " << row.box << " changed another setting";
    *row.setting = !before;
    EXPECT_EQ(dialog.click(row.box), 1);
    EXPECT_EQ(*row.setting, before);
    EXPECT_EQ(dialog.checks[row.box], before);
  }
}

TEST_F(SetupDialogProcedure, TheListSetsTheMultisampleIndexOnlyOnASelectionChange) {
  dialog.init();
  EXPECT_EQ(dialog.choose(4), 1);
  EXPECT_EQ(multisampleIndex, 4);
  EXPECT_EQ(dialog.choose(0), 1);
  EXPECT_EQ(multisampleIndex, 0);
  // Other list notifications (drop-down 7, focus 3) are answered and ignored.
  dialog.selected = 3;
  EXPECT_EQ(dialog.command(id::multisample, 7), 1);
  EXPECT_EQ(dialog.command(id::multisample, 3), 1);
  EXPECT_EQ(multisampleIndex, 0);
  // The list opens on "off" whatever the index was.
  multisampleIndex = 2;
  simulatedDialog reopened;
  reopened.init();
  EXPECT_EQ(reopened.selected, 0);
  EXPECT_EQ(multisampleIndex, 2);
}

TEST_F(SetupDialogProcedure, DemoEndsWithOneDieWithZero) {
  EXPECT_EQ(dialog.click(id::demo), 1);
  EXPECT_EQ(dialog.result, 1);
  simulatedDialog other;
  EXPECT_EQ(other.click(id::die), 1);
  EXPECT_EQ(other.result, 0);
  EXPECT_EQ(other.endings, 1);
}

TEST_F(SetupDialogProcedure, UnknownControlsAndMessagesAreNotHandled) {
  dialog.init();
  const settingsNow before;
  EXPECT_EQ(dialog.command(-1, platform::BN_CLICKED), 0);  // a group box
  EXPECT_EQ(dialog.command(1006, platform::BN_CLICKED), 0);
  EXPECT_EQ(dialog.command(100, platform::BN_CLICKED), 0);
  EXPECT_EQ(setupDialogProc(&dialog, 0x0010 /* close */, 0, 0), 0);
  EXPECT_EQ(setupDialogProc(&dialog, 0x0200 /* mouse move */, 0, 0), 0);
  EXPECT_TRUE(settingsNow{} == before);
  EXPECT_EQ(dialog.endings, 0);
}

TEST_F(SetupDialogProcedure, DemoUntouchedStartsFullScreenAtTheDefaults) {
  multisampleIndex = 0;
  dialog.init();
  dialog.click(id::demo);
  EXPECT_EQ(dialog.result, 1);
  EXPECT_TRUE(fullscreenOn);
  EXPECT_EQ(resolutionCode, resolution::r1024x768);
  EXPECT_FALSE(syncOn);
  EXPECT_EQ(multisampleIndex, 0);
  EXPECT_FALSE(statisticsOn);
  EXPECT_TRUE(musicOn);
  EXPECT_FALSE(loopOn);
  EXPECT_EQ(aspectCode, aspect::a16to9);
  EXPECT_FALSE(aspectChosen);  // the output's own shape decides
}

// Every monitor is listed by number, name, size and place; the list opens
// on the one named before, else the dialog's own, and DEMO plays on the
// picked one, else on the monitor the dialog is on by then.
TEST_F(SetupDialogProcedure, TheMonitorListPicksWhereTheShowPlays) {
  availableMonitors = {{"HDMI-1", 0, 0, 1920, 1080}, {"DP-2", 1920, 0, 1280, 1024}};
  dialog.origin = {1920, 0};
  dialog.init();
  EXPECT_EQ(dialog.monitorItems, (std::vector<std::string>{"1: HDMI-1, 1920 \u00d7 1080 at 0, 0",
                                                           "2: DP-2, 1280 \u00d7 1024 at 1920, 0"}));
  EXPECT_EQ(dialog.monitorSelected, 1);
  dialog.origin = {0, 0};  // moved before DEMO
  dialog.click(id::demo);
  EXPECT_EQ(displayIndex, 0);

  setDialogDefaults(1920, 1080);
  settingsPreset preset;
  preset.display = 1;
  applyPreset(preset);
  simulatedDialog named;  // where the dialog is cannot be told
  named.init();
  EXPECT_EQ(named.monitorSelected, 1);
  named.click(id::demo);
  EXPECT_EQ(displayIndex, 1);

  setDialogDefaults(1920, 1080);
  simulatedDialog picked;
  picked.origin = {0, 0};
  picked.init();
  EXPECT_EQ(picked.monitorSelected, 0);
  EXPECT_EQ(picked.chooseMonitor(1), 1);
  picked.click(id::demo);
  EXPECT_EQ(displayIndex, 1);

  setDialogDefaults(1920, 1080);
  simulatedDialog unknown;
  unknown.init();
  EXPECT_EQ(unknown.monitorSelected, 0);
  unknown.click(id::demo);
  EXPECT_EQ(displayIndex, noMonitor);
  EXPECT_EQ(chosenDisplay(), 0);
  availableMonitors.clear();
}

TEST_F(SetupDialogProcedure, SixteenTimesThenOffLeavesNoMultisampling) {
  dialog.init();
  dialog.choose(4);
  dialog.choose(0);
  dialog.click(id::demo);
  EXPECT_EQ(multisampleIndex, 0);
}

// Sets environment variables for one test and puts them back after.
class environment {
 public:
  void set(const char* name, const char* value) {
    if (saved_.count(name) == 0) {
      const char* old = std::getenv(name);
      saved_[name] = old != nullptr ? std::make_pair(true, std::string(old))
                                    : std::make_pair(false, std::string());
    }
    if (value != nullptr) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~environment() {
    for (const auto& [name, old] : saved_) {
      if (old.first) {
        setenv(name.c_str(), old.second.c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }

 private:
  std::map<std::string, std::pair<bool, std::string>> saved_;
};

TEST(SetupDialogChoice, AppearsOnlyWithADisplayAndWithoutTheSkipSwitch) {
  environment env;
  env.set("AMBER_SKIP_DIALOG", nullptr);
  env.set("WAYLAND_DISPLAY", nullptr);
  env.set("SDL_VIDEODRIVER", nullptr);
  env.set("DISPLAY", ":7");
  EXPECT_TRUE(setupDialogWanted());
  env.set("AMBER_SKIP_DIALOG", "0");
  EXPECT_TRUE(setupDialogWanted());
  env.set("AMBER_SKIP_DIALOG", "1");
  EXPECT_FALSE(setupDialogWanted());
  env.set("AMBER_SKIP_DIALOG", nullptr);
  env.set("SDL_VIDEODRIVER", "offscreen");
  EXPECT_FALSE(setupDialogWanted());
  env.set("SDL_VIDEODRIVER", "x11");
  EXPECT_TRUE(setupDialogWanted());
  env.set("DISPLAY", nullptr);
  EXPECT_FALSE(setupDialogWanted());
  env.set("WAYLAND_DISPLAY", "wayland-0");
  EXPECT_TRUE(setupDialogWanted());
}

TEST(SetupDialogChoice, HeadlessTakesTheDefaultsWithoutAsking) {
  // The tests run with SDL's offscreen driver: no dialog, no waiting.
  ASSERT_FALSE(setupDialogWanted());
  resolutionCode = resolution::r640x480;
  fullscreenOn = false;
  syncOn = true;
  statisticsOn = true;
  dialogCancelled = true;
  runSetupDialog();
  EXPECT_EQ(resolutionCode, resolution::r1024x768);
  EXPECT_TRUE(fullscreenOn);
  EXPECT_FALSE(syncOn);
  EXPECT_FALSE(statisticsOn);
  EXPECT_FALSE(dialogCancelled);
}

}  // namespace
