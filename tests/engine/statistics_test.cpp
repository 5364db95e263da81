// The statistics overlay and the loading bar, drawn headless and read back.
#include "engine/statistics.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/screen_quad.h"
#include "api/gl/state.h"
#include "api/model/embedded_font.h"
#include "api/model/text.h"
#include "api/render/texture.h"
#include "engine/errors.h"
#include "engine/loading_bar.h"
#include "engine/music.h"
#include "engine/shell.h"
#include "engine/virtual_clock.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using testing_support::pixelAt;

std::string rowText(int32_t rowIndex, float rowPosition) {
  char buffer[64];
  formatRowPosition(buffer, sizeof buffer, rowIndex, rowPosition);
  return buffer;
}

TEST(StatisticsFormat, PatternRowAndPosition) {
  EXPECT_EQ(rowText(1, 1.0f), "   0 /  1 : 1.00000");
  EXPECT_EQ(rowText(17, 17.25f), "   2 /  1 : 17.25000");
  EXPECT_EQ(rowText(8, 7.5f), "   1 /  0 : 7.50000");
  EXPECT_EQ(rowText(12345, 12345.125f), "1543 /  1 : 12345.12500");
}

class StatisticsDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    createStatistics();
  }
  void TearDown() override {
    deleteStatistics();
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  // Whether the glyph for `ascii`, drawn `size` pixels large at (x, y)
  // (viewport pixels from the picture's top-left), shows exactly its ink:
  // white where the font has a pixel, `paper` elsewhere. Samples each font
  // pixel's centre.
  ::testing::AssertionResult glyphAt(int x, int y, int size, char ascii, uint8_t paper,
                                     int top = 0) {
    const uint8_t* rows =
        FWmodel::embeddedFont() + 2048 + FWmodel::glyphCodeForAscii(ascii) * 8;
    const int step = size / 8;
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 8; ++column) {
        const bool ink = (rows[row] >> (7 - column)) & 1;
        const auto seen = pixelAt(x + column * step + step / 2, top + y + row * step + step / 2);
        const int expected = ink ? 255 : paper;
        const bool right = ink ? seen.r >= 253 && seen.g >= 253 && seen.b >= 253
                               : std::abs(seen.r - paper) <= 2 && seen.g <= 2;
        if (!right) {
          return ::testing::AssertionFailure()
                 << "'" << ascii << "' row " << row << " column " << column << ": " << int(seen.r)
                 << " instead of " << expected;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(StatisticsDrawing, AllTextsShareOneNearestFilteredFontTexture) {
  ASSERT_TRUE(statisticsExist());
  ASSERT_NE(statFont, nullptr);
  EXPECT_NE(statFont->glId, 0u);
  EXPECT_EQ(statFont->params.width, 128);
  EXPECT_EQ(statFont->params.channels, 4);
  for (const FWmodel::text* each : statTexts) EXPECT_EQ(each->font, statFont);
  glBindTexture(GL_TEXTURE_2D, statFont->glId);
  GLint filter = 0;
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
  EXPECT_EQ(filter, GL_NEAREST);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
  EXPECT_EQ(filter, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
}

TEST_F(StatisticsDrawing, UpdateFormatsEveryValue) {
  updateStatistics(59, 0.0f, 1234, 5678, 12.5f, 17, 17.25f);
  EXPECT_STREQ(statTexts[3]->string, "59");
  EXPECT_STREQ(statTexts[4]->string, " 0.0");
  EXPECT_STREQ(statTexts[5]->string, "1234");
  EXPECT_STREQ(statTexts[6]->string, "5678");
  EXPECT_STREQ(statTexts[8]->string, "12.50");
  EXPECT_STREQ(statTexts[10]->string, "   2 /  1 : 17.25000");
  EXPECT_STREQ(statTexts[0]->string, "FPS");  // labels stay
}

TEST_F(StatisticsDrawing, TextsSitOnAHalfTransparentBoxInTheTopLeftCorner) {
  gfx::clearScreen(1, 0, 0);
  updateStatistics(60, 0.0f, 42, 7, 3.25f, 1, 1.0f);
  drawStatistics();
  // The box halves the red picture; outside it the picture is untouched.
  const auto box = pixelAt(240, 90);
  EXPECT_NEAR(box.r, 128, 2);
  EXPECT_EQ(box.g, 0);
  EXPECT_EQ(pixelAt(251, 50).r, 255);
  EXPECT_EQ(pixelAt(100, 101).r, 255);
  EXPECT_NEAR(pixelAt(249, 99).r, 128, 2);
  // The texts, white on the box.
  EXPECT_TRUE(glyphAt(1, 1, 16, 'F', 128));
  EXPECT_TRUE(glyphAt(17, 1, 16, 'P', 128));
  EXPECT_TRUE(glyphAt(65, 1, 16, '6', 128));
  EXPECT_TRUE(glyphAt(81, 1, 16, '0', 128));
  EXPECT_TRUE(glyphAt(1, 17, 8, 'p', 128));
  EXPECT_TRUE(glyphAt(81, 17, 8, '4', 128));
  EXPECT_TRUE(glyphAt(89, 17, 8, '2', 128));
  EXPECT_TRUE(glyphAt(81, 25, 8, '7', 128));
  EXPECT_TRUE(glyphAt(1, 33, 8, 't', 128));
  EXPECT_TRUE(glyphAt(81 + 8, 33, 8, '.', 128));
  EXPECT_TRUE(glyphAt(1 + 4 * 8, 41, 8, '/', 128));
  EXPECT_TRUE(glyphAt(81 + 3 * 8, 41, 8, '0', 128));  // pattern 0, right-aligned in four
  EXPECT_TRUE(glyphAt(81 + 8 * 8, 41, 8, '1', 128));  // row 1
  EXPECT_TRUE(glyphAt(81 + 13 * 8, 41, 8, '.', 128));
}

TEST_F(StatisticsDrawing, OnALetterboxedScreenTheOverlayFollowsThePicture) {
  // A 4:3 monitor: 96-pixel bars above and below the 16:9 picture.
  gfx::setupViewport(1024, 768, 4.0f / 3.0f);
  ASSERT_EQ(gfx::viewportY, 96);
  createStatistics();
  gfx::clearScreen(1, 0, 0);
  drawStatistics();
  EXPECT_EQ(pixelAt(100, 50).r, 0);            // the bar stays black
  EXPECT_NEAR(pixelAt(240, 96 + 90).r, 128, 2);  // box inside the picture
  EXPECT_EQ(pixelAt(240, 96 + 101).r, 255);
  EXPECT_TRUE(glyphAt(1, 1, 16, 'F', 128, 96));
}

TEST_F(StatisticsDrawing, CreatingAgainReplacesTheTextsAndKeepsTheFont) {
  FWrender::texture* font = statFont;
  const uint32_t name = font->glId;
  createStatistics();
  EXPECT_EQ(statFont, font);
  EXPECT_EQ(statFont->glId, name);
  EXPECT_TRUE(statisticsExist());
  deleteStatistics();
  EXPECT_FALSE(statisticsExist());
  for (FWmodel::text* each : statTexts) EXPECT_EQ(each, nullptr);
  EXPECT_EQ(statBox, nullptr);
  drawStatistics();  // nothing left to draw, and no harm done
  updateStatistics(1, 0, 0, 0, 0, 1, 1);
}

class LoadingBar : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::clearScreen(0, 0, 0);
  }
  // The virtual 800 x 600 screen (y up) to window pixels from the top-left.
  static testing_support::rgba at(float x, float y) {
    return pixelAt(static_cast<int>(x * 1024.0f / 800.0f),
                   static_cast<int>((600.0f - y) * 768.0f / 600.0f));
  }
  static bool white(testing_support::rgba p) { return p.r > 200 && p.g > 200 && p.b > 200; }
  // Whether the outline crosses the column or row through a point.
  static bool lineNear(float x, float y, bool horizontal) {
    for (int d = -3; d <= 3; ++d) {
      const auto p = horizontal ? at(x, y + d * 0.5f) : at(x + d * 0.5f, y);
      if (white(p)) return true;
    }
    return false;
  }
};

TEST_F(LoadingBar, AtZeroOnlyTheOutlineIsDrawn) {
  drawProgressBar(0.0f);
  EXPECT_TRUE(lineNear(400, 285, true));
  EXPECT_TRUE(lineNear(400, 315, true));
  EXPECT_TRUE(lineNear(95, 300, false));
  EXPECT_TRUE(lineNear(705, 300, false));
  for (float x : {101.0f, 150.0f, 400.0f, 699.0f}) EXPECT_FALSE(white(at(x, 300))) << x;
  EXPECT_FALSE(white(at(400, 200)));
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LoadingBar, AtHalfTheFillReachesTheMiddle) {
  const GLboolean texturingBefore = glIsEnabled(GL_TEXTURE_2D);
  GLboolean depthWritesBefore = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWritesBefore);
  drawProgressBar(0.5f);
  for (float x : {101.0f, 250.0f, 398.0f}) EXPECT_TRUE(white(at(x, 300))) << x;
  for (float x : {402.0f, 500.0f, 699.0f}) EXPECT_FALSE(white(at(x, 300))) << x;
  EXPECT_TRUE(white(at(300, 291)));
  EXPECT_FALSE(white(at(300, 287)));  // the gap between fill and outline
  EXPECT_TRUE(lineNear(705, 300, false));
  // The 2D bracket put the state back.
  EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), texturingBefore);
  GLboolean depthWrites = GL_FALSE;
  glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
  EXPECT_EQ(depthWrites, depthWritesBefore);
}

TEST(StatisticsAtShutdown, TheOverlayIsDeletedBeforeTheProcessEnds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (!testing_support::headlessGl()) std::exit(3);
        gfx::setupViewport(1024, 768, gfx::aspect16by9);
        createStatistics();
        if (!statisticsExist()) std::exit(4);
        // The last thing before exit: report what is left of the overlay.
        haltTeardown = [] {
          std::fprintf(stderr, statisticsExist() || statTexts[0] != nullptr ? "overlay left\n"
                                                                             : "overlay gone\n");
        };
        shutdown();
      },
      ::testing::ExitedWithCode(0), "overlay gone");
}

}  // namespace
