#pragma once

#include "platform/setup_dialog.h"

// Test automation of the setup dialog: only tests include this. The toolkit
// backend implements it beside the dialog, so tests drive the very dialog a
// user sees.
namespace platform {

enum class dialogKey { escape, enter };

// Drives the dialog on screen as a user would, for tests: pointer and key
// events go through the display server (XTest), list choices through the
// toolkit.
class dialogAutomation {
 public:
  virtual ~dialogAutomation() = default;
  // Presses and releases the pointer over the control's centre. False when
  // the control does not exist or the events cannot be synthesised.
  virtual bool click(int id) = 0;
  // Presses and releases a key over the dialog.
  virtual bool pressKey(dialogKey key) = 0;
  // Gives the control the keyboard focus, as tabbing to it would.
  virtual bool focus(int id) = 0;
  // Closes the window as its close box would.
  virtual bool closeWindow() = 0;
  // Picks list item `index` of a combo box as the user's choice would.
  virtual bool choose(int id, int index) = 0;
  // Waits until the display server has delivered the events caused so far
  // and the dialog has handled them.
  virtual void settle() = 0;
  virtual bool checked(int id) = 0;
  virtual int selection(int id) = 0;
  virtual int itemCount(int id) = 0;
  // Ends the dialog with `result` after `milliseconds` unless it has ended
  // before: a watchdog against events that never arrive.
  virtual void endAfter(int milliseconds, intptr_t result) = 0;
  // Writes what the dialog looks like to a PNG file.
  virtual bool saveImage(const char* path) = 0;
};

// Called once the dialog is initialised and on screen, before the modal
// loop starts; null (the default) for none. Tests drive the dialog here.
extern void (*dialogShownHook)(dialogAutomation& dialog);

}  // namespace platform
