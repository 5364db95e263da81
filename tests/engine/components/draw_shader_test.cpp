#include "engine/components/draw_shader.h"

#include "api/gl/display.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "engine/item.h"
#include "engine/virtual_clock.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <gtest/gtest.h>

namespace {

using testing_support::thrownCode;

const char* kVertex = "void main() { gl_Position = ftransform(); }";
// Shows the standard uniforms as a colour.
const char* kFragment =
    "uniform vec2 resolution; uniform float time; uniform int tex0;\n"
    "void main() { gl_FragColor = vec4(resolution.x / 2048.0, resolution.y / 2048.0, time,"
    " tex0 == 0 ? 1.0 : 0.0); }";

class DrawShader : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    rocketTest::SetUp();
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    usePack({{"fx/show.vert", kVertex}, {"fx/show.frag", kFragment}});
  }
  void TearDown() override {
    NGcommon::deleteAllItems();
    rocketTest::TearDown();
  }
  // Fills the picture with one quad drawn under `component`'s program.
  testing_support::rgba drawWith(NGcomp::drawShader& component) {
    gfx::clearScreen(0, 0, 0);
    component.begin();
    gfx::begin2D();
    gfx::orthoUnit();
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(0, 1);
    glVertex2f(1, 1);
    glVertex2f(1, 0);
    glEnd();
    gfx::end2D();
    component.end();
    return testing_support::pixelAt(512, 384);
  }
};

TEST_F(DrawShader, BindsTheProgramWithResolutionTimeAndTextureUnit) {
  music = makeSoundtrack(new virtualClock(44100.0f, 10.0f), 128.0);
  static_cast<virtualClock*>(music->stream)->setPosition(22050);  // half a second
  auto* component = new NGcomp::drawShader("show.vert", "effect", "show.frag");
  EXPECT_EQ(component->kind, 0);
  component->load();
  EXPECT_EQ(component->bindGroup, nullptr);  // a program component is always active
  EXPECT_TRUE(component->isActive());
  const testing_support::rgba pixel = drawWith(*component);
  EXPECT_NEAR(pixel.r, 128, 1);  // 1024 / 2048
  EXPECT_NEAR(pixel.g, 96, 1);   // 768 / 2048
  EXPECT_NEAR(pixel.b, 128, 1);  // 0.5 s
  GLint current = -1;
  glGetIntegerv(GL_CURRENT_PROGRAM, &current);
  EXPECT_EQ(current, 0);  // end() released it
}

TEST_F(DrawShader, ResolutionIsTheViewportAtLoadTimeAndTimeIsZeroWithoutMusic) {
  auto* component = new NGcomp::drawShader("show.vert", "effect", "show.frag");
  component->load();
  gfx::setupViewport(512, 256, gfx::aspect16by9);
  const testing_support::rgba pixel = drawWith(*component);
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  EXPECT_EQ(component->resolutionX, 1024);
  EXPECT_EQ(component->resolutionY, 768);
  EXPECT_NEAR(pixel.b, 0, 1);
}

TEST_F(DrawShader, WithOneNameThereIsNoProgramAndNothingHappens) {
  auto* component = new NGcomp::drawShader("show.vert", "half", nullptr);
  EXPECT_EQ(component->shader, nullptr);
  component->load();  // reads nothing
  component->begin();
  component->end();
  EXPECT_EQ(component->resolutionX, 1024);
}

TEST_F(DrawShader, AMissingSourceIsCode258) {
  auto* component = new NGcomp::drawShader("show.vert", "broken", "absent.frag");
  EXPECT_EQ(thrownCode([&] { component->load(); }), 0x102);
}

}  // namespace
