#include "platform/font_substitutes.h"

#include <strings.h>

namespace platform {

namespace {

// Liberation: metric-compatible with Arial, Times New Roman and Courier New
// (fonts-liberation). DejaVu stands in for the wide humanist sans faces and
// the monospaced console face (fonts-dejavu-core). Impact is a condensed,
// heavy sans: the narrow Liberation and Nimbus families in bold come closest.
// The symbol faces take the URW clones of the classic dingbat and symbol
// fonts (fonts-urw-base35).
constexpr fontCandidate liberationSans[] = {{"Liberation Sans", false}};
constexpr fontCandidate liberationSerif[] = {{"Liberation Serif", false}};
constexpr fontCandidate liberationMono[] = {{"Liberation Mono", false}};
constexpr fontCandidate humanistSans[] = {{"DejaVu Sans", false}, {"Liberation Sans", false}};
constexpr fontCandidate consoleMono[] = {{"DejaVu Sans Mono", false}, {"Liberation Mono", false}};
constexpr fontCandidate condensedHeavy[] = {{"Liberation Sans Narrow", true},
                                            {"Nimbus Sans Narrow", true}};
constexpr fontCandidate dingbats[] = {{"D050000L", false}, {"Standard Symbols PS", false}};
constexpr fontCandidate symbols[] = {{"Standard Symbols PS", false}, {"D050000L", false}};

template <int32_t N>
constexpr fontSubstitute entry(const char* face, bool symbol, const fontCandidate (&list)[N],
                               const char* generic, const char* package) {
  return fontSubstitute{face, symbol, list, N, generic, package};
}

constexpr fontSubstitute table[] = {
    entry("Arial", false, liberationSans, "sans-serif", "fonts-liberation"),
    entry("Verdana", false, humanistSans, "sans-serif", "fonts-dejavu-core"),
    entry("Courier New", false, liberationMono, "monospace", "fonts-liberation"),
    entry("Webdings", true, dingbats, "sans-serif", "fonts-urw-base35"),
    entry("Lucida Console", false, consoleMono, "monospace", "fonts-dejavu-core"),
    entry("Tahoma", false, humanistSans, "sans-serif", "fonts-dejavu-core"),
    entry("Impact", false, condensedHeavy, "sans-serif", "fonts-liberation"),
    entry("Wingdings", true, dingbats, "sans-serif", "fonts-urw-base35"),
    entry("Times New Roman", false, liberationSerif, "serif", "fonts-liberation"),
    entry("Microsoft Sans Serif", false, liberationSans, "sans-serif", "fonts-liberation"),
    entry("Trebuchet MS", false, humanistSans, "sans-serif", "fonts-dejavu-core"),
    entry("Symbol", true, symbols, "serif", "fonts-urw-base35"),
};

constexpr fontSubstitute unknownFace{"", false, nullptr, 0, "sans-serif", "fonts-liberation"};

}  // namespace

const fontSubstitute& substituteFor(const char* faceName) {
  if (faceName != nullptr) {
    for (const fontSubstitute& candidate : table) {
      if (strcasecmp(candidate.faceName, faceName) == 0) return candidate;
    }
  }
  return unknownFace;
}

const fontSubstitute* substituteTable(int32_t* count) {
  *count = static_cast<int32_t>(sizeof table / sizeof table[0]);
  return table;
}

}  // namespace platform
