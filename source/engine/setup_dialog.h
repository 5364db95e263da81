#pragma once

#include "platform/setup_dialog.h"

#include <cstdint>

// The setup dialog: its layout and its procedure, which turns the user's
// choices into the display settings (engine/settings.h).

namespace dialogControlId {
constexpr int demo = 1;  // starts the show
constexpr int die = 2;   // quits; also Escape and the close box
constexpr int resolution640 = 1003;
constexpr int resolution800 = 1004;
constexpr int resolution1024 = 1005;
constexpr int resolution1280 = 1007;
constexpr int resolutionDesktop = 1008;
constexpr int aspect4to3 = 1009;
constexpr int aspect16to9 = 1010;
constexpr int aspect16to10 = 1011;
constexpr int fullscreen = 1012;
constexpr int sync = 1013;
constexpr int music = 1014;
constexpr int multisample = 1020;
constexpr int statistics = 1021;
constexpr int loop = 1022;
constexpr int monitor = 1023;
}  // namespace dialogControlId

// The dialog's template (identifier 100): title, size and controls in
// creation order, positions in dialog units.
const platform::dialogTemplate& setupDialogTemplate();

constexpr intptr_t setupDialogInitParam = 100;

// The dialog procedure. WM_INITDIALOG shows the current settings and lists
// availableMonitors, preselecting the chosen one or the dialog's own;
// WM_COMMAND from a control changes its setting, DEMO ends the dialog with
// 1 (taking the dialog's monitor when none was picked) and DIE with 0. Returns TRUE (1) for the commands it knows, FALSE (0)
// otherwise.
intptr_t setupDialogProc(platform::dialogWindow* window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam);
