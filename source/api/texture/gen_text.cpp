#include "api/texture/gen_text.h"

#include "platform/text_raster.h"

#include <vector>

namespace FWtexture {

const char* const fontFaces[fontFaceCount] = {
    "Arial",  "Verdana",   "Courier New",     "Webdings",             "Lucida Console", "Tahoma",
    "Impact", "Wingdings", "Times New Roman", "Microsoft Sans Serif", "Trebuchet MS",   "Symbol"};

int gen_text::generate(bitmap& target) {
  if (text == nullptr) return 0;
  if (target.pixels == nullptr || target.width <= 0 || target.height <= 0 ||
      target.channels < 1 || target.channels > 4) {
    return 0;
  }
  const size_t pixelCount = static_cast<size_t>(target.width) * static_cast<size_t>(target.height);
  // Black, as the text is drawn over a cleared background.
  std::vector<uint8_t> scratch(pixelCount * 4, 0);

  platform::textRequest request;
  request.text = text;
  // An unknown face index falls back to the system's default face, the way
  // a desktop substitutes a face it does not have.
  request.faceName = (fontIndex >= 0 && fontIndex < fontFaceCount) ? fontFaces[fontIndex] : "";
  request.cellHeight = static_cast<int32_t>((static_cast<int64_t>(target.width) * sizeFactor) >> 8);
  request.bold = bold;
  request.italic = italic;
  request.extraSpacing = spacing;
  request.x = x;
  request.y = y;
  // Without a usable font the texture stays empty; the text raster says so
  // once for the whole run.
  const bool drawn = platform::rasterizeText(request, scratch.data(), target.width, target.height);

  // Scratch pixels hold blue, green, red and a spare byte; alpha takes the
  // green byte so that it carries the coverage.
  const int channels = target.channels;
  for (size_t pixel = 0; pixel < pixelCount; ++pixel) {
    const uint8_t* from = scratch.data() + pixel * 4;
    uint8_t* to = target.pixels + pixel * static_cast<size_t>(channels);
    for (int channel = 0; channel < channels; ++channel) {
      to[channel] = channel == 3 ? from[1] : from[channel];
    }
  }
  return drawn ? 1 : 0;
}

}  // namespace FWtexture
