#include "engine/components/light.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/light_state.h"
#include "engine/rocket/track_group.h"

namespace NGcomp {

namespace {

int32_t lightsMade = 0;

}  // namespace

void resetLightCounter() { lightsMade = 0; }

light::light() : NGcommon::item("light0") {
  kind = 7;
  renderLight = new FWrender::LightState();
  // Before the GL layer knows its light count the counter is used as is.
  renderLight->index = gfx::maxLights > 0 ? lightsMade % gfx::maxLights : lightsMade;
  ++lightsMade;
}

light::~light() {
  delete renderLight;
  delete posGroup;
}

void light::load() { loadBindGroup(); }

void light::draw() {
  if (!isActive()) {
    gfx::disableCapability(GL_LIGHT0 + static_cast<GLenum>(renderLight->index));
    gfx::enableCapability(GL_LIGHTING);
    return;
  }
  if (posGroup != nullptr) {
    float position[3];
    posGroup->vectorNow(position);
    renderLight->kind = 0;
    renderLight->position[0] = position[0];
    renderLight->position[1] = position[1];
    renderLight->position[2] = position[2];
    renderLight->position[3] = 1.0f;
  }
  FWrender::applyLight(*renderLight, renderLight->index);
}

}  // namespace NGcomp
