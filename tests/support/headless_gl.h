#pragma once

#include <cstdint>

// One OpenGL context for the whole test binary, on SDL's offscreen driver
// (Mesa's llvmpipe), with the GL layer set up as the show sets it up.
namespace testing_support {

constexpr int kContextWidth = 1024;
constexpr int kContextHeight = 768;

// Makes the context on first use and keeps it current. False (with the
// reason on stderr) when no context can be made.
bool headlessGl();

struct rgba {
  uint8_t r, g, b, a;
};

// What a drawing test leaves behind, undone for the next one: the GL
// layer's state reset, identity texture matrices on every unit, and the
// model-view matrix current and identity.
void resetGlBetweenTests();

// The back buffer's pixel at (x, y), counted from the top-left corner.
rgba pixelAt(int x, int y);

}  // namespace testing_support
