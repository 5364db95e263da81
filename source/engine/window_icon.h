#pragma once

#include <cstdint>
#include <vector>

// The window's icon: the show's badge from the package, 32 x 32.

constexpr int windowIconSide = 32;

// Shrinks a width x height picture with `channels` bytes per pixel and an
// optional alpha plane (one byte per pixel, may be null: opaque) to a
// side x side RGBA icon by averaging each cell. Costs one pass over the
// picture.
std::vector<uint8_t> shrinkToIcon(const uint8_t* pixels, const uint8_t* alpha, int width,
                                  int height, int channels, int side);

// Reads badge12.png and its alpha companion from the open package and gives
// the main window that icon. A package without them leaves the desktop's
// default icon, with a note on stderr; never halts. Decodes two 512 x 512
// pictures (milliseconds).
void showBadgeAsWindowIcon();
