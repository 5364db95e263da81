#pragma once

#include "flash_analysis.h"
#include "render_options.h"

// amberrender --check-flashes: the report of a flashAnalysis, and the
// analysis of frames already written with --png.

// Prints one line per second that has a flash (general and red flashes
// over a quarter of the picture) and the verdict, on stdout. Status 1 when
// a second has more than flashAnalysis::allowedPerSecond, else 0.
int reportFlashes(const flashAnalysis& analysis);

// Reads every FOLDER/frame_NNNNNN.png of --png (consecutive numbers, at
// --fps), analyses them and reports. Status 1 when they fail the check or
// cannot be read (with the reason on stderr). Decodes each PNG: a few ms a
// frame at 320 x 180.
int checkFlashesOfPngFolder(const renderOptions& chosen);
