#pragma once

// The show's single frame routine: projection, camera and light, then the
// scenes their own activity tracks choose, then the pictures and fades.
namespace scenes {

// The frame callback of the main loop. Ignores its time: every value comes
// from the tracks at the current row.
void composeFrame(float seconds);

}  // namespace scenes
