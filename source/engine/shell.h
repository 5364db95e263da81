#pragma once

#include <cstdint>

// The program's spine: the phases from start to shutdown, the loading
// phase, the main loop with its demo clock, and presenting frames.

// Where finished frames go and where quit requests come from: the window
// normally, something else for tests or an offline renderer.
class presenter {
 public:
  virtual ~presenter() = default;
  // Shows the frame just drawn.
  virtual void swap() = 0;
  // True once the user asked to quit; never blocks.
  virtual bool pumpMessages() = 0;
};

// The window's presenter (swap buffers, pump the window's events).
presenter* windowPresenter();

// The presenter the shell uses; windowPresenter() unless replaced.
extern presenter* activePresenter;

using frameRoutine = void (*)(float seconds);

class trackGroup;

namespace NGcomp {
class camera;
class light;
}  // namespace NGcomp

// The scene cameras "cam0" and "cam1" and the light "light0"; null until
// createShellItems. They belong to the item list.
extern NGcomp::camera* cam0;
extern NGcomp::camera* cam1;
extern NGcomp::light* light0;

// Creates cam0, cam1 (eye orbiting the target) and light0, the first items
// of the list.
void createShellItems();

// The "clear" group whose first three tracks give the clear colour; null
// until the binding step has run.
extern trackGroup* clearGroup;

// Draws the loading phase's progress bar at `fraction` (0 to 1):
// drawProgressBar unless replaced (tests record the calls instead).
extern void (*drawLoadingBar)(float fraction);

// Items drawn by drawAllItems: the list length when it was installed.
extern int32_t defaultItemCount;

// The default frame routine: draws the first defaultItemCount items in list
// order. Ignores the time.
void drawAllItems(float seconds);

// Binds the shell's own parameter groups: the eye, target and roll of each
// camera that exists, the clear colour, the light's position (and colours)
// when the light exists. Loads their track files: throws 258 when one is
// missing.
void bindShellGroups();

extern float clearColor[4];
extern frameRoutine frameCallback;
extern bool showStatistics;
extern int64_t clockStart;

// Values the main loop computes each frame, kept for the statistics.
struct loopState {
  float fpsLast = 0.0f;
  int32_t fpsCounter = 0;
  int32_t fpsShown = 0;
  float frameTimeShown = 0.0f;
  float rowPosition = 1.0f;
  int32_t rowIndex = 1;
  float wallSeconds = 0.0f;
  bool quitSeen = false;  // the last frame's message pump saw a quit
};

// Graphics initialisation, then the shell's own state (clear colour, hooks).
void initShell();

// The loading phase, under one error guard: progress bar, sync device,
// statistics overlay, then every item with the bar stepping before each.
void loadAll();

// The frame's projection reset: the show's perspective (near 3, far 800)
// with the nicest correction hint, identity texture and model-view matrices.
void resetProjection();

// The frame clear: the tracked clear colour (the "clear" group's first
// three tracks, alpha 1; without the group the last colour stays), letterbox
// bars black. One group evaluation per track.
void clearFrame();

// Frame count up, draw counters reset, then the presenter's swap.
void presentFrame();

// Music position now, in samples (0 without music).
uint32_t musicPositionNow();

// One frame of the main loop: clock, projection reset, tracked clear, frame
// callback, statistics, present. Returns false when the loop should end
// (quit requested or the song over).
bool runFrame(loopState& state, bool statistics);

// Starts the music and runs frames until quit or the end of the song.
void runMainLoop();

// Releases everything in order and halts with 0. Never returns.
[[noreturn]] void shutdown();

// Every phase from the first to the last, as the show runs them. Never
// returns.
[[noreturn]] void runShow();
