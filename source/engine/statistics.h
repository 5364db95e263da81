#pragma once

#include <cstddef>
#include <cstdint>

// The statistics overlay: frame rate, the last frame's polygon and vertex
// counts and the music position, in white 8x8-font text over a
// half-transparent black box in the top-left corner of the picture.

namespace FWmodel {
class text;
}
namespace FWrender {
class texture;
}
namespace gfx {
struct screenQuad;
}

constexpr int statTextCount = 12;

// The overlay's texts (labels 0-2, 7, 9; values 3-6, 8, 10; 11 unused); null
// outside createStatistics .. deleteStatistics.
extern FWmodel::text* statTexts[statTextCount];
// The embedded-font atlas all texts share; made once and kept for the run,
// like every texture.
extern FWrender::texture* statFont;
// The box behind the texts.
extern gfx::screenQuad* statBox;

// Builds the font atlas (first call only), the 12 texts and the box. Needs a
// current context with the GL layer set up; compiles 12 x 256 display lists.
// Calling it again replaces the texts and the box.
void createStatistics();

// Formats the values into the value texts. Allocates nothing.
void updateStatistics(int32_t framesPerSecond, float frameTime, int32_t polygons,
                      int32_t vertices, float seconds, int32_t rowIndex, float rowPosition);

// The music position as pattern / row within the pattern : row position
// (eight rows to a pattern), as the overlay shows it.
void formatRowPosition(char* out, size_t capacity, int32_t rowIndex, float rowPosition);

// Draws the box and then the texts over the current picture, with blending
// left on. Adds the box's polygons to the frame's count.
void drawStatistics();

// Deletes the texts (with their display lists) and the box; the font stays.
void deleteStatistics();

// True while the texts exist (between createStatistics and deleteStatistics).
bool statisticsExist();
