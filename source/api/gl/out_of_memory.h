#pragma once

namespace gfx {

// Reads every pending GL error and throws code 2 (out of memory) when one
// of them was GL_OUT_OF_MEMORY; the others are dropped. A few glGetError
// calls: once per created texture, loaded item or frame, not per draw.
void throwIfOutOfMemory();

}  // namespace gfx
