#pragma once

#include "api/texture/bitmap.h"

namespace FWtexture {

// The text-texture generator: renders `text` (48-pixel cells for a 512
// pixel wide target, "Times New Roman", at the top-left) into `target`.
// A target without pixels first gets a zeroed 512 x 512 RGBA buffer
// (1 MiB); one that has pixels keeps its size and buffer. Returns what
// gen_text::generate returns. Throws 2 when the buffer cannot be had.
int makeTextTexture(bitmap& target, const char* text);

// Registers a texture generator `name` that renders `text` with
// makeTextTexture, so a texture of that name is generated instead of read
// from the package. The text is copied; registering a name again replaces
// its text; a null name registers nothing. Set-up only.
void registerTextTexture(const char* name, const char* text);

}  // namespace FWtexture
