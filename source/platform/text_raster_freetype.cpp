#include "platform/text_raster.h"

#include "platform/font_substitutes.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

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

struct freeType {
  FT_Library library = nullptr;
  freeType() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
  }
  ~freeType() {
    if (library != nullptr) FT_Done_FreeType(library);
  }
};

// The characters a font must have for the text: Windows-1252 decoded for a
// text font, the bytes themselves for a symbol font. Control bytes need none.
std::vector<uint32_t> charactersOf(const char* text, bool rawBytes) {
  std::vector<uint32_t> characters;
  for (const char* c = text; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    if (byte < 0x20) continue;
    characters.push_back(rawBytes ? byte : codePointOf(byte));
  }
  return characters;
}

bool covers(FcPattern* font, const std::vector<uint32_t>& characters) {
  FcCharSet* charset = nullptr;
  if (FcPatternGetCharSet(font, FC_CHARSET, 0, &charset) != FcResultMatch) return false;
  for (uint32_t character : characters) {
    if (!FcCharSetHasChar(charset, character)) return false;
  }
  return true;
}

bool hasFamily(FcPattern* font, const char* family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(font, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family)) == 0) return true;
  }
  return false;
}

// Symbol and dingbat fonts announce themselves in their encodings (a symbol
// cmap, a custom PostScript encoding) or in the symbol code page bit; their
// Unicode cmap may still map the Latin letters, to pictures.
bool isSymbolFont(FT_Library library, const char* file, int index) {
  FT_Face face = nullptr;
  if (library == nullptr || FT_New_Face(library, file, index, &face) != 0) return false;
  bool symbol = false;
  for (int i = 0; i < face->num_charmaps; ++i) {
    const FT_Encoding encoding = face->charmaps[i]->encoding;
    if (encoding == FT_ENCODING_MS_SYMBOL || encoding == FT_ENCODING_ADOBE_CUSTOM) symbol = true;
  }
  if (const auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2))) {
    if (os2->version != 0xFFFF && (os2->ulCodePageRange1 & 0x80000000UL) != 0) symbol = true;
  }
  FT_Done_Face(face);
  return symbol;
}

fontChoice describe(FT_Library library, FcPattern* font) {
  fontChoice choice;
  FcChar8* text = nullptr;
  if (FcPatternGetString(font, FC_FILE, 0, &text) != FcResultMatch) return choice;
  choice.file = reinterpret_cast<const char*>(text);
  if (FcPatternGetString(font, FC_FAMILY, 0, &text) == FcResultMatch) {
    choice.family = reinterpret_cast<const char*>(text);
  }
  int value = 0;
  if (FcPatternGetInteger(font, FC_INDEX, 0, &value) == FcResultMatch) choice.index = value;
  if (FcPatternGetInteger(font, FC_WEIGHT, 0, &value) == FcResultMatch) {
    choice.bold = value >= FC_WEIGHT_DEMIBOLD;
  }
  if (FcPatternGetInteger(font, FC_SLANT, 0, &value) == FcResultMatch) {
    choice.italic = value != FC_SLANT_ROMAN;
  }
  choice.symbol = isSymbolFont(library, choice.file.c_str(), choice.index);
  if (choice.family.empty()) choice.family = "?";
  return choice;
}

FcPattern* styledPattern(const char* family, bool bold, bool italic) {
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  return pattern;
}

// The installed face of exactly `family` closest to the style; the user's
// and the system's alias rules are left out so that no other family can
// answer. Empty when the family is not installed.
fontChoice matchFamily(FT_Library library, const char* family, bool bold, bool italic,
                       const std::vector<uint32_t>& characters, bool* covered) {
  FcPattern* pattern = styledPattern(family, bold, italic);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  fontChoice choice;
  if (match != nullptr && hasFamily(match, family)) {
    choice = describe(library, match);
    *covered = covers(match, characters);
  }
  if (match != nullptr) FcPatternDestroy(match);
  return choice;
}

// The best font fontconfig offers for a generic family that is no symbol font,
// preferring one that covers the text.
fontChoice matchGeneric(FT_Library library, const char* generic, bool bold, bool italic,
                        const std::vector<uint32_t>& characters, bool* covered) {
  FcPattern* pattern = styledPattern(generic, bold, italic);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FcPatternDestroy(pattern);
  fontChoice fallback;
  fontChoice choice;
  for (int i = 0; sorted != nullptr && i < sorted->nfont && choice.file.empty(); ++i) {
    fontChoice candidate = describe(library, sorted->fonts[i]);
    if (candidate.file.empty() || candidate.symbol) continue;
    if (covers(sorted->fonts[i], characters)) {
      choice = candidate;
    } else if (fallback.file.empty()) {
      fallback = candidate;
    }
  }
  if (sorted != nullptr) FcFontSetDestroy(sorted);
  *covered = !choice.file.empty();
  return *covered ? choice : fallback;
}

fontChoice chooseFont(FT_Library library, const textRequest& request) {
  if (!FcInit()) return fontChoice{};
  const fontSubstitute& entry = substituteFor(request.faceName);
  const char* text = request.text != nullptr ? request.text : "";
  // A symbol face is served by the table's symbol fonts, on the text's bytes.
  if (entry.symbol) {
    const std::vector<uint32_t> bytes = charactersOf(text, true);
    fontChoice firstInstalled;
    for (int32_t i = 0; i < entry.candidateCount; ++i) {
      bool covered = false;
      fontChoice choice = matchFamily(library, entry.candidates[i].family, request.bold,
                                      request.italic, bytes, &covered);
      choice.rawBytes = true;
      if (!choice.file.empty() && covered) return choice;
      if (firstInstalled.file.empty()) firstInstalled = choice;
    }
    if (!firstInstalled.file.empty()) return firstInstalled;
  }
  const std::vector<uint32_t> characters = charactersOf(text, false);
  fontChoice firstInstalled;
  if (!entry.symbol) {
    for (int32_t i = 0; i < entry.candidateCount; ++i) {
      const fontCandidate& candidate = entry.candidates[i];
      bool covered = false;
      fontChoice choice = matchFamily(library, candidate.family, request.bold || candidate.heavy,
                                      request.italic, characters, &covered);
      if (choice.file.empty() || choice.symbol) continue;
      if (covered) return choice;
      if (firstInstalled.file.empty()) firstInstalled = choice;
    }
  }
  const bool heavy = entry.candidateCount > 0 && entry.candidates[0].heavy;
  bool covered = false;
  fontChoice generic = matchGeneric(library, entry.generic, request.bold || heavy, request.italic,
                                    characters, &covered);
  return (covered || firstInstalled.file.empty()) ? generic : firstInstalled;
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

fontChoice chooseFont(const textRequest& request) {
  freeType freetype;
  return chooseFont(freetype.library, request);
}

bool rasterizeText(const textRequest& request, uint8_t* pixels, int32_t width, int32_t height) {
  if (request.text == nullptr || pixels == nullptr || request.cellHeight <= 0) return false;
  freeType freetype;
  if (freetype.library == nullptr) return false;
  const fontChoice font = chooseFont(freetype.library, request);
  if (font.file.empty()) {
    static std::atomic<bool> told{false};
    if (!told.exchange(true)) {
      std::fprintf(stderr,
                   "Text: no usable font is installed; the Debian package %s provides the "
                   "show's faces (text stays empty until then)\n",
                   substituteFor(request.faceName).package);
    }
    return false;
  }
  FT_Face face = nullptr;
  if (FT_New_Face(freetype.library, font.file.c_str(), font.index, &face) != 0) {
    std::fprintf(stderr, "Text: cannot read the font file %s\n", font.file.c_str());
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
    const auto byte = static_cast<unsigned char>(*c);
    const FT_UInt glyphIndex = FT_Get_Char_Index(face, font.rawBytes ? byte : codePointOf(byte));
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
  return true;
}

bool useFontConfiguration(const char* path) {
  FcConfig* config = nullptr;
  if (path == nullptr) {
    config = FcInitLoadConfigAndFonts();
  } else {
    config = FcConfigCreate();
    if (config != nullptr && (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path),
                                                    FcTrue) ||
                              !FcConfigBuildFonts(config))) {
      FcConfigDestroy(config);
      config = nullptr;
    }
  }
  if (config == nullptr) return false;
  // The current configuration keeps its own reference.
  const bool installed = FcConfigSetCurrent(config) == FcTrue;
  FcConfigDestroy(config);
  return installed;
}

}  // namespace platform
