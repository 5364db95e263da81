#include "api/render/light_state.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"

namespace FWrender {

void applyLight(const LightState& light, int32_t lightNumber) {
  if (lightNumber < 0 || lightNumber >= gfx::maxLights) return;
  const GLenum glLight = GL_LIGHT0 + static_cast<GLenum>(lightNumber);
  gfx::enableCapability(glLight);
  gfx::enableCapability(GL_LIGHTING);

  if (light.attenuationOn == 1) {
    glLightf(glLight, GL_CONSTANT_ATTENUATION, light.constantAttenuation);
    glLightf(glLight, GL_LINEAR_ATTENUATION, light.linearAttenuation);
    glLightf(glLight, GL_QUADRATIC_ATTENUATION, light.quadraticAttenuation);
  }

  switch (light.kind) {
    case 0:
      gfx::setLight(light.position, lightNumber, light.diffuse, light.ambient, light.specular);
      break;
    case 1:
      gfx::setLight(light.direction, lightNumber, light.diffuse, light.ambient, light.specular);
      break;
    case 2: {
      const bool acceptable =
          (light.cutoff >= 0.0f && light.cutoff <= 90.0f) || light.cutoff == 180.0f;
      gfx::setSpotLight(light.position, lightNumber, light.diffuse, light.ambient, light.specular,
                        light.direction, acceptable ? light.cutoff : 180.0f);
      break;
    }
    default:
      break;
  }
}

}  // namespace FWrender
