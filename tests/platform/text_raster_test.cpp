#include "platform/text_raster.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct inkBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  long total = 0;  // summed coverage
  double topCentre = 0, bottomCentre = 0;  // mean x of the ink in the top and bottom thirds
};

inkBox render(const platform::textRequest& request, int width = 512, int height = 128) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4, 0);
  EXPECT_TRUE(platform::rasterizeText(request, pixels.data(), width, height));
  inkBox box;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
      EXPECT_EQ(p[0], p[1]);
      EXPECT_EQ(p[1], p[2]);
      EXPECT_EQ(p[3], 0);
      if (p[0] == 0) continue;
      box.total += p[0];
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  double topSum = 0, topWeight = 0, bottomSum = 0, bottomWeight = 0;
  const int third = (box.bottom - box.top) / 3;
  for (int y = box.top; y <= box.bottom; ++y) {
    for (int x = 0; x < width; ++x) {
      const double ink = pixels[(static_cast<size_t>(y) * width + x) * 4];
      if (y < box.top + third) {
        topSum += ink * x;
        topWeight += ink;
      } else if (y > box.bottom - third) {
        bottomSum += ink * x;
        bottomWeight += ink;
      }
    }
  }
  if (topWeight > 0) box.topCentre = topSum / topWeight;
  if (bottomWeight > 0) box.bottomCentre = bottomSum / bottomWeight;
  return box;
}

platform::textRequest request(const char* text, const char* face = "Times New Roman") {
  platform::textRequest r;
  r.text = text;
  r.faceName = face;
  r.cellHeight = 48;
  r.x = 10;
  r.y = 20;
  return r;
}

TEST(TextRaster, InkStaysInsideTheCharacterCells) {
  const inkBox box = render(request("Hg"));
  ASSERT_GT(box.total, 0);
  EXPECT_GE(box.left, 10);
  EXPECT_GE(box.top, 20);
  EXPECT_LT(box.bottom, 20 + 48);
  // Cap height of a serif face at a 48-pixel cell is well over 20 pixels.
  EXPECT_GT(box.bottom - box.top, 30);
}

TEST(TextRaster, BoldItalicAndSpacingChangeTheInk) {
  const inkBox regular = render(request("Amber"));
  platform::textRequest bold = request("Amber");
  bold.bold = true;
  EXPECT_GT(render(bold).total, regular.total * 11 / 10);

  platform::textRequest spaced = request("Amber");
  spaced.extraSpacing = 10;
  const inkBox wide = render(spaced);
  EXPECT_NEAR(wide.right - regular.right, 40, 2);  // four gaps of 10 pixels
  EXPECT_EQ(wide.left, regular.left);

  // Italic leans right: the top of an "l" sits right of its foot. Both the
  // face's own italic and the synthesised slant must do that.
  for (const char* face : {"Times New Roman", "Tahoma"}) {
    platform::textRequest italic = request("l", face);
    italic.italic = true;
    const inkBox slanted = render(italic);
    EXPECT_GT(slanted.topCentre, slanted.bottomCentre + 3) << face;
    const inkBox upright = render(request("l", face));
    EXPECT_NEAR(upright.topCentre, upright.bottomCentre, 2.0) << face;
  }
}

TEST(TextRaster, EveryFaceNameFindsSomeFont) {
  for (const char* face : {"Arial", "Verdana", "Courier New", "Webdings", "Lucida Console",
                           "Tahoma", "Impact", "Wingdings", "Times New Roman",
                           "Microsoft Sans Serif", "Trebuchet MS", "Symbol"}) {
    EXPECT_GT(render(request("Ok", face)).total, 0) << face;
  }
}

TEST(TextRaster, TextOutsideTheBufferIsClippedAndNullTextDrawsNothing) {
  platform::textRequest offEdge = request("far away");
  offEdge.x = 500;
  offEdge.y = 100;
  render(offEdge);  // must not write past the buffer (checked by sanitizers)
  std::vector<uint8_t> pixels(16 * 16 * 4, 0);
  platform::textRequest none = request(nullptr);
  EXPECT_FALSE(platform::rasterizeText(none, pixels.data(), 16, 16));
}

TEST(TextRaster, HighBytesAreWindows1252) {
  // 0x80 is the euro sign in Windows-1252, which Liberation Serif has.
  EXPECT_GT(render(request("\x80")).total, 0);
}

}  // namespace
