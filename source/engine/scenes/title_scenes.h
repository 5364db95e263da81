#pragma once

namespace NGcomp {
class drawShader;
}

// The title particle scene ("tent": particle rays over a star skybox, drawn
// into the post-processing scene target and composited) and the opening
// scene ("eleje": particles, the title model, scrolling credits and a bar).
namespace scenes {

// Start-up, after the tunnel set-up: textures, bar, credit sprites,
// particles with their formation records, title model, skybox, composite
// sprite, programs.
void setupTitleScenes();

// Track binding: "tent.bind", "tent.fade", "tent.eltol", "eleje.bind",
// "eleje.eltol".
void bindTitleScenes();

// Whether `tent.bind` (respectively `eleje.bind`) is above 0.7.
bool titleSceneActive();
bool openingSceneActive();

// The title particle scene in three steps, called while the scene target is
// bound (the first two) and after leaving it (the composite).
void drawTitleBackground();
void drawTitleParticles();
void compositeTitleScene();

// The opening scene, straight to the screen; applies "cam1" on the way.
void drawOpeningScene();

// The program "particle1", which the duck scene uses too.
NGcomp::drawShader* particleProgram();

}  // namespace scenes
