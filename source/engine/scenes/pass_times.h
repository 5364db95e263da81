#pragma once

#include <utility>
#include <vector>

// Where a frame's time goes, pass by pass, for the benchmark. GL calls only
// queue work, so while timing is on every mark waits for the GL to finish
// (glFinish) before it reads the clock: the frame loses the overlap between
// passes, and each pass is charged what it really cost. Off (the default),
// a mark costs one test of a flag.
namespace scenes {

// Switches the marks on or off; on only in benchmark runs.
void timePasses(bool on);

// Starts the frame's clock (waits for queued GL work first when timing).
void startPassClock();

// Charges the time since the previous mark (or the frame's start) to
// `pass`, a string that lives as long as the program.
void passDone(const char* pass);

// The frame's marks in order, milliseconds each (a name marked twice comes
// twice; the benchmark's table adds them up), and starts a new frame's list.
// Empty when timing is off.
std::vector<std::pair<const char*, double>> takePassTimes();

}  // namespace scenes
