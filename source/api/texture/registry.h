#pragma once

#include "api/render/texture_params.h"
#include "api/texture/bitmap.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

// The process-wide texture registries: procedural generators by name, the
// cache of GL textures by name and parameters, and the hook that turns a
// name into a bitmap. Main thread only; nothing is locked.

namespace FWtexture {

// Fills width, height, channels and pixels (malloc'd) of `target`.
using textureGenerator = void (*)(bitmap& target, int32_t userValue);

struct generatorEntry {
  textureGenerator generate = nullptr;
  int32_t userValue = 0;
};

// Generators stand in for package files of the same name.
extern std::map<std::string, generatorEntry> textureGenerators;

// Cache key -> GL texture name. Names stay valid until the process ends.
extern std::map<std::string, uint32_t> textureCache;

// Turns a texture name into a bitmap: sets `flag` to 1 when `result` holds
// pixels to upload. Leaves `result` empty when there is nothing to load.
using loaderHook = void (*)(const char* name, int32_t& flag, std::unique_ptr<bitmap>& result);

// The hook texture::load calls; the package loader from the start. Null:
// textures are never loaded.
extern loaderHook textureLoader;

// "name@@" and one letter per coded field (channels, magFilter, minFilter,
// generateMipmap, depth) from A-Z0-9 by the field's low byte (wrapping past
// 35). Wrap modes, format and data type are not part of it.
std::string cacheKey(const std::string& name, const FWrender::TextureParams& params);

}  // namespace FWtexture
