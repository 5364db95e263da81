#include "content/image_encoding.h"
#include "content/lettering.h"
#include "content/raster.h"
#include "content/shapes.h"
#include "content/show_images.h"
#include "content/show_palette.h"

#include <algorithm>
#include <cmath>

namespace content {

namespace {

constexpr int creditSize = 1024;
// The lettering keeps to the right of the picture: the opening's turning title
// passes on the left half of the screen, beside the credit column.
constexpr float widest = 440;        // ink width no line may pass
constexpr float letteringCentre = 760;  // x of the middle of every line

enum class lineKind { role, note, rule };

struct creditLine {
  lineKind kind;
  std::string text;
  float pixelHeight;
  float gapBefore;
};

struct creditPicture {
  std::string colourName;
  std::string alphaName;
  std::vector<creditLine> lines;
  bool fromTop = false;  // lettering from the top edge rather than centred
};

// The credits name roles and the show, never people.
const creditPicture credits[] = {
    {"image_01.jpg", "image_01a.jpg",
     {{lineKind::role, "Amber", 250, 0},
      {lineKind::role, "Pudding", 250, 40},
      {lineKind::rule, "", 0, 60},
      {lineKind::note, "a real-time show", 66, 50}}},
    {"image_02.jpg", "image_02a.jpg",
     {{lineKind::role, "code", 230, 0},
      {lineKind::note, "C++ and OpenGL", 60, 30},
      {lineKind::rule, "", 0, 70},
      {lineKind::role, "music", 230, 70},
      {lineKind::note, "our own synthesiser", 60, 30}}},
    // The bar that closes the opening covers the last picture from 0.316 of
    // its height down, so its lettering keeps to the top.
    {"image_03.jpg", "image_03a.jpg",
     {{lineKind::role, "graphics", 210, 12},
      {lineKind::note, "drawn by code", 48, 14},
      {lineKind::rule, "", 0, 20},
      {lineKind::note, "Amber Pudding", 54, 20},
      {lineKind::note, "for Lanternfest12", 42, 10}},
     true},
};

textMask fitted(const lettering& face, const std::string& text, float pixelHeight) {
  textMask mask = face.renderLine(text, pixelHeight);
  const int ink = mask.inkRight - mask.inkLeft;
  if (ink > widest) mask = face.renderLine(text, pixelHeight * widest / static_cast<float>(ink));
  return mask;
}

struct placedLine {
  const creditLine* line;
  textMask mask;
  int height;
};

namedFile encodeColour(const std::string& name, const picture& image) {
  return namedFile{name, encodeJpeg(image.width, image.height, 3, toBytes(image), 93, name)};
}

std::vector<namedFile> drawCredit(const lettering& face, const creditPicture& credit) {
  const float ruleHalfWidth = 150, ruleHalfHeight = 3.5f;
  std::vector<placedLine> placed;
  float total = 0;
  for (const creditLine& line : credit.lines) {
    placedLine p{&line, {}, 0};
    if (line.kind == lineKind::rule) {
      p.height = static_cast<int>(ruleHalfHeight * 2);
    } else {
      p.mask = fitted(face, line.text, line.pixelHeight);
      p.height = p.mask.inkBottom - p.mask.inkTop;
    }
    total += line.gapBefore + static_cast<float>(p.height);
    placed.push_back(std::move(p));
  }

  // Ink coverage, and the colour the ink has at each pixel.
  plane ink(creditSize, creditSize);
  picture inkColour(creditSize, creditSize, palette::honeyDeep);
  float cursor = credit.fromTop ? 0.0f : std::round((creditSize - total) / 2);
  for (const placedLine& p : placed) {
    cursor += p.line->gapBefore;
    const float top = cursor;
    const float bottom = cursor + static_cast<float>(p.height);
    if (p.line->kind == lineKind::rule) {
      const float centreY = (top + bottom) / 2;
      for (int y = static_cast<int>(top) - 2; y <= static_cast<int>(bottom) + 2; ++y) {
        for (int x = 0; x < creditSize; ++x) {
          const float d = shapes::roundedBox({x + 0.5f, y + 0.5f}, {letteringCentre, centreY}, ruleHalfWidth,
                                             ruleHalfHeight, ruleHalfHeight);
          const float c = edgeCoverage(d);
          if (c <= 0) continue;
          ink.at(x, y) = std::max(ink.at(x, y), c);
          inkColour.set(x, y, palette::cyan);
        }
      }
    } else {
      const textMask& m = p.mask;
      const int offsetX =
          static_cast<int>(letteringCentre) - (m.inkRight - m.inkLeft) / 2 - m.inkLeft;
      const int offsetY = static_cast<int>(top) - m.inkTop;
      for (int y = m.inkTop; y < m.inkBottom; ++y) {
        const float t = (y - m.inkTop + 0.5f) / static_cast<float>(p.height);
        const colour c = p.line->kind == lineKind::role ? mix(palette::honeyLight, palette::honeyDeep, t)
                                                        : mix(palette::paleCyan, palette::cyan, t * 0.6f);
        for (int x = m.inkLeft; x < m.inkRight; ++x) {
          const float coverage = m.coverage.at(x, y);
          const int cx = x + offsetX, cy = y + offsetY;
          if (coverage <= 0 || cx < 0 || cy < 0 || cx >= creditSize || cy >= creditSize) continue;
          ink.at(cx, cy) = 1 - (1 - ink.at(cx, cy)) * (1 - coverage);
          inkColour.set(cx, cy, c);
        }
      }
    }
    cursor = bottom;
  }

  // A soft brown drop shadow keeps the letters readable over bright scenes.
  const plane shadow = shifted(blurred(ink, 10), 6, 8);
  picture colourOut(creditSize, creditSize);
  plane alphaOut(creditSize, creditSize);
  for (int y = 0; y < creditSize; ++y) {
    for (int x = 0; x < creditSize; ++x) {
      const float t = ink.at(x, y);
      const float s = 0.8f * shadow.at(x, y) * (1 - t);
      const float a = t + s;
      // Where neither ink nor shadow covers, the colour stays the letters' own,
      // so the picture has no hard colour edges for the JPEG coder to smear.
      colourOut.set(x, y, mix(inkColour.at(x, y), palette::brownMid, s / std::max(a, 0.05f)));
      alphaOut.at(x, y) = a;
    }
  }
  return {encodeColour(credit.colourName, colourOut),
          namedFile{credit.alphaName,
                    encodeJpeg(creditSize, creditSize, 1, toBytes(alphaOut), 93, credit.alphaName)}};
}

}  // namespace

std::vector<namedFile> makeCreditImages(const std::string& fontPath) {
  const lettering face(fontPath);
  std::vector<namedFile> files;
  for (const creditPicture& credit : credits) {
    for (namedFile& file : drawCredit(face, credit)) files.push_back(std::move(file));
  }
  return files;
}

}  // namespace content
