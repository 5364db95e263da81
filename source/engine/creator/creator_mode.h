#pragma once

#include <string>
#include <vector>

// Creator mode: the show runs from the content folder's sync scripts and
// shaders, picks up every save while it plays, and answers keys that pause,
// seek and loop the song. The shell calls these around its frames; none of
// them does anything unless begin() was called.
namespace creator {

// Compiles the folder's scripts, has the package read scripts and shaders
// from the folder, and watches it. Call before the show's content starts.
// A script with a mistake at this point is reported, and the package's own
// tracks play until it is fixed.
void begin(const std::string& contentFolder);

// After start-up: keys are collected from here on and the overlay is made
// (needs the statistics font, made by the loading phase).
void started();

// True between begin() and end().
bool active();

// Before a frame: saved files are taken in, keys and the loop move the
// clock. Cheap when nothing was saved or pressed (one read system call).
void beforeFrame();

// After the frame routine: draws the overlay (position, scene, loop, the
// current mistakes) over the picture.
void afterFrame();

// The mistakes the overlay shows now, one "file:line: message" each.
std::vector<std::string> mistakesShown();

// Whether the statistics overlay is on (S toggles it).
bool statisticsShown();

// Stops watching and forgets the sources; the package reads its own
// entries again.
void end();

}  // namespace creator
