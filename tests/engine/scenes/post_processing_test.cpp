// The post-processing chain: the uniforms each pass hands its program (read
// back from GL after a frame), the overlay quads' layout and texture units,
// and the random tables.
#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/screen_quad.h"
#include "api/gl/shader.h"
#include "api/texture/bitmap.h"
#include "engine/components/draw_shader.h"
#include "engine/components/sprite.h"
#include "engine/item.h"
#include "engine/scenes/occlusion_tables.h"
#include "engine/scenes/post_processing.h"
#include "engine/show_random.h"
#include "platform/window.h"
#include "support/greetings_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <utility>

namespace {

using PostProcessing = testing_support::greetingsChainTest;

NGcomp::sprite* overlay(const char* name) {
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    NGcommon::item* candidate = NGcommon::itemAt(i);
    if (candidate != nullptr && std::strcmp(candidate->name, name) == 0) {
      return dynamic_cast<NGcomp::sprite*>(candidate);
    }
  }
  return nullptr;
}

FWrender::texture* unitOf(const char* sprite, size_t unit) {
  const auto& units = overlay(sprite)->quad->textures;
  return unit < units.size() ? units[unit] : nullptr;
}

const std::map<std::string, float> allPostTracksZero = {
    {"blur.r", 0}, {"ssao.r.1", 0}, {"ssao.r.2", 0}, {"ssao.r.3", 0},
    {"hdr.v.b", 0}, {"hdr.v.l", 0}, {"hdr.v.e", 0}};

TEST_F(PostProcessing, AllZeroTracksGiveNeutralUniformsAndTheFixedValues) {
  buildChain(allPostTracksZero);
  drawFrame(1.0f);

  EXPECT_EQ(uniformValue("ssao_2", "radius"), 0.0f);
  EXPECT_EQ(uniformValue("ssao_2", "radius2"), 0.0f);
  EXPECT_EQ(uniformValue("hdr_process", "blurRadius"), 0.0f);
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "SSAORadius"), 0.005f);
  EXPECT_EQ(uniformValue("hdr_process", "bias"), 1.0f);
  EXPECT_EQ(uniformValue("hdr_process", "bloomLevel"), 1.0f);
  EXPECT_EQ(uniformValue("hdr_process", "exposure"), 1.0f);

  // Values that never follow a track or the display.
  EXPECT_EQ(uniformValue("ssao_2", "normalTex"), 1.0f);
  EXPECT_EQ(uniformValue("ssao_2", "depthTex"), 3.0f);
  EXPECT_EQ(uniformValue("ssao_2", "noiseTex"), 2.0f);
  EXPECT_EQ(uniformValue("ssao_2", "noiseSize"), 16.0f);
  EXPECT_EQ(uniformValue("ssao_2", "near"), 3.0f);
  EXPECT_EQ(uniformValue("ssao_2", "far"), 800.0f);
  EXPECT_EQ(uniformValue("ssao_2", "fov"), 1.0471976f);
  EXPECT_EQ(uniformValue("ssao_2", "aspectRatio"), 1.7777778f);
  EXPECT_EQ(uniformValue("hdr_process", "illumMapPhong"), 1.0f);
  EXPECT_EQ(uniformValue("hdr_process", "illumMapSSAO"), 2.0f);

  // The projection the frame was drawn with, as it is, not transposed.
  float projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);
  const GLuint occlusion = program("ssao_2")->shader->program;
  float uploaded[16];
  ext::glGetUniformfv(occlusion, ext::glGetUniformLocation(occlusion, "projectionMatrix"),
                      uploaded);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(uploaded[i], projection[i]) << i;

  // The kernel: 32 unit vectors in the half-space z >= 0, not all alike.
  float first[3] = {0, 0, 0};
  bool allAlike = true;
  for (int i = 0; i < 32; ++i) {
    const std::string name = "kernel[" + std::to_string(i) + "]";
    float entry[3] = {0, 0, 0};
    ext::glGetUniformfv(occlusion, ext::glGetUniformLocation(occlusion, name.c_str()), entry);
    EXPECT_NEAR(std::sqrt(entry[0] * entry[0] + entry[1] * entry[1] + entry[2] * entry[2]), 1.0f,
                1e-5f)
        << i;
    EXPECT_GE(entry[2], 0.0f) << i;
    if (i == 0) std::memcpy(first, entry, sizeof first);
    if (std::fabs(entry[0] - first[0]) > 1e-3f) allAlike = false;
  }
  EXPECT_FALSE(allAlike);
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PostProcessing, TrackValuesAreScaledIntoTheUniforms) {
  buildChain({{"blur.r", 4}, {"ssao.r.1", 250}, {"ssao.r.2", 50}, {"ssao.r.3", 2},
              {"hdr.v.b", 10}, {"hdr.v.l", 30}, {"hdr.v.e", -40}});
  drawFrame(1.0f);
  EXPECT_FLOAT_EQ(uniformValue("ssao_2", "radius"), 2.5f);
  EXPECT_FLOAT_EQ(uniformValue("ssao_2", "radius2"), 2.5f / (1.5f * 800.0f));
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "blurRadius"), 4.0f / 1024.0f);
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "SSAORadius"), 2.0f / 1024.0f + 0.005f);
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "bias"), 1.1f);
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "bloomLevel"), 1.3f);
  EXPECT_FLOAT_EQ(uniformValue("hdr_process", "exposure"), 0.6f);
}

TEST_F(PostProcessing, OverlaysCoverTheViewportAndSampleItsCornerOfTheTargets) {
  // A 1280 x 720 picture with no bars.
  gfx::setupViewport(1280, 720, gfx::aspect16by9);
  ASSERT_FALSE(gfx::letterbox);
  buildChain();
  // The compact targets: the smallest powers of two that hold the picture.
  ASSERT_EQ(scenes::sceneTarget->width, 2048);
  ASSERT_EQ(scenes::sceneTarget->height, 1024);
  for (const char* name : {"postfx", "ssaoMap_mipmap"}) {
    SCOPED_TRACE(name);
    NGcomp::sprite* sprite = overlay(name);
    ASSERT_NE(sprite, nullptr);
    EXPECT_FALSE(sprite->bindable);
    const gfx::screenQuad& quad = *sprite->quad;
    EXPECT_EQ(quad.pixelMode, 1);
    EXPECT_EQ(quad.alignment, 0);
    EXPECT_EQ(quad.x, 0.0f);
    EXPECT_EQ(quad.y, 0.0f);
    EXPECT_EQ(quad.scaleX, 1280.0f);
    EXPECT_EQ(quad.scaleY, 720.0f);
    EXPECT_EQ(quad.s0, 0.0f);
    EXPECT_EQ(quad.s1, 0.625f);
    EXPECT_EQ(quad.t0, 0.703125f);  // top edge
    EXPECT_EQ(quad.t1, 0.0f);        // bottom edge
  }
  // Distances the shaders take in the full layout's texture units (2048
  // square) are scaled to the target's width and height.
  drawFrame(1.0f);
  const auto pair = [this](const char* programName, const char* uniform) {
    const GLuint object = program(programName)->shader->program;
    float value[2] = {0.0f, 0.0f};
    ext::glGetUniformfv(object, ext::glGetUniformLocation(object, uniform), value);
    return std::make_pair(value[0], value[1]);
  };
  EXPECT_EQ(pair("hdr_process", "layoutScale"), std::make_pair(1.0f, 2.0f));
  EXPECT_EQ(pair("ssao_2", "targetSize"), std::make_pair(2048.0f, 1024.0f));

  // The sampler units: the occlusion pass reads colour, normals, noise and
  // depth; the composite colour, illumination and occlusion.
  const auto& scene = scenes::sceneTarget->colourTextures;
  EXPECT_EQ(unitOf("postfx", 0), scene[0].get());
  EXPECT_EQ(unitOf("postfx", 1), scene[1].get());
  ASSERT_NE(unitOf("postfx", 2), nullptr);
  EXPECT_NE(unitOf("postfx", 2)->glId, 0u);
  EXPECT_EQ(unitOf("postfx", 2)->params.wrapS, 2);  // repeated
  EXPECT_EQ(unitOf("postfx", 2)->params.wrapT, 2);
  EXPECT_EQ(unitOf("postfx", 3), scene[2].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 0), scene[0].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 1), scene[3].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 2), scenes::occlusionTarget->colourTextures[0].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 3), nullptr);

  // ssao.frag takes the packed depth from wherever a kernel tap falls and
  // needs the whole texel there: GL must sample it nearest.
  GLint minFilter = 0;
  GLint magFilter = 0;
  glBindTexture(GL_TEXTURE_2D, scene[2]->glId);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glBindTexture(GL_TEXTURE_2D, 0);
  EXPECT_EQ(minFilter, GL_NEAREST);
  EXPECT_EQ(magFilter, GL_NEAREST);
}

TEST_F(PostProcessing, ALetterboxedPictureSamplesWhereItWasDrawn) {
  // A 16:9 picture on a 4:3 monitor sits between bars, 96 pixels up.
  gfx::setupViewport(1024, 768, 4.0f / 3.0f);
  ASSERT_TRUE(gfx::letterbox);
  ASSERT_EQ(gfx::viewportY, 96);
  buildChain();
  const gfx::screenQuad& quad = *overlay("ssaoMap_mipmap")->quad;
  EXPECT_EQ(quad.scaleY, 576.0f);
  EXPECT_EQ(quad.t0, 672.0f / 1024.0f);
  EXPECT_EQ(quad.t1, 96.0f / 1024.0f);

  // The row's cubes reach the picture; the bars stay black.
  drawFrame(1.0f);
  EXPECT_GT(countLit(0, 96, 1024, 576), 1024 * 576 / 2);
  EXPECT_EQ(countLit(0, 0, 1024, 96), 0);
  EXPECT_EQ(countLit(0, 672, 1024, 96), 0);
  // Sampling from the target's bottom corner instead would put the target's
  // black bar area at the foot of the picture.
  EXPECT_EQ(countLit(0, 652, 1024, 20), 1024 * 20);
}

TEST_F(PostProcessing, AThreeUnitMachineGetsNoUnitThree) {
  const int32_t realUnits = gfx::maxTextureUnits;
  ASSERT_GE(realUnits, 4);
  gfx::maxTextureUnits = 3;
  buildChain();
  gfx::maxTextureUnits = realUnits;
  const auto& scene = scenes::sceneTarget->colourTextures;
  EXPECT_EQ(unitOf("postfx", 0), scene[0].get());
  EXPECT_EQ(unitOf("postfx", 1), scene[1].get());
  EXPECT_NE(unitOf("postfx", 2), nullptr);
  EXPECT_EQ(unitOf("postfx", 3), nullptr);
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 0), scene[0].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 1), scene[3].get());
  EXPECT_EQ(unitOf("ssaoMap_mipmap", 2), scenes::occlusionTarget->colourTextures[0].get());
}

TEST_F(PostProcessing, ReleaseDeletesBothFramebuffers) {
  const auto isFramebuffer = reinterpret_cast<PFNGLISFRAMEBUFFEREXTPROC>(
      platform::getProcAddress("glIsFramebufferEXT"));
  ASSERT_NE(isFramebuffer, nullptr);
  buildChain();
  const GLuint sceneFramebuffer = scenes::sceneTarget->framebuffer;
  const GLuint occlusionFramebuffer = scenes::occlusionTarget->framebuffer;
  EXPECT_EQ(scenes::sceneTarget->colourCount, 4);
  EXPECT_EQ(scenes::occlusionTarget->colourCount, 2);
  EXPECT_TRUE(isFramebuffer(sceneFramebuffer));
  scenes::releasePostProcessing();
  EXPECT_EQ(scenes::sceneTarget, nullptr);
  EXPECT_EQ(scenes::occlusionTarget, nullptr);
  EXPECT_FALSE(isFramebuffer(sceneFramebuffer));
  EXPECT_FALSE(isFramebuffer(occlusionFramebuffer));
}

TEST(OcclusionTables, AZeroDrawGivesTheZeroVectorAndOthersUnitLength) {
  float zero[3] = {1, 1, 1};
  // 5000 gives x = y = 0, a multiple of 10000 gives z = 0.
  scenes::occlusionKernelVector(5000, 15000, 20000, zero);
  for (float component : zero) {
    EXPECT_FALSE(std::isnan(component));
    EXPECT_EQ(component, 0.0f);
  }
  float straightUp[3];
  scenes::occlusionKernelVector(5000, 5000, 9999, straightUp);
  EXPECT_EQ(straightUp[0], 0.0f);
  EXPECT_EQ(straightUp[1], 0.0f);
  EXPECT_FLOAT_EQ(straightUp[2], 1.0f);
  float corner[3];
  scenes::occlusionKernelVector(0, 0, 0, corner);  // (1, 1, 0) / sqrt 2
  EXPECT_FLOAT_EQ(corner[0], 1.0f / std::sqrt(2.0f));
  EXPECT_FLOAT_EQ(corner[1], 1.0f / std::sqrt(2.0f));
  EXPECT_EQ(corner[2], 0.0f);
}

TEST(OcclusionTables, NoiseIsSixteenSquareOrTheLargestTextureAllowed) {
  resetShowRandom();
  FWtexture::bitmap noise;
  noise.maxSize = 4096;
  scenes::fillOcclusionNoise(noise);
  EXPECT_EQ(noise.width, 16);
  EXPECT_EQ(noise.height, 16);
  EXPECT_EQ(noise.channels, 4);
  // The first numbers of the generator (41, 18467, 6334) modulo 256.
  EXPECT_EQ(noise.pixels[0], 41);
  EXPECT_EQ(noise.pixels[1], 18467 % 256);
  EXPECT_EQ(noise.pixels[2], 6334 % 256);

  FWtexture::bitmap small;
  small.maxSize = 8;
  scenes::fillOcclusionNoise(small);
  EXPECT_EQ(small.width, 8);
  EXPECT_EQ(small.height, 8);
  resetShowRandom();
}

}  // namespace
