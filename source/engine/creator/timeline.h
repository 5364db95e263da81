#pragma once

#include "platform/window.h"

#include <cstdint>
#include <string>

// Creator mode's navigation on the song's grid: 8 rows to the beat, 4 beats
// to the bar, track row 1 at the song's first sample (bar:beat:row 0:0:0).
// Pure arithmetic and key state; the caller moves the clock.
namespace creator {

constexpr int32_t rowsPerBeat = 8;
constexpr int32_t rowsPerBar = 32;

struct gridPosition {
  int32_t bar = 0;
  int32_t beat = 0;
  int32_t row = 0;
};

// Where fractional track row `trackRow` lies on the grid; rows before the
// first sample are 0:0:0.
gridPosition gridPositionOf(float trackRow);
// The track row of a grid position.
int32_t trackRowOf(const gridPosition& position);
// "bar:beat:row", as the sync scripts write it.
std::string formatGrid(const gridPosition& position);

// What a key asks of the show.
struct timelineCommand {
  enum kind { none, togglePause, seekRow, toggleStatistics, loopChanged };
  kind what = none;
  int32_t row = 1;  // for seekRow: the track row to go to
};

class timeline {
 public:
  // `lastRow`: the track row of the song's end; seeks stop there.
  explicit timeline(int32_t lastRow) : lastRow_(lastRow) {}

  // Space pauses; Left/Right go one bar back/on from the start of the
  // current bar (one beat with Shift); Home goes to the start; L marks the
  // loop's first bar, then its last, then clears it; S toggles statistics.
  timelineCommand onKey(const platform::keyPress& press, float rowNow);

  // The row to jump back to when a frame at `rowNow` has reached the end of
  // the loop; -1 when it has not, or no loop is set.
  int32_t loopJump(float rowNow) const;

  bool loopMarking() const { return marking_; }
  bool looping() const { return looping_; }
  int32_t loopStart() const { return loopStart_; }
  int32_t loopEnd() const { return loopEnd_; }  // the row after the loop's last
  // "loop 8:0:0-10:0:0", "loop from 8:0:0 (L again marks the end)" or "".
  std::string loopText() const;

 private:
  int32_t clamp(int32_t row) const;

  int32_t lastRow_;
  bool marking_ = false;
  bool looping_ = false;
  int32_t loopStart_ = 1;
  int32_t loopEnd_ = 1;
};

}  // namespace creator
