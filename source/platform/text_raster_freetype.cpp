#include "platform/text_raster.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <string>

namespace platform {

namespace {

// Windows-1252 code points for the bytes 0x80..0x9F; the rest is Latin-1.
const uint16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

uint32_t codePointOf(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) ? cp1252High[byte - 0x80] : byte;
}

struct fontFile {
  std::string path;
  int index = 0;
  bool bold = false;    // the face itself is bold
  bool italic = false;  // the face itself is italic or oblique
};

bool findFont(const textRequest& request, fontFile* found) {
  if (!FcInit()) return false;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(request.faceName));
  if (pattern == nullptr) return false;
  FcPatternAddInteger(pattern, FC_WEIGHT, request.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* file = nullptr;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
  const bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch;
  if (ok) {
    found->path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &found->index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &slant);
    found->bold = weight >= FC_WEIGHT_DEMIBOLD;
    found->italic = slant != FC_SLANT_ROMAN;
  }
  FcPatternDestroy(match);
  return ok;
}

// Sizes the face so that ascent plus descent (the desktop's "cell height")
// is `cellHeight` pixels; returns the ascent in pixels.
int sizeForCellHeight(FT_Face face, int32_t cellHeight) {
  int ascent = face->ascender;
  int descent = -face->descender;
  if (const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
    if (os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
  }
  const int units = std::max(1, ascent + descent);
  const long emPixels64 =
      static_cast<long>(cellHeight) * 64 * face->units_per_EM / units;  // 26.6 fixed point
  FT_Set_Char_Size(face, 0, std::max(64L, emPixels64), 72, 72);
  return static_cast<int>((static_cast<long>(ascent) * cellHeight + units / 2) / units);
}

// Adds a glyph's coverage to the buffer as white drawn over what is there.
void blend(const FT_Bitmap& glyph, int left, int top, uint8_t* pixels, int32_t width,
           int32_t height) {
  for (unsigned row = 0; row < glyph.rows; ++row) {
    const int y = top + static_cast<int>(row);
    if (y < 0 || y >= height) continue;
    for (unsigned column = 0; column < glyph.width; ++column) {
      const int x = left + static_cast<int>(column);
      if (x < 0 || x >= width) continue;
      const int coverage = glyph.buffer[row * static_cast<unsigned>(glyph.pitch) + column];
      uint8_t* pixel = pixels + (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4;
      const int value = pixel[0] + coverage * (255 - pixel[0]) / 255;
      pixel[0] = pixel[1] = pixel[2] = static_cast<uint8_t>(value);
    }
  }
}

}  // namespace

bool rasterizeText(const textRequest& request, uint8_t* pixels, int32_t width, int32_t height) {
  if (request.text == nullptr || pixels == nullptr || request.cellHeight <= 0) return false;
  fontFile font;
  if (!findFont(request, &font)) return false;

  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) return false;
  FT_Face face = nullptr;
  if (FT_New_Face(library, font.path.c_str(), font.index, &face) != 0) {
    FT_Done_FreeType(library);
    return false;
  }
  const int ascent = sizeForCellHeight(face, request.cellHeight);
  // A face without a real italic is slanted the way desktops synthesise it.
  FT_Matrix shear{0x10000, 0x5800, 0, 0x10000};
  const bool synthItalic = request.italic && !font.italic;
  const bool synthBold = request.bold && !font.bold;

  long penX64 = static_cast<long>(request.x) * 64;
  const int baseline = request.y + ascent;
  for (const char* c = request.text; *c != '\0'; ++c) {
    const FT_UInt glyphIndex = FT_Get_Char_Index(face, codePointOf(static_cast<unsigned char>(*c)));
    if (FT_Load_Glyph(face, glyphIndex, FT_LOAD_NO_BITMAP) != 0) continue;
    FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (synthItalic) FT_Outline_Transform(&slot->outline, &shear);
      if (synthBold) FT_GlyphSlot_Embolden(slot);
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0) {
      blend(slot->bitmap, static_cast<int>(penX64 >> 6) + slot->bitmap_left,
            baseline - slot->bitmap_top, pixels, width, height);
    }
    penX64 += slot->advance.x + static_cast<long>(request.extraSpacing) * 64;
  }
  FT_Done_Face(face);
  FT_Done_FreeType(library);
  return true;
}

}  // namespace platform
