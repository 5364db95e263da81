#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The look of a message box, independent of how it reaches the screen: the
// text broken into lines, the box's size and the OK button, painted into a
// 32-bit pixel buffer (bytes B, G, R, X; top row first).
namespace platform {

struct boxRectangle {
  int x = 0, y = 0, width = 0, height = 0;
  bool contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
};

struct messagePicture {
  int width = 0;
  int height = 0;
  boxRectangle button;
  std::vector<std::string> lines;
  uint32_t accent = 0;  // 0x00RRGGBB of the stripe that stands for the icon
};

// Wraps `text` (or the caption when the text is empty, since without a window
// manager nobody draws the title) and sizes the box around it. Costs a font
// lookup per line.
messagePicture layoutMessage(const char* caption, const char* text, uint32_t accent);

// Paints the box into `pixels` (picture.width x picture.height x 4 bytes).
// Text that finds no font leaves a box with a button and no words.
void paintMessage(const messagePicture& picture, std::vector<uint8_t>& pixels);

}  // namespace platform
