#pragma once

// The row of turned cubes with the greeting labels, drawn through the
// post-processing chain while the cube model "gricc" is active.
namespace scenes {

// Start-up, after the title set-up: the cube model, 4096 cube records, the
// 19 labels with their text generators, the label program.
void setupGreetingsScene();

// Track binding: "griccTXT.bind", "kocka.villog", "kocka.sor".
void bindGreetingsScene();

// Whether the cube model is active (the post-processing chain runs then).
bool greetingsActive();

// Inside the post-processing scene pass: the cubes under "ssao_1".
void drawGreetingsContent();

// After the composite: the labels, when their track allows.
void drawGreetingsText();

}  // namespace scenes
