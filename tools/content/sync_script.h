#pragma once

#include "content/track_codec.h"

#include <string>
#include <vector>

// The sync script: the show's tracks written as text, one block per track.
//
//   # a comment runs from '#' to the end of the line
//   track tent.fade                 # starts the block of track tent.fade
//       8:0:0     0      linear     # row, value, interpolation to the next key
//       16:0:0    2      step
//   track tunnel.csoda
//       repeat 64 every 0:1:0       # the keys up to "end", 64 times, a beat apart
//           24:0:0   1   smooth
//           24:0:6   0   step
//       end
//
// A row is either a plain track row (an integer, negative allowed) or
// bar:beat:row on the song's grid of 32 rows to the bar and 8 to the beat.
// The song's first sample is track row 1, so bar:beat:row names track row
// 1 + 32 * bar + 8 * beat + row (bar >= 0, beat 0..3, row 0..7): 0:0:0 is row 1,
// 8:0:0 is row 257. A repeat length counts rows without that offset (0:1:0 is
// 8 rows, 1:0:0 is 32). Interpolations: step, linear, smooth, ramp. Keys must
// come in strictly ascending row order, repeats included.
namespace content {

struct syncScript {
  std::string source;  // file name used in messages
  std::vector<namedTrack> tracks;  // in script order
};

// Parses a script. Throws contentError "source:line: what is wrong" for any
// mistake; the script is never partly accepted.
syncScript parseSyncScript(const std::string& text, const std::string& source);

// Reads and parses the script file at `path`.
syncScript readSyncScript(const std::string& path);

// The canonical text of `tracks`: rows from track row 1 on as bar:beat:row,
// earlier rows as integers, values in their shortest exact form, no repeats.
// Parsing it gives the same keys back, bit for bit.
std::string formatSyncScript(const std::vector<namedTrack>& tracks);

// The track row of bar:beat:row.
int32_t rowOfBarBeatRow(int32_t bar, int32_t beat, int32_t row);

// A track row as the script writes it.
std::string formatRow(int32_t row);

// The shortest decimal text that reads back as exactly `value`.
std::string formatValue(float value);

}  // namespace content
