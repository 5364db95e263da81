#include "engine/scenes/greetings_scene.h"

#include "api/gl/shader.h"
#include "api/gl/state.h"
#include "api/model/point_sprite.h"
#include "api/texture/text_texture.h"
#include "engine/components/draw_shader.h"
#include "engine/components/model.h"
#include "engine/components/point_sprite.h"
#include "engine/item.h"
#include "engine/rocket/track_group.h"
#include "engine/scenes/greetings_cubes.h"
#include "engine/scenes/post_processing.h"

#include <cstring>
#include <vector>

namespace scenes {

namespace {

struct greeting {
  const char* key;
  const char* text;
};

// One line each, short enough for the 512-pixel label at 48-pixel type.
// The key sequence skips 02.
constexpr greeting greetings[] = {
    {"grp00", "Hello, everyone here!"},
    {"grp01", "Mesa and llvmpipe"},
    {"grp03", "SDL, our window"},
    {"grp04", "GTK for the dialog"},
    {"grp05", "FreeType + fontconfig"},
    {"grp06", "mpg123 for the beat"},
    {"grp07", "zlib and minizip"},
    {"grp08", "Debian, our home"},
    {"grp09", "the Linux kernel"},
    {"grp0A", "GCC and CMake"},
    {"grp0B", "GoogleTest, stay strict"},
    {"grp0C", "Google Benchmark"},
    {"grp0D", "OpenGL and GLU"},
    {"grp0E", "LLVM underneath"},
    {"grp0F", "Git, every commit"},
    {"grp10", "all the demo makers"},
    {"grp11", "you, at the back!"},
    {"grp12", "everyone who stayed"},
    {"grp13", "see you next party"},
};
constexpr int32_t greetingCount = 19;
static_assert(sizeof greetings / sizeof greetings[0] == greetingCount, "19 greetings");

constexpr float labelHalfSize = 25.0f;
using NGcommon::activityThreshold;

struct scene {
  NGcomp::model3ds* cubes = nullptr;  // "gricc"
  std::vector<cubeRecord> records;
  std::vector<NGcomp::pointsprite*> labels;
  NGcomp::drawShader* labelProgram = nullptr;  // "greetUtolsoShaderBAZDMEG"
  NGcomp::drawShader* cubeProgram = nullptr;   // the post-processing chain's "ssao_1"
  trackGroup* labelsOn = nullptr;              // "griccTXT.bind"
  trackGroup* blink = nullptr;                 // "kocka.villog"
  trackGroup* row = nullptr;                   // "kocka.sor"
};

scene& greetingsState() {
  static scene state;
  return state;
}

// The first program item of that name (the chain makes "ssao_1" before any
// scene is set up).
NGcomp::drawShader* findProgram(const char* name) {
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    NGcommon::item* candidate = NGcommon::itemAt(i);
    if (candidate == nullptr || std::strcmp(candidate->name, name) != 0) continue;
    if (auto* program = dynamic_cast<NGcomp::drawShader*>(candidate)) return program;
  }
  return nullptr;
}

}  // namespace

void setupGreetingsScene() {
  scene& state = greetingsState();
  state = scene{};
  // The record points at items: it is emptied when they are deleted, and
  // its groups go with it.
  NGcommon::forgetWithItems([] {
    scene& emptied = greetingsState();
    delete emptied.labelsOn;
    delete emptied.blink;
    delete emptied.row;
    emptied = scene{};
  });
  state.cubes = new NGcomp::model3ds("cube10by10.3ds", "gricc");
  state.records = makeCubeRecords();

  for (int32_t k = 0; k < greetingCount; ++k) {
    const greeting& entry = greetings[k];
    FWtexture::registerTextTexture(entry.key, entry.text);
    auto* label = new NGcomp::pointsprite(entry.key, entry.key);
    label->bindable = false;
    if (sceneTarget != nullptr) label->sprite->setTexture(1, sceneTarget->depthTexture.get());
    const float x = 30.0f * unitRandom();
    const float y = 30.0f * unitRandom();
    const float z = 30.0f * unitRandom();
    FWmodel::pointsprite& sprite = *label->sprite;
    sprite.position[0] = x + static_cast<float>(k) * (1.0f / 19.0f) * 1000.0f;
    sprite.position[1] = y;
    sprite.position[2] = z;
    sprite.halfWidth = labelHalfSize;
    sprite.halfHeight = labelHalfSize;
    state.labels.push_back(label);
  }

  state.labelProgram =
      new NGcomp::drawShader("basic.vert", "greetUtolsoShaderBAZDMEG", "particle3.frag");
  state.cubeProgram = findProgram("ssao_1");
}

void bindGreetingsScene() {
  scene& state = greetingsState();
  state.labelsOn = new trackGroup("griccTXT", "bind", nullptr, activitySwitch);
  state.blink = new trackGroup("kocka", "villog", nullptr, levelValue);
  state.row = new trackGroup("kocka", "sor", nullptr, levelValue);
}

bool greetingsActive() {
  scene& state = greetingsState();
  return state.cubes != nullptr && state.cubes->isActive();
}

void drawGreetingsContent() {
  scene& state = greetingsState();
  if (!greetingsActive()) return;
  const int32_t selectedRow =
      selectedCubeRow(state.row != nullptr ? state.row->valueNow() : 0.0f);
  const float strength = state.blink != nullptr ? state.blink->valueNow() : 0.0f;

  // Solid cubes: depth tested and written, no blending into the targets.
  gfx::enableCapability(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  gfx::disableCapability(GL_BLEND);

  NGcomp::drawShader* program = state.cubeProgram;
  const gfx::shaderProgram* shader = program != nullptr ? program->shader : nullptr;
  if (program != nullptr) program->begin();
  FWmath::matrix& transform = state.cubes->transform;
  for (int32_t i = 0; i < cubeRecordCount; i += cubeRecordStride) {
    const cubeRecord& record = state.records[static_cast<size_t>(i)];
    const float highlight = cubeHighlight(record, selectedRow, strength);
    if (shader != nullptr) {
      gfx::setUniform(shader, "joreggelt", highlight);
      // The colour of an unselected cube is left as it was: the shader only
      // uses it together with the highlight.
      if (record.row == selectedRow) gfx::setUniformVectors(shader, "color", 3, 1, record.color);
    }
    transform.identity();
    transform.rotate(record.angles[0], 1.0f, 0.0f, 0.0f);
    transform.rotate(record.angles[1], 0.0f, 1.0f, 0.0f);
    transform.rotate(record.angles[2], 0.0f, 0.0f, 1.0f);
    transform.translate(record.base[0], record.base[1], record.base[2]);
    transform.translate(record.offset[0], record.offset[1], record.offset[2]);
    state.cubes->draw();
  }
  if (shader != nullptr) gfx::setUniform(shader, "joreggelt", 0.0f);
  if (program != nullptr) program->end();
}

void drawGreetingsText() {
  scene& state = greetingsState();
  if (!greetingsActive()) return;
  if (state.labelsOn == nullptr || !(state.labelsOn->valueNow() > activityThreshold)) return;
  NGcomp::drawShader* program = state.labelProgram;
  program->begin();
  gfx::setUniform(program->shader, "zmap", int32_t{1});
  if (sceneTarget != nullptr) {
    gfx::setUniform(program->shader, "targetSize", static_cast<float>(sceneTarget->width),
                    static_cast<float>(sceneTarget->height));
  }
  for (NGcomp::pointsprite* label : state.labels) label->draw();
  program->end();
}

}  // namespace scenes
