#pragma once

// Modal message boxes, the show's only way of talking to the user.
namespace platform {

enum class messageIcon { none, information, warning, error };

// Shows a modal box with `caption` over `text` and waits for the user to
// dismiss it; a box appears only when a real display is in use (not under the
// offscreen or dummy video drivers). Every message is also written to stderr
// as "caption: text", so logs and tests see it. Blocks while the box is open,
// but never beyond a quit request (SIGINT, SIGTERM) or the loss of the
// display. True when the box was answered, or could not be shown (stderr
// only, as if answered); false when it was abandoned that way, or a quit
// was already requested: the caller then ends the program at once, by the
// halt its situation calls for (status 0 after a mere warning). Later boxes
// go to stderr only and return false.
bool showMessage(const char* caption, const char* text, messageIcon icon);

// Where the most recent messages went (for tests): true when boxes are shown.
bool messageBoxesVisible();

}  // namespace platform
