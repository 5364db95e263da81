#include "platform/message_box_picture.h"

#include "platform/text_raster.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

const char* const faceName = "Sans";
constexpr int cellHeight = 15;
constexpr int lineHeight = 20;
constexpr int padding = 18;
constexpr int stripeWidth = 6;
constexpr int wrapColumn = 64;  // characters; messages are short English sentences
constexpr int buttonWidth = 88;
constexpr int buttonHeight = 28;
constexpr int minimumWidth = 260;

constexpr uint32_t background = 0xEEEEEC;
constexpr uint32_t ink = 0x202020;
constexpr uint32_t buttonFace = 0xF8F8F8;
constexpr uint32_t buttonEdge = 0x808080;

// Greedy word wrap by character count; a word longer than a line is cut.
void wrapInto(const std::string& paragraph, std::vector<std::string>& lines) {
  std::string line;
  size_t at = 0;
  while (at <= paragraph.size()) {
    size_t end = paragraph.find(' ', at);
    if (end == std::string::npos) end = paragraph.size();
    std::string word = paragraph.substr(at, end - at);
    while (word.size() > static_cast<size_t>(wrapColumn)) {
      if (!line.empty()) lines.push_back(line);
      line.clear();
      lines.push_back(word.substr(0, wrapColumn));
      word.erase(0, wrapColumn);
    }
    const size_t joined = line.empty() ? word.size() : line.size() + 1 + word.size();
    if (joined > static_cast<size_t>(wrapColumn)) {
      lines.push_back(line);
      line = word;
    } else {
      line = line.empty() ? word : line + " " + word;
    }
    at = end + 1;
  }
  lines.push_back(line);
}

// The rightmost inked column plus one, 0 for no ink or no font.
int inkWidth(const std::string& line) {
  constexpr int scratchWidth = 2048;
  constexpr int scratchHeight = lineHeight;
  std::vector<uint8_t> scratch(static_cast<size_t>(scratchWidth) * scratchHeight * 4, 0);
  textRequest request;
  request.text = line.c_str();
  request.faceName = faceName;
  request.cellHeight = cellHeight;
  if (!rasterizeText(request, scratch.data(), scratchWidth, scratchHeight)) return 0;
  int right = 0;
  for (int y = 0; y < scratchHeight; ++y) {
    for (int x = scratchWidth - 1; x >= right; --x) {
      if (scratch[(static_cast<size_t>(y) * scratchWidth + x) * 4] != 0) {
        right = x + 1;
        break;
      }
    }
  }
  return right;
}

void fill(std::vector<uint8_t>& pixels, int stride, const boxRectangle& area, uint32_t colour) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      uint8_t* pixel = &pixels[(static_cast<size_t>(y) * stride + x) * 4];
      pixel[0] = static_cast<uint8_t>(colour);
      pixel[1] = static_cast<uint8_t>(colour >> 8);
      pixel[2] = static_cast<uint8_t>(colour >> 16);
      pixel[3] = 0;
    }
  }
}

// Draws `line` in ink over whatever is at (x, y), blending by coverage.
void drawLine(std::vector<uint8_t>& pixels, int width, int height, const std::string& line, int x,
              int y) {
  std::vector<uint8_t> coverage(pixels.size(), 0);
  textRequest request;
  request.text = line.c_str();
  request.faceName = faceName;
  request.cellHeight = cellHeight;
  request.x = x;
  request.y = y;
  if (!rasterizeText(request, coverage.data(), width, height)) return;
  for (size_t i = 0; i < pixels.size(); i += 4) {
    const int amount = coverage[i];
    if (amount == 0) continue;
    for (int channel = 0; channel < 3; ++channel) {
      const int target = static_cast<int>((ink >> (8 * channel)) & 0xFF);
      pixels[i + channel] =
          static_cast<uint8_t>(pixels[i + channel] + (target - pixels[i + channel]) * amount / 255);
    }
  }
}

}  // namespace

messagePicture layoutMessage(const char* caption, const char* text, uint32_t accent) {
  messagePicture picture;
  picture.accent = accent;
  const std::string body = (text != nullptr && text[0] != '\0') ? text : caption;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('\n', start);
    if (end == std::string::npos) end = body.size();
    wrapInto(body.substr(start, end - start), picture.lines);
    start = end + 1;
  }
  int textWidth = 0;
  for (const std::string& line : picture.lines) textWidth = std::max(textWidth, inkWidth(line));
  const int left = stripeWidth + padding;
  picture.width = std::max(minimumWidth, left + textWidth + padding);
  const int textHeight = static_cast<int>(picture.lines.size()) * lineHeight;
  picture.height = padding + textHeight + padding + buttonHeight + padding;
  picture.button = {picture.width - padding - buttonWidth, picture.height - padding - buttonHeight,
                    buttonWidth, buttonHeight};
  return picture;
}

void paintMessage(const messagePicture& picture, std::vector<uint8_t>& pixels) {
  const int width = picture.width;
  const int height = picture.height;
  pixels.assign(static_cast<size_t>(width) * height * 4, 0);
  fill(pixels, width, {0, 0, width, height}, background);
  fill(pixels, width, {0, 0, stripeWidth, height}, picture.accent);
  int y = padding;
  for (const std::string& line : picture.lines) {
    drawLine(pixels, width, height, line, stripeWidth + padding, y);
    y += lineHeight;
  }
  const boxRectangle& button = picture.button;
  fill(pixels, width, button, buttonEdge);
  fill(pixels, width, {button.x + 1, button.y + 1, button.width - 2, button.height - 2}, buttonFace);
  const int labelWidth = inkWidth("OK");
  drawLine(pixels, width, height, "OK", button.x + (button.width - labelWidth) / 2,
           button.y + (button.height - cellHeight) / 2);
}

}  // namespace platform
