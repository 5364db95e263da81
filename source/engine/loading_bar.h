#pragma once

// The loading phase's progress bar: a white outline across the middle of the
// picture, filled from the left by `fraction` (0 to 1). Draws over whatever
// the back buffer holds; the caller presents the frame. A handful of GL
// calls inside one 2D bracket.
void drawProgressBar(float fraction);
