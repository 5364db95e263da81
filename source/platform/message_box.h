#pragma once

// Modal message boxes, the show's only way of talking to the user.
namespace platform {

enum class messageIcon { none, information, warning, error };

// Shows a modal box with `caption` over `text` and waits for the user to
// dismiss it; a box appears only when a real display is in use (not under the
// offscreen or dummy video drivers). Every message is also written to stderr
// as "caption: text", so logs and tests see it. Blocks while the box is open.
void showMessage(const char* caption, const char* text, messageIcon icon);

// Where the most recent messages went (for tests): true when boxes are shown.
bool messageBoxesVisible();

}  // namespace platform
