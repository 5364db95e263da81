#pragma once

#include "platform/window.h"

#include <cstdint>
#include <optional>
#include <vector>

// The display settings the user picks before the show starts. Every start
// begins from the same defaults; nothing is saved.

namespace resolution {
constexpr int32_t r640x480 = 0x640480;
constexpr int32_t r800x600 = 0x800600;
constexpr int32_t r1024x768 = 0x1024768;
constexpr int32_t r1280x960 = 0x1280960;
// The monitor's own size in pixels, whatever it is.
constexpr int32_t desktop = 0xDE5C;
}  // namespace resolution

namespace aspect {
constexpr int32_t a2to1 = 0x201;
constexpr int32_t a4to3 = 0x403;
constexpr int32_t a5to4 = 0x504;
constexpr int32_t a16to9 = 0x1609;
constexpr int32_t a16to10 = 0x1610;
}  // namespace aspect

extern int32_t resolutionCode;
extern int32_t aspectCode;
extern bool fullscreenOn;
extern bool syncOn;
extern bool musicOn;
extern bool statisticsOn;
extern bool loopOn;
extern int32_t multisampleIndex;  // samples = 2 to this power
extern bool dialogCancelled;
// True once the aspect was named on the command line or picked in the
// dialog: full screen then letterboxes for it. Otherwise the output's own
// shape decides (the detected code only preselects the dialog).
extern bool aspectChosen;
// The monitor the show opens on, an index into listMonitors(); noMonitor
// until chosen, which means the monitor the dialog was on or the first
// (the primary where the system names one).
constexpr int32_t noMonitor = -1;
extern int32_t displayIndex;
// The monitors as the dialog lists them; filled by runSetupDialog.
extern std::vector<platform::monitor> availableMonitors;

// Choices named before the dialog (on the command line): each one that is
// set replaces its default and is preselected in the dialog; with
// skipDialog they are the choices and no dialog appears.
struct settingsPreset {
  std::optional<int32_t> resolution;
  std::optional<int32_t> aspect;
  std::optional<bool> fullscreen;
  std::optional<bool> sync;
  std::optional<bool> music;
  std::optional<bool> statistics;
  std::optional<bool> loop;
  std::optional<int32_t> multisample;
  std::optional<int32_t> display;  // index into listMonitors()
  bool skipDialog = false;
};

// The preset runSetupDialog applies after the defaults; empty unless the
// program's command line filled it.
extern settingsPreset startPreset;

// Sets every setting the preset names; leaves the others alone.
void applyPreset(const settingsPreset& preset);

// The monitor's aspect code for a desktop of width x height: 16:9, 16:10 or
// 4:3 when the shape matches, 4:3 for anything else.
int32_t detectAspectCode(int32_t desktopWidth, int32_t desktopHeight);

// The settings every start begins from: 1024 x 768 full screen, music on,
// no sync, loop or statistics, the aspect detected from the desktop (4:3
// when its size is unknown, 0 x 0). The multisample index is left alone.
void setDialogDefaults(int32_t desktopWidth, int32_t desktopHeight);

// Whether the dialog should appear: a display exists and AMBER_SKIP_DIALOG
// is unset (or "0"). Reads the environment only.
bool setupDialogWanted();

// Shows the setup dialog modally and sets dialogCancelled (DIE, Escape or
// the close box). False, with a note on stderr and the settings unchanged,
// when no dialog could be shown. Blocks until the user decides.
bool showSetupDialog();

// Sets the defaults, detects the aspect from the desktop and, when a
// display exists and the user has not asked to skip it, asks the user.
// Without the dialog the defaults are taken as chosen.
void runSetupDialog();

// Render size for a resolution code (640 x 480 for unknown codes); the
// desktop code takes the size of the monitor the show opens on (640 x 480
// when it cannot be read).
void resolutionSize(int32_t code, int32_t* width, int32_t* height);

// The monitor the show opens on: displayIndex once chosen, else 0.
int32_t chosenDisplay();

// Aspect ratio for an aspect code (16:9 for unknown codes).
float aspectRatio(int32_t code);
