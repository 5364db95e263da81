#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace creator {

// `messages` laid out in at most `rows` lines of at most `columns`
// characters (columns of 8 or more). Each message starts a line and breaks
// after the last space that fits, inside a word only when the word alone
// is longer than a line; its further lines are indented by two spaces.
// When the rows run out, the last line ends with "...". Linear in the text.
std::vector<std::string> wrapMessages(const std::vector<std::string>& messages, size_t columns,
                                      size_t rows);

}  // namespace creator
