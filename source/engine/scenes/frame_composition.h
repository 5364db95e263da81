#pragma once

// The show's single frame routine: projection, camera and light, then the
// scenes their own activity tracks choose, then the pictures and fades.
namespace FWrender {
struct LightState;
}

namespace scenes {

// The frame's prelude: the shell's projection reset with the viewport on the
// picture area, the camera, the light, the tracked clear. Returns the light
// record that was drawn (null without a light).
const FWrender::LightState* beginShowFrame();

// GL_LIGHT0 follows the light record's index: on for a non-zero index, off
// for 0, lighting on. The show's one light has index 0, so the scenes draw
// with it switched off (it comes back with the light's draw next frame).
void switchLightForTheScenes(const FWrender::LightState* current);

// The frame callback of the main loop. Ignores its time: every value comes
// from the tracks at the current row.
void composeFrame(float seconds);

// The name of the scene composeFrame draws at the current row, by its
// precedence: "greetings" (which may share the frame with a title scene),
// "tunnel", "title particles", "opening", else "pictures and fades". Reads
// the activity tracks: call with the clock where the frame will be drawn.
const char* sceneNameNow();

// The scenes the frame routine asks and draws, in the order it consults
// them: the show's own unless a test replaces them to watch its choices.
struct frameScenes {
  bool (*greetingsActive)();
  void (*postProcessing)();
  bool (*tunnelActive)();
  void (*tunnel)();
  bool (*titleActive)();
  void (*title)();  // into the scene target, then composited to the screen
  bool (*openingActive)();
  void (*opening)();
  void (*duckAndFades)();
};

// The show's scenes.
frameScenes showScenes();

// What composeFrame uses; showScenes() unless replaced.
extern frameScenes composedScenes;

}  // namespace scenes
