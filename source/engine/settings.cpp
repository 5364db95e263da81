#include "engine/settings.h"

#include "engine/setup_dialog.h"
#include "platform/quit_signal.h"
#include "platform/setup_dialog.h"
#include "platform/window.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int32_t resolutionCode = resolution::r1024x768;
int32_t aspectCode = aspect::a4to3;
bool fullscreenOn = true;
bool syncOn = false;
bool musicOn = true;
bool statisticsOn = false;
bool loopOn = false;
int32_t multisampleIndex = 0;
bool dialogCancelled = false;
bool aspectChosen = false;
int32_t displayIndex = noMonitor;
std::vector<platform::monitor> availableMonitors;
settingsPreset startPreset;

int32_t detectAspectCode(int32_t width, int32_t height) {
  const float h = static_cast<float>(height);
  int32_t code = aspect::a4to3;
  if (width == static_cast<int32_t>(std::ceil(h * 1.7777777777777777))) code = aspect::a16to9;
  if (width == static_cast<int32_t>(std::ceil(h * 1.6))) code = aspect::a16to10;
  if (width == static_cast<int32_t>(std::ceil(h * 1.3333333333333333))) code = aspect::a4to3;
  return code;
}

void setDialogDefaults(int32_t desktopWidth, int32_t desktopHeight) {
  aspectCode = aspect::a4to3;
  if (desktopWidth > 0 && desktopHeight > 0) {
    aspectCode = detectAspectCode(desktopWidth, desktopHeight);
  }
  statisticsOn = false;
  resolutionCode = resolution::r1024x768;
  fullscreenOn = true;
  musicOn = true;
  loopOn = false;
  syncOn = false;
  dialogCancelled = false;
  aspectChosen = false;
  displayIndex = noMonitor;
}

void applyPreset(const settingsPreset& preset) {
  if (preset.resolution) resolutionCode = *preset.resolution;
  if (preset.aspect) {
    aspectCode = *preset.aspect;
    aspectChosen = true;
  }
  if (preset.display) displayIndex = *preset.display;
  if (preset.fullscreen) fullscreenOn = *preset.fullscreen;
  if (preset.sync) syncOn = *preset.sync;
  if (preset.music) musicOn = *preset.music;
  if (preset.statistics) statisticsOn = *preset.statistics;
  if (preset.loop) loopOn = *preset.loop;
  if (preset.multisample) multisampleIndex = *preset.multisample;
}

bool setupDialogWanted() {
  const char* skip = std::getenv("AMBER_SKIP_DIALOG");
  if (skip != nullptr && skip[0] != '\0' && std::strcmp(skip, "0") != 0) return false;
  return platform::dialogDisplayAvailable();
}

bool showSetupDialog() {
  // Nothing exists yet that a quit would have to close, so a signal while
  // the user decides simply ends the program.
  platform::endAtOnceOnQuitSignal(true);
  const intptr_t result =
      platform::dialogBox(setupDialogTemplate(), setupDialogProc, setupDialogInitParam);
  platform::endAtOnceOnQuitSignal(false);
  if (result == -1) {
    std::fprintf(stderr, "Setup dialog: no display could be opened; starting with the defaults.\n");
    std::fflush(stderr);
    dialogCancelled = false;
    return false;
  }
  dialogCancelled = result == 0;
  return true;
}

void runSetupDialog() {
  int desktopWidth = 0;
  int desktopHeight = 0;
  // The aspect is preselected from the monitor named on the command line.
  if (!platform::desktopSize(startPreset.display.value_or(0), &desktopWidth, &desktopHeight)) {
    desktopWidth = 0;
    desktopHeight = 0;
  }
  setDialogDefaults(desktopWidth, desktopHeight);
  availableMonitors = platform::listMonitors();
  applyPreset(startPreset);
  if (!startPreset.skipDialog && setupDialogWanted()) showSetupDialog();
}

void resolutionSize(int32_t code, int32_t* width, int32_t* height) {
  switch (code) {
    case resolution::r800x600: *width = 800; *height = 600; break;
    case resolution::r1024x768: *width = 1024; *height = 768; break;
    case resolution::r1280x960: *width = 1280; *height = 960; break;
    case resolution::desktop:
      if (platform::desktopSize(chosenDisplay(), width, height) && *width > 0 && *height > 0) {
        break;
      }
      *width = 640;
      *height = 480;
      break;
    default: *width = 640; *height = 480; break;
  }
}

int32_t chosenDisplay() { return displayIndex >= 0 ? displayIndex : 0; }

float aspectRatio(int32_t code) {
  switch (code) {
    case aspect::a2to1: return 2.0f;
    case aspect::a4to3: return 1.3333334f;
    case aspect::a5to4: return 1.25f;
    case aspect::a16to10: return 1.6f;
    default: return 1.7777778f;
  }
}
