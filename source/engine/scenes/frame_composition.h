#pragma once

// The show's single frame routine: projection, camera and light, then the
// scenes their own activity tracks choose, then the pictures and fades.
namespace scenes {

// The frame callback of the main loop. Ignores its time: every value comes
// from the tracks at the current row.
void composeFrame(float seconds);

// The name of the scene composeFrame draws at the current row, by its
// precedence: "greetings" (which may share the frame with a title scene),
// "tunnel", "title particles", "opening", else "pictures and fades". Reads
// the activity tracks: call with the clock where the frame will be drawn.
const char* sceneNameNow();

}  // namespace scenes
