#pragma once

#include <cstdint>

// A modal dialog made from a template table and driven by a dialog
// procedure, the way a Win32 program runs one. The toolkit turns clicks,
// toggles, list selections, Escape, Enter and the close box into the
// procedure's messages, with the template's control ids and the usual
// notification codes; the procedure changes controls through dialogWindow.

namespace platform {

// Messages and notification codes as the procedure receives them.
constexpr uint32_t WM_INITDIALOG = 0x0110;
constexpr uint32_t WM_COMMAND = 0x0111;
constexpr uint16_t BN_CLICKED = 0;
constexpr uint16_t CBN_SELCHANGE = 1;
// Sent by the default push button and Enter; by Escape and the close box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// WM_COMMAND's wParam: the control id in the low word, the notification in
// the high word.
constexpr uintptr_t commandParam(int id, uint16_t notification) {
  return (static_cast<uintptr_t>(notification) << 16) | (static_cast<uintptr_t>(id) & 0xFFFF);
}
constexpr int commandId(uintptr_t wParam) { return static_cast<int>(wParam & 0xFFFF); }
constexpr int commandNotification(uintptr_t wParam) {
  return static_cast<int>((wParam >> 16) & 0xFFFF);
}

enum class controlKind {
  defaultPushButton,
  pushButton,
  autoRadioButton,  // checks itself when clicked; unchecking others is the procedure's job
  autoCheckBox,     // toggles itself when clicked
  groupBox,
  dropDownList,     // combo box whose list drops down
};

struct dialogControl {
  int id;  // -1 for controls that send nothing (group boxes)
  controlKind kind;
  const char* text;
  int x, y, width, height;  // dialog units
};

struct dialogTemplate {
  const char* title;
  int width, height;  // dialog units
  const dialogControl* controls;  // in creation order
  int controlCount;
};

// The dialog as its procedure sees it.
class dialogWindow {
 public:
  virtual ~dialogWindow() = default;
  // Checks or unchecks a check box or radio button; sends nothing back.
  virtual void checkButton(int id, bool checked) = 0;
  virtual bool buttonChecked(int id) = 0;
  // Appends an item to a combo box's list.
  virtual void addComboItem(int id, const char* text) = 0;
  // Selects item `index` (-1: none); sends nothing back.
  virtual void selectComboItem(int id, int index) = 0;
  // The selected item, -1 when none.
  virtual int comboSelection(int id) = 0;
  // Ends the modal loop with `result` once the procedure has returned.
  virtual void endDialog(intptr_t result) = 0;
  // The place on the desktop (x, y, in the desktop's units) of the monitor
  // the dialog is on, or will appear on before it is shown; false when the
  // toolkit cannot tell.
  virtual bool monitorOrigin(int* x, int* y) = 0;
};

// Returns non-zero when it handled the message.
using dialogProcedure = intptr_t (*)(dialogWindow* window, uint32_t message, uintptr_t wParam,
                                     intptr_t lParam);

// Whether a dialog can appear: a display server is named (DISPLAY or
// WAYLAND_DISPLAY) and SDL is not asked for a headless video driver. Reads
// the environment only.
bool dialogDisplayAvailable();

// Shows the dialog modally, sends WM_INITDIALOG with `initParam`, then the
// user's actions, until the procedure ends it. Returns the endDialog result,
// or -1 when the dialog could not be shown (no display could be opened).
// The dialog is destroyed, and its events drained, before this returns.
// Starts the toolkit on first use (the process locale stays as it is).
// Blocks until the user decides.
intptr_t dialogBox(const dialogTemplate& layout, dialogProcedure procedure, intptr_t initParam);

}  // namespace platform
