#include "api/texture/text_texture.h"

#include "api/texture/gen_text.h"
#include "api/texture/registry.h"
#include "engine/errors.h"

#include <cstdlib>
#include <deque>
#include <string>

namespace FWtexture {

namespace {

constexpr int32_t kTextureSide = 512;
constexpr int32_t kTextureChannels = 4;
constexpr size_t kTextureBytes = 1048576;  // 512 x 512 x 4

// Generator entries carry a 32-bit user value, too small for a pointer, so
// they carry an index into this table of registered texts instead. A deque
// keeps every text where it is as the table grows.
std::deque<std::string>& registeredTexts() {
  static std::deque<std::string> texts;
  return texts;
}

void textTextureGenerator(bitmap& target, int32_t textIndex) {
  const std::deque<std::string>& texts = registeredTexts();
  const bool known = textIndex >= 0 && static_cast<size_t>(textIndex) < texts.size();
  makeTextTexture(target, known ? texts[static_cast<size_t>(textIndex)].c_str() : nullptr);
}

}  // namespace

int makeTextTexture(bitmap& target, const char* text) {
  if (target.pixels == nullptr) {
    // Zeroed, so that a texture without text is transparent black.
    target.pixels = static_cast<uint8_t*>(std::calloc(kTextureBytes, 1));
    if (target.pixels == nullptr) throw errorCode::outOfMemory;
    target.width = kTextureSide;
    target.height = kTextureSide;
    target.channels = kTextureChannels;
  }
  gen_text generator;
  generator.text = text;
  generator.sizeFactor = 24;
  generator.spacing = 0;
  generator.x = 0;
  generator.y = 0;
  generator.bold = false;
  generator.italic = false;
  generator.fontIndex = 8;  // "Times New Roman"
  return generator.generate(target);
}

void registerTextTexture(const char* name, const char* text) {
  if (name == nullptr) return;
  std::deque<std::string>& texts = registeredTexts();
  auto existing = textureGenerators.find(name);
  if (existing != textureGenerators.end() && existing->second.generate == textTextureGenerator &&
      existing->second.userValue >= 0 &&
      static_cast<size_t>(existing->second.userValue) < texts.size()) {
    texts[static_cast<size_t>(existing->second.userValue)] = text != nullptr ? text : "";
    return;
  }
  texts.emplace_back(text != nullptr ? text : "");
  textureGenerators[name] = {textTextureGenerator, static_cast<int32_t>(texts.size() - 1)};
}

}  // namespace FWtexture
