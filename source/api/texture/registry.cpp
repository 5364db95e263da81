#include "api/texture/registry.h"

#include "api/texture/package_loader.h"

namespace FWtexture {

std::map<std::string, generatorEntry> textureGenerators;
std::map<std::string, uint32_t> textureCache;
loaderHook textureLoader = packageTextureLoader;

namespace {

char codeLetter(int32_t value) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  // Only the low byte counts; values past the 36 letters wrap around so
  // that every code has a letter.
  return alphabet[(static_cast<uint32_t>(value) & 0xFFu) % 36u];
}

}  // namespace

std::string cacheKey(const std::string& name, const FWrender::TextureParams& params) {
  std::string key = name;
  key += "@@";
  key += codeLetter(params.channels);
  key += codeLetter(params.magFilter);
  key += codeLetter(params.minFilter);
  key += codeLetter(params.generateMipmap ? 1 : 0);
  key += codeLetter(params.depth ? 1 : 0);
  return key;
}

}  // namespace FWtexture
