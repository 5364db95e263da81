#include "api/gl/display.h"
#include "api/gl/state.h"
#include "api/model/embedded_font.h"
#include "api/model/text.h"
#include "api/render/texture.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testing_support::pixelAt;

// The glyph of the second set with `code`, as eight rows of bits.
const uint8_t* glyph(int code) { return FWmodel::embeddedFont() + 2048 + code * 8; }

TEST(EmbeddedFont, LettersDigitsAndSymbolsAreInTheirScreenCodes) {
  // Every used glyph has ink, and no two used glyphs look the same.
  std::vector<std::string> seen;
  for (int code = 0; code < 96; ++code) {
    if (code == 64) continue;
    const std::string bits(reinterpret_cast<const char*>(glyph(code)), 8);
    if (code == 32) {
      EXPECT_EQ(bits, std::string(8, '\0')) << "space";
      continue;
    }
    EXPECT_NE(bits, std::string(8, '\0')) << "code " << code << " is empty";
    for (const std::string& other : seen) EXPECT_NE(bits, other) << "code " << code;
    seen.push_back(bits);
  }
  // The first set has capitals where the second has small letters.
  EXPECT_EQ(std::memcmp(FWmodel::embeddedFont() + 1 * 8, glyph(65), 8), 0);
  // 128-255 are inverse video.
  for (int row = 0; row < 8; ++row) EXPECT_EQ(glyph(128 + 65)[row], uint8_t(~glyph(65)[row]));
}

TEST(EmbeddedFont, AsciiMapsToScreenCodes) {
  EXPECT_EQ(FWmodel::glyphCodeForAscii('@'), 0);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('a'), 1);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('z'), 26);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('`'), 0);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('{'), 27);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('A'), 65);
  EXPECT_EQ(FWmodel::glyphCodeForAscii('5'), '5');
  EXPECT_EQ(FWmodel::glyphCodeForAscii('_'), 95);
}

TEST(EmbeddedFont, AtlasHoldsAsciiCellsAndNothingElse) {
  const FWmodel::fontAtlas atlas = FWmodel::buildEmbeddedFontAtlas();
  ASSERT_EQ(atlas.size, 128);
  EXPECT_EQ(atlas.cellWidth, 0.0625f);
  // Cell 33 ('A') at row 2, column 1.
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      const int expected = (glyph(65)[row] >> (7 - column)) & 1;
      EXPECT_EQ(atlas.pixels[(16 + row) * 128 + 8 + column], expected);
    }
  }
  // Cells 96 and beyond are empty.
  for (size_t i = 6 * 8 * 128; i < atlas.pixels.size(); ++i) ASSERT_EQ(atlas.pixels[i], 0);
}

class TextDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    const FWmodel::fontAtlas atlas = FWmodel::buildEmbeddedFontAtlas();
    std::vector<uint8_t> rgba(atlas.pixels.size() * 4);
    for (size_t i = 0; i < atlas.pixels.size(); ++i) {
      for (int c = 0; c < 4; ++c) rgba[i * 4 + c] = atlas.pixels[i] ? 255 : 0;
    }
    atlasTexture_.params.width = atlasTexture_.params.height = atlas.size;
    atlasTexture_.params.channels = 4;
    atlasTexture_.params.magFilter = atlasTexture_.params.minFilter = 1;
    atlasTexture_.glId = gfx::createTexture(atlasTexture_.params, rgba.data());
    label_.buildGlyphLists(&atlasTexture_, atlas.cellWidth, atlas.cellHeight);
    label_.pixelMode = 1;
    label_.glyphWidth = label_.glyphHeight = 8;
    label_.advance = 8;
    label_.x = 16;
    label_.y = 24;
    gfx::clearScreen(0, 0, 0);
  }
  void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }

  // Whether the 8x8 cell `index` places right of the text's origin shows
  // exactly glyph `code`.
  ::testing::AssertionResult cellShows(int index, int code) {
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 8; ++column) {
        const bool expected = (glyph(code)[row] >> (7 - column)) & 1;
        const bool ink = pixelAt(16 + index * 8 + column, 24 + row).r > 127;
        if (ink != expected) {
          return ::testing::AssertionFailure() << "cell " << index << " row " << row
                                               << " column " << column << " differs";
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
  bool cellEmpty(int index) {
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 8; ++column) {
        if (pixelAt(16 + index * 8 + column, 24 + row).r != 0) return false;
      }
    }
    return true;
  }

  FWrender::texture atlasTexture_;
  FWmodel::text label_;
};

TEST_F(TextDrawing, FiveCharactersCoverFiveAdjacentCells) {
  label_.setString("HELLO");
  label_.draw();
  EXPECT_TRUE(cellShows(0, 'H'));
  EXPECT_TRUE(cellShows(1, 'E'));
  EXPECT_TRUE(cellShows(2, 'L'));
  EXPECT_TRUE(cellShows(3, 'L'));
  EXPECT_TRUE(cellShows(4, 'O'));
  EXPECT_TRUE(cellEmpty(5));
  EXPECT_TRUE(cellEmpty(-1));
}

TEST_F(TextDrawing, SmallLettersAndTheBackquote) {
  label_.setString("ab`");
  label_.draw();
  EXPECT_TRUE(cellShows(0, 1));
  EXPECT_TRUE(cellShows(1, 2));
  EXPECT_TRUE(cellShows(2, 0));  // the backquote shows the at sign
}

TEST_F(TextDrawing, HighCodesOnlyAdvance) {
  label_.setString("A\xC8\xFF" "B");
  label_.draw();
  EXPECT_TRUE(cellShows(0, 'A'));
  EXPECT_TRUE(cellEmpty(1));
  EXPECT_TRUE(cellEmpty(2));
  EXPECT_TRUE(cellShows(3, 'B'));
}

TEST_F(TextDrawing, TheColourTintsTheGlyphs) {
  label_.color[1] = 0.0f;  // magenta
  label_.setString("W");
  label_.draw();
  const testing_support::rgba ink = pixelAt(16 + 1, 24 + 0);  // top-left stroke of the W
  EXPECT_EQ(ink.r, 255);
  EXPECT_EQ(ink.g, 0);
  EXPECT_EQ(ink.b, 255);
}

TEST_F(TextDrawing, AnEmptyStringDrawsOnlyTheEmptyCellOfCodeZero) {
  label_.setString("");
  label_.draw();
  EXPECT_TRUE(cellEmpty(0));
}

}  // namespace
