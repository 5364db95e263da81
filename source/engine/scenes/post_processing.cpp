#include "engine/scenes/post_processing.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/screen_quad.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "api/texture/bitmap.h"
#include "api/texture/upload.h"
#include "engine/components/draw_shader.h"
#include "engine/components/sprite.h"
#include "engine/item.h"
#include "engine/rocket/track_group.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/occlusion_tables.h"
#include "engine/scenes/pass_times.h"
#include "engine/shell.h"

#include <array>
#include <cmath>

namespace scenes {

namespace {

// Values the occlusion pass hands over as they are, whatever the display.
constexpr float nearPlane = gfx::showNearPlane;
constexpr float farPlane = gfx::showFarPlane;
constexpr float fieldOfViewRadians = 1.0471976f;  // pi / 3
constexpr float aspectRatio = 1.7777778f;         // 16 / 9

struct chain {
  NGcomp::sprite* postfx = nullptr;        // occlusion pass input
  NGcomp::sprite* ssaoMap = nullptr;       // composite input
  NGcomp::drawShader* scenePass = nullptr;        // "ssao_1"
  NGcomp::drawShader* occlusionPass = nullptr;    // "ssao_2"
  NGcomp::drawShader* compositePass = nullptr;    // "hdr_process"
  std::unique_ptr<FWrender::texture> noiseTexture;
  std::array<float, occlusionKernelSize * 3> kernel{};
  trackGroup* blur = nullptr;  // "blur.r"
  trackGroup* ssao = nullptr;  // "ssao.r.1", ".2", ".3"
  trackGroup* hdr = nullptr;   // "hdr.v.b", ".l", ".e"
};

chain& postChain() {
  static chain state;
  return state;
}

// Covers the picture area and samples the same area of the scene target
// that the scene was drawn into with the display viewport. The range starts
// at the viewport's origin, so a letterboxed picture (whose viewport sits
// above the bottom bar) samples where it was drawn; without bars the origin
// is (0, 0).
void layOutOverlay(gfx::screenQuad& quad, const FWrender::RenderTarget& target) {
  const float width = static_cast<float>(target.width);
  const float height = static_cast<float>(target.height);
  quad.pixelMode = 1;
  gfx::layoutScreenQuad(quad);
  quad.x = 0.0f;
  quad.y = 0.0f;
  quad.scaleX = static_cast<float>(gfx::viewportWidth);
  quad.scaleY = static_cast<float>(gfx::viewportHeight);
  quad.s0 = static_cast<float>(gfx::viewportX) / width;
  quad.s1 = static_cast<float>(gfx::viewportX + gfx::viewportWidth) / width;
  quad.t0 = static_cast<float>(gfx::viewportY + gfx::viewportHeight) / height;
  quad.t1 = static_cast<float>(gfx::viewportY) / height;
}

// Puts `texture` on `unit` of the quad when the machine has that unit.
void putOnUnit(gfx::screenQuad& quad, int32_t unit, FWrender::texture* texture) {
  if (gfx::maxTextureUnits <= unit || static_cast<int32_t>(quad.textures.size()) <= unit) return;
  quad.textures[static_cast<size_t>(unit)] = texture;
}

// For a texture that every pass reads at its texel centres (the overlays map
// the picture's pixels onto texels one to one): nearest sampling reads the
// same values as bilinear there, from one texel instead of four.
void sampleTexelCentres(FWrender::texture& texture) {
  texture.params.magFilter = FWrender::filterNearest;
  texture.params.minFilter = FWrender::filterNearest;
  if (texture.glId == 0) return;
  glBindTexture(GL_TEXTURE_2D, texture.glId);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);
}

void buildNoiseTexture(chain& state) {
  FWtexture::bitmap noise;
  fillOcclusionNoise(noise);
  state.noiseTexture = std::make_unique<FWrender::texture>();
  // Read at the window's pixel centres over its own size: texel centres.
  sampleTexelCentres(*state.noiseTexture);
  state.noiseTexture->params.wrapS = FWrender::wrapRepeat;
  state.noiseTexture->params.wrapT = FWrender::wrapRepeat;
  state.noiseTexture->params.wrapR = FWrender::wrapRepeat;
  FWtexture::uploadBitmap(noise, *state.noiseTexture);
}

// The same lookup-by-name idiom as the other uniforms, for a matrix.
void setMatrixUniform(const gfx::shaderProgram* program, const char* name, const float* matrix) {
  if (!gfx::glslEnabled || program == nullptr) return;
  const GLint location = ext::glGetUniformLocation(program->program, name);
  ext::glUniformMatrix4fv(location, 1, GL_FALSE, matrix);
}

void setOcclusionUniforms(const chain& state, const float* projection) {
  const gfx::shaderProgram* program = state.occlusionPass->shader;
  if (program == nullptr) return;
  float radii[3] = {0.0f, 0.0f, 0.0f};
  if (state.ssao != nullptr) state.ssao->valuesNow(radii);
  const float radius = radii[0] / 100.0f;
  gfx::setUniform(program, "normalTex", int32_t{1});
  gfx::setUniform(program, "depthTex", int32_t{3});
  gfx::setUniform(program, "noiseTex", int32_t{2});
  gfx::setUniform(program, "radius", radius);
  gfx::setUniform(program, "radius2", radius / ((radii[1] / 100.0f + 1.0f) * farPlane));
  gfx::setUniformVectors(program, "kernel", 3, occlusionKernelSize, state.kernel.data());
  gfx::setUniform(program, "noiseSize", static_cast<float>(occlusionNoiseSide));
  gfx::setUniform(program, "near", nearPlane);
  gfx::setUniform(program, "far", farPlane);
  gfx::setUniform(program, "fov", fieldOfViewRadians);
  gfx::setUniform(program, "aspectRatio", aspectRatio);
  gfx::setUniform(program, "targetSize", static_cast<float>(sceneTarget->width),
                  static_cast<float>(sceneTarget->height));
  setMatrixUniform(program, "projectionMatrix", projection);
}

// How far from a pixel the composite reads, in texture units of the full
// layout's square target (the shader scales them to this target's width and
// height): the bloom ring on the lit colour's levels 3 and 4, the softening
// disc on the occlusion map's levels 1 and 2.
struct compositeReach {
  float bloom = 0.0f;
  float softening = 0.0f;
};

compositeReach compositeReachNow(const chain& state) {
  float radii[3] = {0.0f, 0.0f, 0.0f};
  if (state.ssao != nullptr) state.ssao->valuesNow(radii);
  compositeReach reach;
  reach.bloom = (state.blur != nullptr ? state.blur->valueNow() : 0.0f) / 1024.0f;
  reach.softening = radii[2] / 1024.0f + 0.005f;
  return reach;
}

// The part of a target that the composite can read with offsets up to
// `reach`: the window's corner, grown by the reach in texels (the same both
// ways in the full layout's units) and one more for rounding in the shader.
FWrender::sampledCorner cornerWithin(float reach) {
  const double texels = std::fabs(static_cast<double>(reach)) * sceneTarget->fullLayoutSide;
  constexpr double unbounded = 1 << 24;
  const int32_t margin = texels < unbounded ? static_cast<int32_t>(std::ceil(texels)) + 1
                                            : static_cast<int32_t>(unbounded);
  return FWrender::windowCorner(margin);
}

void setCompositeUniforms(const chain& state, const compositeReach& reach) {
  const gfx::shaderProgram* program = state.compositePass->shader;
  if (program == nullptr) return;
  float tone[3] = {0.0f, 0.0f, 0.0f};
  if (state.hdr != nullptr) state.hdr->vectorNow(tone);
  const float fullSide = static_cast<float>(sceneTarget->fullLayoutSide);
  gfx::setUniform(program, "blurRadius", reach.bloom);
  gfx::setUniform(program, "SSAORadius", reach.softening);
  gfx::setUniform(program, "layoutScale", fullSide / static_cast<float>(sceneTarget->width),
                  fullSide / static_cast<float>(sceneTarget->height));
  gfx::setUniform(program, "illumMapPhong", int32_t{1});
  gfx::setUniform(program, "illumMapSSAO", int32_t{2});
  gfx::setUniform(program, "bias", tone[0] / 100.0f + 1.0f);
  gfx::setUniform(program, "bloomLevel", tone[1] / 100.0f + 1.0f);
  gfx::setUniform(program, "exposure", tone[2] / 100.0f + 1.0f);
}

}  // namespace

void setupPostProcessing() {
  chain& state = postChain();
  state = chain{};
  // The chain points at items: it is emptied when they are deleted, and its
  // groups go with it.
  NGcommon::forgetWithItems([] {
    chain& emptied = postChain();
    delete emptied.blur;
    delete emptied.ssao;
    delete emptied.hdr;
    emptied = chain{};
  });
  // Only the lit colour (bloom in both composites) and the occlusion map
  // (softened from its mipmaps) are sampled below full size, and no deeper
  // than the levels that blur2.frag and particle1_post.frag name.
  constexpr int32_t coarsestBloomLevel = 5;
  constexpr int32_t coarsestOcclusionLevel = 2;
  sceneTarget = FWrender::createRenderTarget(4, 1u << 0, coarsestBloomLevel);
  occlusionTarget = FWrender::createRenderTarget(2, 1u << 0, coarsestOcclusionLevel);
  // Normals and illumination are only ever read where the picture's pixels
  // fall, here and in the title's composite; the packed depth must never be
  // filtered, and ssao.frag's scattered taps count on whole texels.
  if (sceneTarget != nullptr) {
    for (size_t i = 1; i < sceneTarget->colourTextures.size(); ++i) {
      sampleTexelCentres(*sceneTarget->colourTextures[i]);
    }
  }

  state.postfx = new NGcomp::sprite("postfx");
  state.postfx->bindable = false;
  state.ssaoMap = new NGcomp::sprite("ssaoMap_mipmap");
  state.ssaoMap->bindable = false;

  gfx::screenQuad& postfxQuad = *state.postfx->quad;
  gfx::screenQuad& ssaoMapQuad = *state.ssaoMap->quad;
  layOutOverlay(postfxQuad, *sceneTarget);
  layOutOverlay(ssaoMapQuad, *sceneTarget);

  const auto& scene = sceneTarget->colourTextures;
  putOnUnit(postfxQuad, 0, scene[0].get());
  putOnUnit(postfxQuad, 1, scene[1].get());
  putOnUnit(postfxQuad, 3, scene[2].get());
  putOnUnit(ssaoMapQuad, 0, scene[0].get());
  putOnUnit(ssaoMapQuad, 1, scene[3].get());
  putOnUnit(ssaoMapQuad, 2, occlusionTarget->colourTextures[0].get());

  buildNoiseTexture(state);
  putOnUnit(postfxQuad, 2, state.noiseTexture.get());

  state.kernel = makeOcclusionKernel();

  state.scenePass = new NGcomp::drawShader("basic.vert", "ssao_1", "pointlight.frag");
  state.occlusionPass = new NGcomp::drawShader("passthrough.vert", "ssao_2", "ssao.frag");
  state.compositePass = new NGcomp::drawShader("passthrough.vert", "hdr_process", "blur2.frag");
}

void bindPostProcessing() {
  chain& state = postChain();
  state.blur = new trackGroup("blur", "r", "", scalarValue);
  state.ssao = new trackGroup("ssao", "r", "123", tripleValue);
  state.hdr = new trackGroup("hdr", "v", "ble", tripleValue);
}

void runPostProcessing() {
  chain& state = postChain();
  if (sceneTarget == nullptr || occlusionTarget == nullptr || state.scenePass == nullptr) return;

  float projection[16];
  glGetFloatv(GL_PROJECTION_MATRIX, projection);

  FWrender::enter(*sceneTarget);
  clearFrame();
  state.scenePass->begin();
  drawGreetingsContent();
  state.scenePass->end();
  passDone("scene");
  // The composite reads the mipmaps no further than its offsets reach.
  const compositeReach reach = compositeReachNow(state);
  FWrender::leaveSampledCorner(*sceneTarget, cornerWithin(reach.bloom));
  passDone("mipmaps");

  FWrender::enter(*occlusionTarget);
  clearFrame();
  state.occlusionPass->begin();
  setOcclusionUniforms(state, projection);
  state.postfx->draw();
  state.occlusionPass->end();
  passDone("occlusion");
  FWrender::leaveSampledCorner(*occlusionTarget, cornerWithin(reach.softening));
  passDone("mipmaps");

  gfx::enableCapability(GL_BLEND);
  clearFrame();
  state.compositePass->begin();
  setCompositeUniforms(state, reach);
  state.ssaoMap->draw();
  state.compositePass->end();
  passDone("blur and composite");
  drawGreetingsText();
  gfx::disableCapability(GL_BLEND);
  passDone("text");
}

void releasePostProcessing() {
  FWrender::release(sceneTarget);
  FWrender::release(occlusionTarget);
  chain& state = postChain();
  // The overlay sprites still point at the noise texture; they are not
  // drawn after this.
  state.noiseTexture.reset();
}

}  // namespace scenes
