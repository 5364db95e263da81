// packtool icons: the desktop icons, drawn from the show's badge, in an
// icon theme's layout (hicolor/SIZExSIZE/apps/NAME.png and
// hicolor/scalable/apps/NAME.svg).
#include "command.h"

#include "content/content_error.h"
#include "content/image_encoding.h"
#include "content/lettering.h"
#include "content/show_images.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

constexpr const char* iconName = "amberpudding";
constexpr int iconSides[] = {16, 32, 48, 64, 128, 256, 512};

// Shrinks a square RGBA picture to `side` pixels: each target pixel averages
// the source pixels whose centres fall inside it, weighted by alpha so that
// the transparent surround does not darken the rim.
std::vector<uint8_t> shrunk(const std::vector<uint8_t>& source, int sourceSide, int side) {
  std::vector<uint8_t> target(static_cast<size_t>(side) * side * 4);
  for (int y = 0; y < side; ++y) {
    const int top = y * sourceSide / side, bottom = (y + 1) * sourceSide / side;
    for (int x = 0; x < side; ++x) {
      const int left = x * sourceSide / side, right = (x + 1) * sourceSide / side;
      double sum[4] = {0, 0, 0, 0};
      for (int sy = top; sy < bottom; ++sy) {
        for (int sx = left; sx < right; ++sx) {
          const uint8_t* p = &source[(static_cast<size_t>(sy) * sourceSide + sx) * 4];
          for (int c = 0; c < 3; ++c) sum[c] += p[c] * p[3];
          sum[3] += p[3];
        }
      }
      uint8_t* q = &target[(static_cast<size_t>(y) * side + x) * 4];
      const double count = static_cast<double>(bottom - top) * (right - left);
      for (int c = 0; c < 3; ++c) q[c] = sum[3] > 0 ? static_cast<uint8_t>(sum[c] / sum[3] + 0.5) : 0;
      q[3] = static_cast<uint8_t>(sum[3] / count + 0.5);
    }
  }
  return target;
}

std::string base64(const std::string& bytes) {
  static const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= static_cast<uint8_t>(bytes[i + 2]);
    text += digits[(group >> 18) & 63];
    text += digits[(group >> 12) & 63];
    text += i + 1 < bytes.size() ? digits[(group >> 6) & 63] : '=';
    text += i + 2 < bytes.size() ? digits[group & 63] : '=';
  }
  return text;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file << bytes;
  if (!file.flush()) throw content::contentError(path.string() + ": cannot write");
}

int icons(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1 || arguments[0].empty() || arguments[0][0] == '-') {
    std::fprintf(stderr, "packtool icons: name the folder to write (one argument)\n");
    return 2;
  }
  const fs::path themes = fs::path(arguments[0]) / "hicolor";
  try {
    int badgeSide = 0;
    const std::vector<uint8_t> badge = content::makeBadgeRgba(content::lettering::showFontPath(), &badgeSide);
    for (int side : iconSides) {
      const std::string size = std::to_string(side) + "x" + std::to_string(side);
      const std::string name = std::string(iconName) + ".png";
      writeFile(themes / size / "apps" / name,
                content::encodePng(side, side, 4, shrunk(badge, badgeSide, side), name));
    }
    // The scalable icon carries the full-size badge: the theme scales it
    // to any size from there.
    const std::string png = content::encodePng(badgeSide, badgeSide, 4, badge, "scalable icon");
    const std::string side = std::to_string(badgeSide);
    writeFile(themes / "scalable" / "apps" / (std::string(iconName) + ".svg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + side + "\" height=\"" + side +
                  "\" viewBox=\"0 0 " + side + " " + side + "\">\n<image width=\"" + side +
                  "\" height=\"" + side + "\" href=\"data:image/png;base64," + base64(png) +
                  "\"/>\n</svg>\n");
  } catch (const content::contentError& error) {
    std::fprintf(stderr, "packtool icons: %s\n", error.what());
    return 1;
  } catch (const fs::filesystem_error& error) {
    std::fprintf(stderr, "packtool icons: %s\n", error.what());
    return 1;
  }
  return 0;
}

const packtoolCommand command("icons", "FOLDER",
                              "writes the desktop icons, drawn from the party badge, into "
                              "FOLDER/hicolor (PNG sizes 16 to 512 and a scalable SVG)",
                              icons);

}  // namespace
