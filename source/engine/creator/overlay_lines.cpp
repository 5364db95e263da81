#include "engine/creator/overlay_lines.h"

namespace creator {

namespace {

constexpr const char* continuation = "  ";
constexpr size_t continuationWidth = 2;

// The length of the next line's share of `text` from `start`, when a line
// holds `room` characters: up to the last space that fits, or a hard cut.
size_t lineShare(const std::string& text, size_t start, size_t room) {
  if (text.size() - start <= room) return text.size() - start;
  const size_t space = text.rfind(' ', start + room);
  return space != std::string::npos && space > start ? space - start : room;
}

}  // namespace

std::vector<std::string> wrapMessages(const std::vector<std::string>& messages, size_t columns,
                                      size_t rows) {
  std::vector<std::string> lines;
  if (rows == 0) return lines;
  for (const std::string& message : messages) {
    size_t start = 0;
    bool first = true;
    while (start < message.size() || first) {
      if (lines.size() == rows) {
        std::string& last = lines.back();
        last = last.substr(0, columns - 3) + "...";
        return lines;
      }
      const size_t room = first ? columns : columns - continuationWidth;
      const size_t share = lineShare(message, start, room);
      lines.push_back((first ? "" : continuation) + message.substr(start, share));
      start += share;
      while (start < message.size() && message[start] == ' ') ++start;
      first = false;
    }
  }
  return lines;
}

}  // namespace creator
