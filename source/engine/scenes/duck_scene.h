#pragma once

// The duck and badge pictures over dark particles, and the white and black
// full-screen fades: the last thing of every frame.
namespace scenes {

// Start-up, last of the scene set-ups: fade quads, picture sprites,
// particles.
void setupDuckScene();

// Track binding: "feher.fade", "fekete.fade", "kacsa.fade".
void bindDuckScene();

// Every frame: the pictures when "kacsa" is active, then the fades; ends
// with blending off.
void drawDuckAndFades();

}  // namespace scenes
