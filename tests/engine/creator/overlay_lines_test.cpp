// The creator overlay's mistakes, wrapped to the picture's width.
#include "engine/creator/overlay_lines.h"

#include <gtest/gtest.h>

namespace {

using creator::wrapMessages;

// Lines joined back into their text: a break stands for one space.
std::string rejoined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    const bool continued = line.rfind("  ", 0) == 0;
    text += (text.empty() ? "" : continued ? " " : "|") + line.substr(continued ? 2 : 0);
  }
  return text;
}

TEST(CreatorOverlayLines, LongMessagesBreakBetweenWordsWithinTheWidth) {
  const std::string shaderError =
      "fx/greetings.frag:12: error: syntax error, unexpected IDENTIFIER, expecting end of file";
  const std::vector<std::string> lines = wrapMessages({shaderError, "sync: fine"}, 30, 8);
  for (const std::string& line : lines) EXPECT_LE(line.size(), 30u) << line;
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[0], "fx/greetings.frag:12: error:");
  EXPECT_EQ(rejoined(lines), shaderError + "|sync: fine");
}

TEST(CreatorOverlayLines, AWordLongerThanALineIsCutAndRowsRunningOutSaySo) {
  const std::vector<std::string> cut = wrapMessages({"fx/" + std::string(25, 'x') + ".frag"}, 10, 8);
  EXPECT_EQ(cut[0], "fx/xxxxxxx");
  EXPECT_EQ(rejoined(cut), "fx/xxxxxxx xxxxxxxx xxxxxxxx xx.frag");

  const std::vector<std::string> full = wrapMessages({"one two three four five six seven"}, 10, 2);
  ASSERT_EQ(full.size(), 2u);
  EXPECT_EQ(full[0], "one two");
  EXPECT_EQ(full[1], "  three...");
  EXPECT_TRUE(wrapMessages({"anything"}, 10, 0).empty());
}

}  // namespace
