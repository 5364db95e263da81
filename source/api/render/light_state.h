#pragma once

#include <cstdint>

namespace FWrender {

// A fixed-function light as the light component keeps it.
struct LightState {
  int32_t kind = 0;  // 0 positional at `position`, 1 `direction` as position, 2 spot
  int32_t attenuationOn = 0;
  float position[4] = {0, 0, 0, 0};
  float direction[4] = {0, 0, 0, 0};
  float diffuse[4] = {1, 1, 1, 1};
  float ambient[4] = {0, 0, 0, 1};
  float specular[4] = {0, 0, 0, 1};
  float cutoff = 0.0f;  // spot cone half-angle: 0-90, or 180 for none
  float constantAttenuation = 0.0f;
  float linearAttenuation = 0.0f;
  float quadraticAttenuation = 0.0f;
  int32_t index = 0;
};

// Turns on GL light `lightNumber` and lighting and sets the light's
// parameters; position and direction go through the current modelview
// matrix. Does nothing for a number outside 0 .. maxLights - 1. A spot
// cutoff OpenGL would refuse (outside 0-90 and not 180) becomes 180.
void applyLight(const LightState& light, int32_t lightNumber);

}  // namespace FWrender
