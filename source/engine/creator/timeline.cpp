#include "engine/creator/timeline.h"

#include <algorithm>
#include <cmath>

namespace creator {

namespace {

// Track row of the start of the bar (or beat) holding `rowNow`.
int32_t unitStart(float rowNow, int32_t unit) {
  const double sinceStart = std::max(0.0, std::floor(static_cast<double>(rowNow)) - 1.0);
  const auto whole = static_cast<int32_t>(sinceStart);
  return 1 + whole - whole % unit;
}

}  // namespace

gridPosition gridPositionOf(float trackRow) {
  gridPosition at;
  const double sinceStart = std::floor(static_cast<double>(trackRow)) - 1.0;
  if (!(sinceStart > 0.0)) return at;
  const auto rows = static_cast<int32_t>(std::min(sinceStart, 2.0e9));
  at.bar = rows / rowsPerBar;
  at.beat = rows % rowsPerBar / rowsPerBeat;
  at.row = rows % rowsPerBeat;
  return at;
}

int32_t trackRowOf(const gridPosition& position) {
  return 1 + position.bar * rowsPerBar + position.beat * rowsPerBeat + position.row;
}

std::string formatGrid(const gridPosition& position) {
  return std::to_string(position.bar) + ":" + std::to_string(position.beat) + ":" +
         std::to_string(position.row);
}

int32_t timeline::clamp(int32_t row) const { return std::max(1, std::min(row, lastRow_)); }

timelineCommand timeline::onKey(const platform::keyPress& press, float rowNow) {
  timelineCommand command;
  const int32_t step = press.shift ? rowsPerBeat : rowsPerBar;
  switch (press.key) {
    case platform::pressedKey::space:
      command.what = timelineCommand::togglePause;
      break;
    case platform::pressedKey::left:
      command.what = timelineCommand::seekRow;
      command.row = clamp(unitStart(rowNow, step) - step);
      break;
    case platform::pressedKey::right:
      command.what = timelineCommand::seekRow;
      command.row = clamp(unitStart(rowNow, step) + step);
      break;
    case platform::pressedKey::home:
      command.what = timelineCommand::seekRow;
      command.row = 1;
      break;
    case platform::pressedKey::letterS:
      command.what = timelineCommand::toggleStatistics;
      break;
    case platform::pressedKey::letterL: {
      command.what = timelineCommand::loopChanged;
      const int32_t bar = unitStart(rowNow, rowsPerBar);
      if (looping_) {
        looping_ = false;
      } else if (!marking_) {
        marking_ = true;
        loopStart_ = bar;
      } else {
        // Marked backwards or forwards, the loop covers both bars whole.
        marking_ = false;
        looping_ = true;
        loopEnd_ = std::max(bar, loopStart_) + rowsPerBar;
        loopStart_ = std::min(bar, loopStart_);
      }
      break;
    }
  }
  return command;
}

int32_t timeline::loopJump(float rowNow) const {
  if (!looping_ || static_cast<double>(rowNow) < loopEnd_) return -1;
  return loopStart_;
}

std::string timeline::loopText() const {
  if (marking_) {
    return "loop from " + formatGrid(gridPositionOf(static_cast<float>(loopStart_))) +
           " (L marks the last bar)";
  }
  if (!looping_) return "";
  return "loop " + formatGrid(gridPositionOf(static_cast<float>(loopStart_))) + "-" +
         formatGrid(gridPositionOf(static_cast<float>(loopEnd_)));
}

}  // namespace creator
