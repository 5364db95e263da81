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

constexpr int badgeSize = 512;
constexpr float pi = 3.14159265f;

using shapes::at;

// Paints a line of lettering centred on (centreX, centreY) in pixels.
void paintLettering(picture& image, const textMask& m, float centreX, float centreY, const colour& ink,
                    float shadowOpacity) {
  const int width = m.inkRight - m.inkLeft, height = m.inkBottom - m.inkTop;
  const int offsetX = static_cast<int>(std::round(centreX - width / 2.0f)) - m.inkLeft;
  const int offsetY = static_cast<int>(std::round(centreY - height / 2.0f)) - m.inkTop;
  const plane shadow = shifted(blurred(m.coverage, 5), 3, 4);
  for (int y = 0; y < m.coverage.height; ++y) {
    for (int x = 0; x < m.coverage.width; ++x) {
      const int px = x + offsetX, py = y + offsetY;
      if (px < 0 || py < 0 || px >= image.width || py >= image.height) continue;
      image.blend(px, py, palette::brownDark, shadowOpacity * shadow.at(x, y));
      image.blend(px, py, ink, m.coverage.at(x, y));
    }
  }
}

textMask fittedTo(const lettering& face, const std::string& text, float pixelHeight, float width) {
  textMask mask = face.renderLine(text, pixelHeight);
  const int ink = mask.inkRight - mask.inkLeft;
  if (ink > width) mask = face.renderLine(text, pixelHeight * width / static_cast<float>(ink));
  return mask;
}

struct badgeLayers {
  picture image;
  plane alpha;
};

badgeLayers drawBadge(const std::string& fontPath) {
  const float pixel = 1.0f / badgeSize;
  const at centre{0.5f, 0.5f};
  const colour rim{0.62f, 0.32f, 0.06f};
  const colour dots{1.0f, 0.93f, 0.75f};
  const colour lanternRed{0.93f, 0.36f, 0.12f};

  picture image(badgeSize, badgeSize, rim);
  plane alpha(badgeSize, badgeSize);
  for (int y = 0; y < badgeSize; ++y) {
    for (int x = 0; x < badgeSize; ++x) {
      const at p{(x + 0.5f) * pixel, (y + 0.5f) * pixel};
      auto cover = [&](float distance) { return edgeCoverage(distance / pixel); };
      const float r = std::hypot(p.x - centre.x, p.y - centre.y);
      const float angle = std::atan2(p.y - centre.y, p.x - centre.x);
      // A scalloped edge, like a pressed party badge.
      const float edge = r - (0.475f + 0.012f * std::cos(angle * 28));
      const float face = r - 0.415f;

      colour c = mix(colour{0.78f, 0.45f, 0.1f}, rim, shapes::smoothstep(0.43f, 0.49f, r));
      const float inner = 1 - shapes::smoothstep(0.0f, 0.415f, r);
      c = mix(c, mix(palette::honeyDeep, palette::honeyLight, inner * inner), cover(face));
      c = mix(c, palette::brownMid, cover(shapes::stroke(face, 0.004f)));
      c = mix(c, palette::brownMid, 0.8f * cover(shapes::stroke(r - 0.385f, 0.0025f)));
      // A ring of pale dots on the rim.
      const float slot = std::round(angle / (2 * pi) * 28);
      const float dotAngle = slot * 2 * pi / 28;
      const at dot{centre.x + 0.445f * std::cos(dotAngle), centre.y + 0.445f * std::sin(dotAngle)};
      c = mix(c, dots, cover(shapes::circle(p, dot, 0.0085f)));
      // A paper lantern above the lettering, glowing.
      const at lantern{0.5f, 0.27f};
      const float glow = std::exp(-std::pow(std::hypot(p.x - lantern.x, p.y - lantern.y) / 0.11f, 2.0f));
      c = mix(c, colour{1.0f, 0.96f, 0.7f}, 0.55f * glow * cover(face));
      const float body = shapes::ellipse(p, lantern, 0.07f, 0.058f);
      c = mix(c, lanternRed, cover(body));
      for (float rib : {-0.035f, 0.0f, 0.035f}) {
        const float ribLine = shapes::ellipse(p, lantern, std::fabs(rib) + 0.0001f, 0.058f);
        c = mix(c, colour{0.7f, 0.2f, 0.08f}, 0.6f * cover(shapes::stroke(ribLine, 0.002f)) * cover(body));
      }
      const float caps = std::min(shapes::roundedBox(p, {0.5f, 0.207f}, 0.035f, 0.01f, 0.004f),
                                  shapes::roundedBox(p, {0.5f, 0.333f}, 0.035f, 0.01f, 0.004f));
      c = mix(c, palette::brownMid, cover(caps));
      c = mix(c, palette::brownMid, cover(shapes::roundedBox(p, {0.5f, 0.17f}, 0.0025f, 0.03f, 0.002f)));
      image.set(x, y, c);
      alpha.at(x, y) = cover(edge);
    }
  }
  const lettering letters(fontPath);
  paintLettering(image, fittedTo(letters, "Lanternfest", 86, 330), 256, 262, palette::brownMid, 0.0f);
  paintLettering(image, fittedTo(letters, "12", 150, 200), 256, 358, palette::cyan, 0.7f);
  return {image, alpha};
}

}  // namespace

std::vector<namedFile> makeBadgeImages(const std::string& fontPath) {
  const badgeLayers badge = drawBadge(fontPath);
  return {namedFile{"badge12.png", encodePng(badgeSize, badgeSize, 3, toBytes(badge.image), "badge12.png")},
          namedFile{"badge12a.png", encodePng(badgeSize, badgeSize, 1, toBytes(badge.alpha), "badge12a.png")}};
}

std::vector<uint8_t> makeBadgeRgba(const std::string& fontPath, int* side) {
  const badgeLayers badge = drawBadge(fontPath);
  const std::vector<uint8_t> rgb = toBytes(badge.image), alpha = toBytes(badge.alpha);
  std::vector<uint8_t> rgba(static_cast<size_t>(badgeSize) * badgeSize * 4);
  for (size_t i = 0; i < alpha.size(); ++i) {
    for (size_t c = 0; c < 3; ++c) rgba[i * 4 + c] = rgb[i * 3 + c];
    rgba[i * 4 + 3] = alpha[i];
  }
  *side = badgeSize;
  return rgba;
}

}  // namespace content
