#pragma once

#include <functional>
#include <string>

// The show's start-up steps after graphics initialisation, in one place for
// every program that runs them: the show itself, the offline renderer and
// the creator tools. What differs between them is passed in, the way a
// backend is plugged into one core.

class musicStream;
class presenter;

struct startupChoices {
  // The package to open; empty means pack.zip in the working directory.
  std::string packagePath;
  // Given the soundtrack's stream once it is open, returns the clock the
  // show follows from then on (the stream itself, or a stand-in that takes
  // its place; the soundtrack owns what is returned and the caller deletes
  // what it replaces). Empty keeps the stream.
  std::function<musicStream*(musicStream* opened)> clock;
  // Where the loading phase's frames go; null keeps activePresenter. It
  // stays active after start-up; the caller installs its own afterwards.
  presenter* loadingPresenter = nullptr;
};

// Package, the shell's items, the content's set-up, the soundtrack at 128
// beats per minute, the loading phase, the binding of every parameter group
// and the frame routine, each step under the error guard (a failure halts
// with its code). Graphics must be initialised. Costs the whole loading
// time (seconds on software GL).
void startShowContent(const startupChoices& choices);
