#include "engine/setup_dialog.h"

#include "engine/settings.h"

#include <cstddef>
#include <string>

using platform::controlKind;
using platform::dialogControl;

namespace {

namespace id = dialogControlId;

const dialogControl setupControls[] = {
    {id::demo, controlKind::defaultPushButton, "DEMO", 60, 142, 50, 14},
    {id::die, controlKind::pushButton, "DIE", 132, 142, 50, 14},
    {id::resolution640, controlKind::autoRadioButton, "640x480", 12, 18, 44, 10},
    {id::resolution800, controlKind::autoRadioButton, "800x600", 12, 30, 44, 10},
    {id::resolution1024, controlKind::autoRadioButton, "1024x768", 12, 42, 44, 10},
    {-1, controlKind::groupBox, "Resolution", 6, 6, 74, 72},
    {id::resolution1280, controlKind::autoRadioButton, "1280x960", 12, 54, 44, 10},
    {id::resolutionDesktop, controlKind::autoRadioButton, "Desktop", 12, 66, 44, 10},
    {-1, controlKind::groupBox, "Aspect ratio", 84, 6, 53, 72},
    {id::aspect4to3, controlKind::autoRadioButton, "4:3", 95, 19, 27, 10},
    {id::aspect16to9, controlKind::autoRadioButton, "16:9", 95, 34, 31, 10},
    {id::aspect16to10, controlKind::autoRadioButton, "16:10", 95, 49, 35, 10},
    {id::fullscreen, controlKind::autoCheckBox, "Fullscreen", 12, 84, 48, 10},
    {id::sync, controlKind::autoCheckBox, "Sync", 84, 84, 31, 10},
    {id::music, controlKind::autoCheckBox, "Music", 138, 84, 33, 10},
    {-1, controlKind::groupBox, "", 141, 6, 60, 26},
    {id::loop, controlKind::autoCheckBox, "Loop", 12, 96, 31, 10},
    {id::statistics, controlKind::autoCheckBox, "Statistics", 148, 16, 45, 10},
    {-1, controlKind::groupBox, "Multisample", 141, 35, 60, 43},
    {id::multisample, controlKind::dropDownList, "", 148, 46, 48, 66},
    {-1, controlKind::groupBox, "Monitor", 6, 108, 196, 30},
    {id::monitor, controlKind::dropDownList, "", 12, 119, 184, 66},
};

const platform::dialogTemplate setupLayout = {
    "Choose your desitny", 208, 162, setupControls,
    static_cast<int>(sizeof setupControls / sizeof setupControls[0])};

// The list items; an item's index is the multisample index (2^index samples).
const char* const multisampleItems[] = {"off", "2x", "4x", "8x", "16x"};

struct choice {
  int control;
  int32_t code;
};
const choice resolutionChoices[] = {{id::resolution640, resolution::r640x480},
                                    {id::resolution800, resolution::r800x600},
                                    {id::resolution1024, resolution::r1024x768},
                                    {id::resolution1280, resolution::r1280x960},
                                    {id::resolutionDesktop, resolution::desktop}};
const choice aspectChoices[] = {{id::aspect4to3, aspect::a4to3},
                                {id::aspect16to9, aspect::a16to9},
                                {id::aspect16to10, aspect::a16to10}};

// The control showing `code`, 0 when none does.
template <std::size_t count>
int controlFor(const choice (&choices)[count], int32_t code) {
  for (const choice& each : choices) {
    if (each.code == code) return each.control;
  }
  return 0;
}

// Takes the clicked button's code; the buttons each start their own group,
// so the others are unchecked here.
template <std::size_t count>
bool pick(platform::dialogWindow* window, const choice (&choices)[count], int control,
          int32_t* setting) {
  const int32_t* picked = nullptr;
  for (const choice& each : choices) {
    if (each.control == control) picked = &each.code;
  }
  if (picked == nullptr) return false;
  *setting = *picked;
  for (const choice& each : choices) {
    if (each.control != control) window->checkButton(each.control, false);
  }
  return true;
}

bool* toggledSetting(int control) {
  switch (control) {
    case id::fullscreen: return &fullscreenOn;
    case id::sync: return &syncOn;
    case id::music: return &musicOn;
    case id::statistics: return &statisticsOn;
    case id::loop: return &loopOn;
    default: return nullptr;
  }
}

// "1: HDMI-1, 1920 × 1080 at 0, 0"
std::string monitorItem(size_t index, const platform::monitor& shown) {
  const std::string name = shown.name.empty() ? "unnamed" : shown.name;
  return std::to_string(index + 1) + ": " + name + ", " + std::to_string(shown.width) +
         " \u00d7 " + std::to_string(shown.height) + " at " + std::to_string(shown.x) + ", " +
         std::to_string(shown.y);
}

// The listed monitor at the dialog's place on the desktop; noMonitor when
// the toolkit cannot tell or none starts there.
int32_t dialogMonitor(platform::dialogWindow* window) {
  int x = 0;
  int y = 0;
  if (!window->monitorOrigin(&x, &y)) return noMonitor;
  for (size_t i = 0; i < availableMonitors.size(); ++i) {
    if (availableMonitors[i].x == x && availableMonitors[i].y == y) return static_cast<int32_t>(i);
  }
  return noMonitor;
}

void listMonitors(platform::dialogWindow* window) {
  for (size_t i = 0; i < availableMonitors.size(); ++i) {
    window->addComboItem(id::monitor, monitorItem(i, availableMonitors[i]).c_str());
  }
  const int32_t count = static_cast<int32_t>(availableMonitors.size());
  int32_t shown = displayIndex >= 0 && displayIndex < count ? displayIndex : dialogMonitor(window);
  if (shown == noMonitor && count > 0) shown = 0;
  window->selectComboItem(id::monitor, shown);
}

intptr_t initialise(platform::dialogWindow* window) {
  window->checkButton(id::fullscreen, fullscreenOn);
  window->checkButton(id::music, musicOn);

  const int resolutionControl = controlFor(resolutionChoices, resolutionCode);
  if (resolutionControl == 0) return 0;
  window->checkButton(resolutionControl, true);

  const int aspectControl = controlFor(aspectChoices, aspectCode);
  if (aspectControl != 0) {
    window->checkButton(aspectControl, true);
  } else if (aspectCode != aspect::a2to1 && aspectCode != aspect::a5to4) {
    return 0;
  }

  window->checkButton(id::music, musicOn);
  window->checkButton(id::statistics, statisticsOn);
  // Both start unchecked from the defaults; a choice named on the command
  // line shows as checked, so toggling it gives what the box shows.
  window->checkButton(id::sync, syncOn);
  window->checkButton(id::loop, loopOn);
  for (const char* item : multisampleItems) window->addComboItem(id::multisample, item);
  window->selectComboItem(id::multisample, 0);
  listMonitors(window);
  return 0;
}

intptr_t command(platform::dialogWindow* window, int control, int notification) {
  if (control == id::demo) {
    // Unless a monitor was picked, the show goes where the dialog is now.
    if (displayIndex == noMonitor) displayIndex = dialogMonitor(window);
    window->endDialog(1);
    return 1;
  }
  if (control == id::die) {
    window->endDialog(0);
    return 1;
  }
  if (pick(window, resolutionChoices, control, &resolutionCode)) return 1;
  if (pick(window, aspectChoices, control, &aspectCode)) {
    aspectChosen = true;
    return 1;
  }
  if (bool* setting = toggledSetting(control)) {
    *setting = !*setting;
    window->checkButton(control, *setting);
    return 1;
  }
  if (control == id::multisample) {
    if (notification == platform::CBN_SELCHANGE) {
      multisampleIndex = window->comboSelection(id::multisample) % 5;
    }
    return 1;
  }
  if (control == id::monitor) {
    const int selected = window->comboSelection(id::monitor);
    if (notification == platform::CBN_SELCHANGE && selected >= 0 &&
        selected < static_cast<int>(availableMonitors.size())) {
      displayIndex = selected;
    }
    return 1;
  }
  return 0;
}

}  // namespace

const platform::dialogTemplate& setupDialogTemplate() { return setupLayout; }

intptr_t setupDialogProc(platform::dialogWindow* window, uint32_t message, uintptr_t wParam,
                         intptr_t) {
  switch (message) {
    case platform::WM_INITDIALOG: return initialise(window);
    case platform::WM_COMMAND:
      return command(window, platform::commandId(wParam), platform::commandNotification(wParam));
    default: return 0;
  }
}
