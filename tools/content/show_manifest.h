#pragma once

#include <string>
#include <vector>

// What the show reads from its package: every entry the pack builder must
// make, and nothing else.
namespace content::manifest {

// The tracks the engine and the scenes ask for by name.
const std::vector<std::string>& trackNames();

// Image files under "textures/".
const std::vector<std::string>& textureNames();

// Model files under "models/".
const std::vector<std::string>& modelNames();

// GLSL sources under "fx/", made by hand in content/fx.
const std::vector<std::string>& shaderNames();

// The soundtrack's entry.
constexpr const char* soundtrackEntry = "sfx/MarbleHollow_Rhythm.mp3";

}  // namespace content::manifest
