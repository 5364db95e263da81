#include "engine/statistics.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/screen_quad.h"
#include "api/gl/state.h"
#include "api/model/embedded_font.h"
#include "api/model/text.h"
#include "api/render/texture.h"
#include "api/texture/bitmap.h"
#include "api/texture/palette.h"
#include "api/texture/upload.h"
#include "engine/errors.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

FWmodel::text* statTexts[statTextCount] = {};
FWrender::texture* statFont = nullptr;
gfx::screenQuad* statBox = nullptr;

namespace {

// The palette kind with four bytes (RGBA) per entry: ink white and opaque,
// paper black and fully transparent.
constexpr int32_t rgbaPalette = 4;

FWrender::texture* makeFontTexture() {
  const FWmodel::fontAtlas atlas = FWmodel::buildEmbeddedFontAtlas();
  FWtexture::iBitmap image;
  image.width = std::min(atlas.size, image.maxSize > 0 ? image.maxSize : atlas.size);
  image.height = image.width;
  image.channels = 4;
  image.pixels = static_cast<uint8_t*>(
      std::malloc(static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * 4));
  if (image.pixels == nullptr) throw errorCode::outOfMemory;
  // Row by row, so a driver limit below the atlas size crops instead of
  // shearing the glyphs.
  for (int32_t row = 0; row < image.height; ++row) {
    FWtexture::expandPalette(atlas.pixels.data() + static_cast<size_t>(row) * atlas.size,
                             image.pixels + static_cast<size_t>(row) * image.width * 4, image,
                             rgbaPalette, image.width);
  }
  auto* font = new FWrender::texture;
  font->params.magFilter = FWrender::filterNearest;
  font->params.minFilter = FWrender::filterNearest;
  font->params.generateMipmap = false;
  FWtexture::uploadBitmap(image, *font);
  return font;
}

FWmodel::text* makeText(float cellWidth, float cellHeight) {
  auto* made = new FWmodel::text;
  made->buildGlyphLists(statFont, cellWidth, cellHeight);
  made->pixelMode = 1;
  made->x = 0.0f;
  made->y = 0.0f;
  made->glyphWidth = 8.0f;
  made->glyphHeight = 8.0f;
  made->advance = 8.0f;
  return made;
}

void place(int index, const char* value, float x, float y, float glyphSize) {
  FWmodel::text* target = statTexts[index];
  target->setString(value);
  target->x = x;
  target->y = y;
  target->glyphWidth = glyphSize;
  target->glyphHeight = glyphSize;
  target->advance = glyphSize;
}

void setText(int index, const char* value) {
  if (statTexts[index] != nullptr) statTexts[index]->setString(value);
}

}  // namespace

void createStatistics() {
  deleteStatistics();
  const float cell = 0.0625f;
  if (statFont == nullptr) statFont = makeFontTexture();
  for (FWmodel::text*& slot : statTexts) slot = makeText(cell, cell);

  place(0, "FPS", 1, 1, 16);
  place(3, "", 65, 1, 16);
  place(4, "", 161, 1, 16);
  place(1, "polygons:", 1, 17, 8);
  place(2, "vertices:", 1, 25, 8);
  place(7, "time:", 1, 33, 8);
  place(9, "patt/row:", 1, 41, 8);
  place(5, "", 81, 17, 8);
  place(6, "", 81, 25, 8);
  place(8, "", 81, 33, 8);
  place(10, "", 81, 41, 8);

  statBox = new gfx::screenQuad;
  statBox->pixelMode = 1;
  gfx::layoutScreenQuad(*statBox);
  statBox->x = 0.0f;
  statBox->y = 0.0f;
  statBox->scaleX = 250.0f;
  statBox->scaleY = 100.0f;
  statBox->color[0] = 0.0f;
  statBox->color[1] = 0.0f;
  statBox->color[2] = 0.0f;
  statBox->color[3] = 0.5f;
}

void formatRowPosition(char* out, size_t capacity, int32_t rowIndex, float rowPosition) {
  // '#' means nothing to %d in the C library we use; the string stays as
  // the overlay has always had it, so the compiler's check is silenced here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat"
  std::snprintf(out, capacity, "%#4d / %2d : %#4.5f", rowIndex >> 3, rowIndex & 7,
                static_cast<double>(rowPosition));
#pragma GCC diagnostic pop
}

void updateStatistics(int32_t framesPerSecond, float frameTime, int32_t polygons,
                      int32_t vertices, float seconds, int32_t rowIndex, float rowPosition) {
  char buffer[FWmodel::text::capacity];
  std::snprintf(buffer, sizeof buffer, "%d", framesPerSecond);
  setText(3, buffer);
  std::snprintf(buffer, sizeof buffer, "%4.1f", static_cast<double>(frameTime));
  setText(4, buffer);
  std::snprintf(buffer, sizeof buffer, "%d", polygons);
  setText(5, buffer);
  std::snprintf(buffer, sizeof buffer, "%d", vertices);
  setText(6, buffer);
  std::snprintf(buffer, sizeof buffer, "%.2f", static_cast<double>(seconds));
  setText(8, buffer);
  formatRowPosition(buffer, sizeof buffer, rowIndex, rowPosition);
  setText(10, buffer);
}

void drawStatistics() {
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfx::enableCapability(GL_BLEND);
  if (statBox != nullptr) gfx::drawScreenQuad(*statBox);
  for (FWmodel::text* each : statTexts) {
    if (each != nullptr) each->draw();
  }
}

void deleteStatistics() {
  for (FWmodel::text*& slot : statTexts) {
    delete slot;
    slot = nullptr;
  }
  delete statBox;
  statBox = nullptr;
}

bool statisticsExist() {
  return std::all_of(std::begin(statTexts), std::end(statTexts),
                     [](const FWmodel::text* each) { return each != nullptr; }) &&
         statBox != nullptr;
}
