#include "support/greetings_chain.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "content/model_3ds.h"
#include "content/show_models.h"
#include "content/sync_script.h"
#include "engine/components/camera.h"
#include "engine/components/draw_shader.h"
#include "engine/components/light.h"
#include "engine/item.h"
#include "engine/rocket/track_group.h"
#include "engine/scenes/frame_composition.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/post_processing.h"
#include "engine/shell.h"
#include "engine/show_random.h"

#include <cstring>

namespace testing_support {

namespace {

const char* const shaderFiles[] = {"basic.vert",  "passthrough.vert", "pointlight.frag",
                                   "ssao.frag",   "blur2.frag",       "particle3.frag"};

}  // namespace

void greetingsChainTest::TearDown() {
  scenes::releasePostProcessing();
  galleryTest::TearDown();
  cam0 = cam1 = nullptr;
  light0 = nullptr;
  delete clearGroup;
  clearGroup = nullptr;
  NGcomp::resetLightCounter();
}

std::vector<zipEntry> greetingsChainTest::chainPack(
    const std::map<std::string, float>& overrides,
    const std::map<std::string, std::string>& trackFiles) {
  std::map<std::string, float> tracks = {
      {"cam0.bind", 1},      {"cam1.bind", 0},      {"light0.bind", 1},
      {"cam0.e.x", 95},      {"cam0.e.y", -60},     {"cam0.e.z", 24},
      {"cam0.c.x", 60},      {"cam0.c.y", 0},       {"cam0.c.z", 0},
      {"cam0.rot", 0},       {"cam1.e.x", 0},       {"cam1.e.y", 0},
      {"cam1.e.z", 0},       {"cam1.c.x", 0},       {"cam1.c.y", 0},
      {"cam1.c.z", 0},       {"cam1.rot", 0},       {"light0.pos.x", 70},
      {"light0.pos.y", -60}, {"light0.pos.z", 80},  {"clear.c.r", 0.03f},
      {"clear.c.g", 0.2f},   {"clear.c.b", 0.28f},  {"gricc.bind", 1},
      {"griccTXT.bind", 1},  {"kocka.villog", 0},   {"kocka.sor", 0},
      {"blur.r", 3},         {"ssao.r.1", 450},     {"ssao.r.2", 50},
      {"ssao.r.3", 2},       {"hdr.v.b", 0},        {"hdr.v.l", 20},
      {"hdr.v.e", 0}};
  for (const auto& [name, value] : overrides) tracks[name] = value;
  std::vector<zipEntry> entries;
  for (const auto& [name, value] : tracks) {
    auto file = trackFiles.find(name);
    entries.push_back({"script/sync_" + name + ".track",
                       file != trackFiles.end() ? file->second : constantTrack(value)});
  }
  return entries;
}

void greetingsChainTest::buildChain(const std::map<std::string, float>& overrides,
                                    const std::map<std::string, std::string>& shaderOverrides,
                                    const std::map<std::string, std::string>& trackFiles) {
  buildFrom(chainPack(overrides, trackFiles), shaderOverrides);
}

void greetingsChainTest::buildShowChain() {
  std::vector<zipEntry> entries;
  const content::syncScript script =
      content::readSyncScript(std::string(AMBER_CONTENT_FOLDER) + "/sync/show.sync");
  for (const content::namedTrack& track : script.tracks) {
    entries.push_back({content::trackEntryName(track.name), content::encodeTrack(track.keys)});
  }
  buildFrom(entries, {});
}

void greetingsChainTest::buildFrom(std::vector<zipEntry> entries,
                                   const std::map<std::string, std::string>& shaderOverrides) {
  entries.push_back(
      {"models/cube10by10.3ds", content::write3ds(content::makeCubeScene(), "cube10by10.3ds")});
  for (const char* file : shaderFiles) {
    auto replaced = shaderOverrides.find(file);
    entries.push_back({std::string("fx/") + file,
                       replaced != shaderOverrides.end()
                           ? replaced->second
                           : readWholeFile(std::string(AMBER_CONTENT_FOLDER) + "/fx/" + file)});
  }
  usePack(entries);

  resetShowRandom();
  NGcomp::resetLightCounter();
  createShellItems();
  scenes::setupPostProcessing();
  scenes::setupGreetingsScene();
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) NGcommon::itemAt(i)->load();
  bindShellGroups();
  scenes::bindPostProcessing();
  scenes::bindGreetingsScene();
}

void greetingsChainTest::drawFrame(float row) {
  setRow(row);
  scenes::beginShowFrame();
  if (scenes::greetingsActive()) scenes::runPostProcessing();
}

NGcomp::drawShader* greetingsChainTest::program(const char* name) {
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    NGcommon::item* candidate = NGcommon::itemAt(i);
    if (candidate == nullptr || std::strcmp(candidate->name, name) != 0) continue;
    if (auto* found = dynamic_cast<NGcomp::drawShader*>(candidate)) return found;
  }
  return nullptr;
}

float greetingsChainTest::uniformValue(const char* programName, const char* uniform) {
  NGcomp::drawShader* owner = program(programName);
  if (owner == nullptr || owner->shader == nullptr) return -12345.0f;
  const GLuint object = owner->shader->program;
  const GLint location = ext::glGetUniformLocation(object, uniform);
  if (location < 0) return -12345.0f;
  GLint type = 0;
  // Sampler and int uniforms read back through the int query.
  GLint count = 0;
  ext::glGetProgramiv(object, GL_ACTIVE_UNIFORMS, &count);
  for (GLint index = 0; index < count; ++index) {
    char name[256];
    GLsizei length = 0;
    GLint size = 0;
    GLenum kind = 0;
    ext::glGetActiveUniform(object, static_cast<GLuint>(index), sizeof name, &length, &size, &kind,
                            name);
    if (std::strcmp(name, uniform) == 0) type = static_cast<GLint>(kind);
  }
  if (type == GL_INT || type == GL_SAMPLER_2D) {
    GLint value = 0;
    ext::glGetUniformiv(object, location, &value);
    return static_cast<float>(value);
  }
  float value = 0.0f;
  ext::glGetUniformfv(object, location, &value);
  return value;
}

}  // namespace testing_support
