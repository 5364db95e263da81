#pragma once

#include <cstdint>

// The show draws at its render size (screenWidth x screenHeight) whatever
// size the window has. When the window's drawable is another size (full
// screen on a monitor whose mode was kept), frames are drawn into an
// offscreen canvas of the render size and scaled onto the whole window
// just before each swap.

namespace gfx {

// The framebuffer that stands for the window while the show draws: 0 (the
// window) unless a canvas is open. Passes that draw into targets of their
// own return to it.
extern uint32_t screenFramebuffer;

// Opens a canvas of the render size, multisampled like the window's format
// when that is in use, and binds it, when the window's drawable
// (outputWidth x outputHeight) differs from the render size; otherwise
// nothing. Needs the context current and the extensions loaded. False,
// with the window still the screen, when the driver lacks framebuffer
// objects or blits, or the canvas cannot be completed.
bool openScreenCanvas(int32_t outputWidth, int32_t outputHeight);

bool screenCanvasOpen();

// Before the swap: scales the canvas (resolved first when multisampled)
// onto the whole window with linear filtering, then binds the canvas again.
// Nothing without a canvas. Costs one pass over the window's pixels.
void presentScreenCanvas();

// Deletes the canvas; the window is the screen again. Safe without one.
void closeScreenCanvas();

}  // namespace gfx
