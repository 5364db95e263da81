#pragma once

#include <cstdint>

// The show asks for fonts by the Windows face names of its face table. Which
// installed font answers such a name must not depend on whatever else happens
// to be installed, so every name has an explicit, ordered list of families
// that Debian packages (metric-compatible ones first where they exist), ending
// in a generic family that fontconfig resolves.

namespace platform {

struct fontCandidate {
  const char* family;  // a family name as fontconfig reports it
  bool heavy;          // always asked for in bold weight (the face itself is a heavy one)
};

struct fontSubstitute {
  const char* faceName;                 // the name the show asks for
  bool symbol;                          // a symbol face: its characters are pictures, not letters
  const fontCandidate* candidates;      // in order of preference
  int32_t candidateCount;
  const char* generic;                  // "sans-serif", "serif" or "monospace": the last resort
  const char* package;                  // the Debian package of the first candidate
};

// The entry for `faceName` (compared without regard to case); names outside
// the table get an entry with no candidates and "sans-serif". Costs a scan of
// twelve names.
const fontSubstitute& substituteFor(const char* faceName);

// Every entry of the table, for checks over all of them.
const fontSubstitute* substituteTable(int32_t* count);

}  // namespace platform
