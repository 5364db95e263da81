#include "content/lettering.h"

#include "content/content_error.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <cmath>
#include <fstream>

namespace content {

namespace {

constexpr const char* showFamily = "DejaVu Sans";
constexpr const char* debianFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

std::string fontconfigMatch() {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (config == nullptr) return "";
  std::string path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("DejaVu Sans:bold"));
  if (pattern != nullptr) {
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    if (match != nullptr) {
      FcChar8* file = nullptr;
      FcChar8* family = nullptr;
      int weight = 0;
      // Only the real face will do: a substitute would change every picture.
      if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
          FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
          FcPatternGetInteger(match, FC_WEIGHT, 0, &weight) == FcResultMatch &&
          std::string(reinterpret_cast<const char*>(family)) == showFamily && weight >= FC_WEIGHT_BOLD) {
        path = reinterpret_cast<const char*>(file);
      }
      FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
  }
  FcConfigDestroy(config);
  return path;
}

float length(float x, float y) { return std::sqrt(x * x + y * y); }

// Collects flattened contours from FreeType's outline walk.
struct outlineSink {
  std::vector<contour> contours;
  float scale = 1;
  float offsetX = 0;
  float tolerance = 0.1f;
  point2 last;

  point2 place(const FT_Vector* v) const {
    return point2{offsetX + static_cast<float>(v->x) * scale, static_cast<float>(v->y) * scale};
  }
  void add(const point2& p) {
    last = p;
    contours.back().push_back(p);
  }
  int segmentsFor(float deviation) const {
    return std::clamp(static_cast<int>(std::ceil(std::sqrt(deviation / tolerance))), 1, 64);
  }
};

int moveTo(const FT_Vector* to, void* user) {
  auto* sink = static_cast<outlineSink*>(user);
  sink->contours.emplace_back();
  sink->add(sink->place(to));
  return 0;
}

int lineTo(const FT_Vector* to, void* user) {
  auto* sink = static_cast<outlineSink*>(user);
  sink->add(sink->place(to));
  return 0;
}

int conicTo(const FT_Vector* control, const FT_Vector* to, void* user) {
  auto* sink = static_cast<outlineSink*>(user);
  const point2 p0 = sink->last, p1 = sink->place(control), p2 = sink->place(to);
  const float deviation = 0.25f * length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y);
  const int n = sink->segmentsFor(deviation);
  for (int i = 1; i <= n; ++i) {
    const float t = static_cast<float>(i) / n, s = 1 - t;
    sink->add(point2{s * s * p0.x + 2 * s * t * p1.x + t * t * p2.x, s * s * p0.y + 2 * s * t * p1.y + t * t * p2.y});
  }
  return 0;
}

int cubicTo(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
  auto* sink = static_cast<outlineSink*>(user);
  const point2 p0 = sink->last, p1 = sink->place(c1), p2 = sink->place(c2), p3 = sink->place(to);
  const float deviation = 0.75f * std::max(length(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                           length(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
  const int n = sink->segmentsFor(deviation);
  for (int i = 1; i <= n; ++i) {
    const float t = static_cast<float>(i) / n, s = 1 - t;
    const float a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, d = t * t * t;
    sink->add(point2{a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return 0;
}

// Drops repeated points, including a closing point equal to the first.
void tidy(contour& points) {
  contour kept;
  for (const point2& p : points) {
    if (kept.empty() || std::fabs(p.x - kept.back().x) > 1e-6f || std::fabs(p.y - kept.back().y) > 1e-6f) {
      kept.push_back(p);
    }
  }
  while (kept.size() > 1 && std::fabs(kept.front().x - kept.back().x) <= 1e-6f &&
         std::fabs(kept.front().y - kept.back().y) <= 1e-6f) {
    kept.pop_back();
  }
  points = std::move(kept);
}

}  // namespace

struct lettering::face {
  FT_Library library = nullptr;
  FT_Face handle = nullptr;
  std::string path;
};

lettering::lettering(const std::string& fontPath) : face_(std::make_unique<face>()) {
  face_->path = fontPath;
  if (FT_Init_FreeType(&face_->library) != 0) throw contentError("FreeType cannot start");
  if (FT_New_Face(face_->library, fontPath.c_str(), 0, &face_->handle) != 0) {
    FT_Done_FreeType(face_->library);
    throw contentError(fontPath + ": FreeType cannot open this font");
  }
}

lettering::~lettering() {
  FT_Done_Face(face_->handle);
  FT_Done_FreeType(face_->library);
}

std::string lettering::showFontPath() {
  static const std::string path = [] {
    std::string found = fontconfigMatch();
    if (found.empty() && std::ifstream(debianFontPath).good()) found = debianFontPath;
    return found;
  }();
  if (path.empty()) {
    throw contentError(std::string("the lettering face ") + showFamily +
                       " Bold is not installed (Debian package fonts-dejavu-core)");
  }
  return path;
}

textMask lettering::renderLine(const std::string& text, float pixelHeight, float tracking) const {
  FT_Face f = face_->handle;
  if (FT_Set_Char_Size(f, 0, static_cast<FT_F26Dot6>(std::lround(pixelHeight * 64)), 72, 72) != 0) {
    throw contentError(face_->path + ": cannot set size " + std::to_string(pixelHeight));
  }
  // Pen positions first, so the mask can be sized to the line.
  std::vector<FT_UInt> glyphs;
  std::vector<float> pens;
  float pen = 0;
  FT_UInt previous = 0;
  for (unsigned char c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(f, c);
    if (previous != 0 && FT_HAS_KERNING(f)) {
      FT_Vector kern;
      if (FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNFITTED, &kern) == 0) pen += kern.x / 64.0f;
    }
    if (FT_Load_Glyph(f, glyph, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) {
      throw contentError(face_->path + ": cannot load the glyph of '" + std::string(1, static_cast<char>(c)) + "'");
    }
    glyphs.push_back(glyph);
    pens.push_back(pen);
    pen += f->glyph->linearHoriAdvance / 65536.0f + tracking;
    previous = glyph;
  }
  const float advance = text.empty() ? 0.0f : pen - tracking;
  const float ascender = f->size->metrics.ascender / 64.0f;
  const float descender = -f->size->metrics.descender / 64.0f;
  const int pad = static_cast<int>(std::ceil(pixelHeight * 0.15f)) + 2;

  textMask mask;
  mask.originX = static_cast<float>(pad);
  mask.baselineY = std::ceil(ascender) + pad;
  mask.advance = advance;
  mask.coverage = plane(static_cast<int>(std::ceil(advance)) + 2 * pad,
                        static_cast<int>(std::ceil(ascender) + std::ceil(descender)) + 2 * pad);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    FT_Load_Glyph(f, glyphs[i], FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP);
    const float x = mask.originX + pens[i];
    const float whole = std::floor(x);
    FT_Outline_Translate(&f->glyph->outline, static_cast<FT_Pos>(std::lround((x - whole) * 64)), 0);
    if (FT_Render_Glyph(f->glyph, FT_RENDER_MODE_NORMAL) != 0) {
      throw contentError(face_->path + ": cannot render a glyph");
    }
    const FT_Bitmap& bitmap = f->glyph->bitmap;
    const int left = static_cast<int>(whole) + f->glyph->bitmap_left;
    const int top = static_cast<int>(mask.baselineY) - f->glyph->bitmap_top;
    for (unsigned row = 0; row < bitmap.rows; ++row) {
      for (unsigned column = 0; column < bitmap.width; ++column) {
        const int px = left + static_cast<int>(column);
        const int py = top + static_cast<int>(row);
        if (px < 0 || py < 0 || px >= mask.coverage.width || py >= mask.coverage.height) continue;
        const float ink = bitmap.buffer[row * bitmap.pitch + column] / 255.0f;
        float& cell = mask.coverage.at(px, py);
        cell = 1 - (1 - cell) * (1 - ink);
      }
    }
  }
  // The ink box.
  mask.inkLeft = mask.coverage.width;
  mask.inkTop = mask.coverage.height;
  for (int y = 0; y < mask.coverage.height; ++y) {
    for (int x = 0; x < mask.coverage.width; ++x) {
      if (mask.coverage.at(x, y) <= 0) continue;
      mask.inkLeft = std::min(mask.inkLeft, x);
      mask.inkTop = std::min(mask.inkTop, y);
      mask.inkRight = std::max(mask.inkRight, x + 1);
      mask.inkBottom = std::max(mask.inkBottom, y + 1);
    }
  }
  if (mask.inkRight == 0) mask.inkLeft = mask.inkTop = 0;
  return mask;
}

std::vector<contour> lettering::outlineLine(const std::string& text, float emHeight, float tolerance) const {
  FT_Face f = face_->handle;
  outlineSink sink;
  sink.scale = emHeight / static_cast<float>(f->units_per_EM);
  sink.tolerance = tolerance;
  FT_Outline_Funcs walk{};
  walk.move_to = moveTo;
  walk.line_to = lineTo;
  walk.conic_to = conicTo;
  walk.cubic_to = cubicTo;
  float pen = 0;
  FT_UInt previous = 0;
  for (unsigned char c : text) {
    const FT_UInt glyph = FT_Get_Char_Index(f, c);
    if (previous != 0 && FT_HAS_KERNING(f)) {
      FT_Vector kern;
      if (FT_Get_Kerning(f, previous, glyph, FT_KERNING_UNSCALED, &kern) == 0) pen += kern.x * sink.scale;
    }
    if (FT_Load_Glyph(f, glyph, FT_LOAD_NO_SCALE) != 0 || f->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
      throw contentError(face_->path + ": no outline for '" + std::string(1, static_cast<char>(c)) + "'");
    }
    sink.offsetX = pen;
    FT_Outline_Decompose(&f->glyph->outline, &walk, &sink);
    pen += f->glyph->advance.x * sink.scale;
    previous = glyph;
  }
  std::vector<contour> result;
  for (contour& points : sink.contours) {
    tidy(points);
    if (points.size() >= 3) result.push_back(std::move(points));
  }
  return result;
}

}  // namespace content
