#pragma once

#include "engine/shell.h"

// What the show puts on screen beyond the shell's own cameras and light: the
// post-processing chain and the scenes. The shell calls these at fixed
// points of the start-up order and of shutdown.

// Start-up step 4: the post-processing chain, then the scenes in schedule
// order (tunnel, title and opening, greetings, duck and fades), construct
// their components, which register as items. The order fixes every random
// table of the show.
void setupContent();

// Start-up step 8: the same, in the same order, build their parameter groups.
void bindContent();

// Start-up step 9: the frame routine to install.
frameRoutine contentFrameRoutine();

// Shutdown: the post-processing chain releases its render targets.
void releaseContent();
