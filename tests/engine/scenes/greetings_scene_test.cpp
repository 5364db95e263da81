// The greetings scene: the cube table, the row selection that drives the
// highlight (checked in the scene target with a probe shader that writes
// the highlight uniforms as colour), and when the labels show.
#include "api/gl/extensions.h"
#include "api/model/point_sprite.h"
#include "api/texture/registry.h"
#include "engine/components/point_sprite.h"
#include "engine/item.h"
#include "engine/scenes/greetings_cubes.h"
#include "engine/scenes/greetings_scene.h"
#include "engine/scenes/post_processing.h"
#include "engine/show_random.h"
#include "support/greetings_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <vector>

namespace {

using testing_support::kContextHeight;
using testing_support::kContextWidth;

class Greetings : public testing_support::greetingsChainTest {
 protected:
  // Pixels of the labels' warm-white ink on screen.
  int countInk() { return countPixels(0, 0, kContextWidth, kContextHeight, 255, 242, 214, 6); }
};

TEST(GreetingCubes, RecordsFollowTheGeneratorFieldByField) {
  resetShowRandom();
  const std::vector<scenes::cubeRecord> records = scenes::makeCubeRecords();
  ASSERT_EQ(records.size(), 4096u);
  // The generator starts 41, 18467, 6334, 26500, 19169, 15724, 11478,
  // 29358, 26962, 24464: offset, angles, colour, row of record 0.
  const scenes::cubeRecord& first = records[0];
  EXPECT_FLOAT_EQ(first.offset[0], 20.0f * (1.0f - 41.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.offset[1], 20.0f * (1.0f - 8467.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.offset[2], 20.0f * (1.0f - 6334.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.angles[0], 360.0f * (1.0f - 6500.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.angles[1], 360.0f * (1.0f - 9169.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.angles[2], 360.0f * (1.0f - 5724.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.color[0], std::fabs(1.0f - 1478.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.color[1], std::fabs(1.0f - 9358.0f / 5000.0f));
  EXPECT_FLOAT_EQ(first.color[2], std::fabs(1.0f - 6962.0f / 5000.0f));
  EXPECT_EQ(first.row, 2);  // |20 * (1 - 4464 / 5000)| = 2.144

  std::set<int32_t> rows;
  for (size_t i = 0; i < records.size(); ++i) {
    const scenes::cubeRecord& record = records[i];
    EXPECT_EQ(record.base[0], static_cast<float>(i) * 1000.0f / 4096.0f);
    EXPECT_EQ(record.base[1], 0.0f);
    for (int axis = 0; axis < 3; ++axis) {
      EXPECT_LE(std::fabs(record.offset[axis]), 20.0f);
      EXPECT_LE(std::fabs(record.angles[axis]), 360.0f);
      EXPECT_GE(record.color[axis], 0.0f);
      EXPECT_LE(record.color[axis], 1.0f);
    }
    rows.insert(record.row);
  }
  EXPECT_EQ(*rows.begin(), 0);
  EXPECT_EQ(*rows.rbegin(), 20);
  EXPECT_EQ(rows.size(), 21u);
  // The last drawn cube, 4090, sits at 998.53516.
  EXPECT_FLOAT_EQ(records[4090].base[0], 998.53516f);
  resetShowRandom();
}

TEST(GreetingCubes, TheRowTrackTruncatesTowardsZero) {
  EXPECT_EQ(scenes::selectedCubeRow(3.9f), 3);
  EXPECT_EQ(scenes::selectedCubeRow(-0.5f), 0);
  EXPECT_EQ(scenes::selectedCubeRow(20.0f), 20);
  EXPECT_EQ(scenes::selectedCubeRow(-3.5f), -3);
  EXPECT_EQ(scenes::selectedCubeRow(1e20f), -1);
  EXPECT_EQ(scenes::selectedCubeRow(std::numeric_limits<float>::quiet_NaN()), -1);

  scenes::cubeRecord record{};
  record.row = 3;
  EXPECT_EQ(scenes::cubeHighlight(record, 3, 0.75f), 0.75f);
  EXPECT_EQ(scenes::cubeHighlight(record, 4, 0.75f), 0.0f);
  EXPECT_EQ(scenes::cubeHighlight(record, 3, 0.0f), 0.0f);
}

// Writes the highlight uniforms as colour: red the strength, green and blue
// the first two components of the cube's colour.
const char* highlightProbe =
    "#version 120\n"
    "uniform float joreggelt; uniform vec3 color;\n"
    "void main() {\n"
    "  gl_FragData[0] = vec4(joreggelt, color.r, color.g, 1.0);\n"
    "  gl_FragData[1] = vec4(0.5, 0.5, 1.0, 0.0);\n"
    "  gl_FragData[2] = vec4(0.0);\n"
    "  gl_FragData[3] = vec4(0.0);\n"
    "}\n";

struct probePixel {
  int red, green, blue;
};

// Attachment 0 of the scene target over the picture.
std::vector<probePixel> sceneColour() {
  std::vector<uint8_t> bytes(static_cast<size_t>(kContextWidth) * kContextHeight * 4);
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, scenes::sceneTarget->framebuffer);
  glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kContextWidth, kContextHeight, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
  ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
  std::vector<probePixel> pixels;
  for (size_t i = 0; i < bytes.size(); i += 4) pixels.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
  return pixels;
}

// Highlighted pixels in the probe picture; every one must carry the colour
// of a drawn cube of `row`.
int highlightedPixelsOfRow(const std::vector<probePixel>& pixels, int32_t row, int strength) {
  // The chain's set-up draws the noise (1024 numbers) and the kernel (96)
  // before the scene draws its cubes.
  resetShowRandom();
  for (int i = 0; i < 1024 + 96; ++i) showRandom();
  std::vector<scenes::cubeRecord> records = scenes::makeCubeRecords();
  int highlighted = 0;
  int strays = 0;
  for (const probePixel& pixel : pixels) {
    if (pixel.red == 0) continue;
    ++highlighted;
    if (std::abs(pixel.red - strength) > 1) ++strays;
    bool matches = false;
    for (size_t i = 0; i < records.size(); i += 10) {
      const scenes::cubeRecord& record = records[i];
      if (record.row == row && std::fabs(record.color[0] * 255.0f - pixel.green) <= 1.0f &&
          std::fabs(record.color[1] * 255.0f - pixel.blue) <= 1.0f) {
        matches = true;
        break;
      }
    }
    if (!matches) ++strays;
  }
  EXPECT_EQ(strays, 0);
  return highlighted;
}

// A wide view of the first 400 units of the row.
const std::map<std::string, float> wideView = {
    {"cam0.e.x", 330}, {"cam0.e.y", -90}, {"cam0.e.z", 5}, {"cam0.c.x", 200},
    {"clear.c.r", 0},  {"clear.c.g", 0},  {"clear.c.b", 0}};

std::map<std::string, float> with(std::map<std::string, float> tracks,
                                  const std::map<std::string, float>& more) {
  for (const auto& [name, value] : more) tracks[name] = value;
  return tracks;
}

TEST_F(Greetings, TheRowTrackSelectsWhichCubesAreHighlighted) {
  buildChain(with(wideView, {{"kocka.sor", 3.9f}, {"kocka.villog", 1.0f}}),
             {{"pointlight.frag", highlightProbe}});
  drawFrame(1.0f);
  EXPECT_GT(highlightedPixelsOfRow(sceneColour(), 3, 255), 500);
}

TEST_F(Greetings, ANegativeRowValueSelectsRowZero) {
  buildChain(with(wideView, {{"kocka.sor", -0.5f}, {"kocka.villog", 0.6f}}),
             {{"pointlight.frag", highlightProbe}});
  drawFrame(1.0f);
  EXPECT_GT(highlightedPixelsOfRow(sceneColour(), 0, 153), 500);
}

TEST_F(Greetings, NoBlinkMeansNoHighlight) {
  buildChain(with(wideView, {{"kocka.sor", 3.0f}, {"kocka.villog", 0.0f}}),
             {{"pointlight.frag", highlightProbe}});
  drawFrame(1.0f);
  const std::vector<probePixel> pixels = sceneColour();
  int highlighted = 0;
  int cubes = 0;
  for (const probePixel& pixel : pixels) {
    if (pixel.red != 0) ++highlighted;
    if (pixel.green != 0 || pixel.blue != 0) ++cubes;
  }
  EXPECT_EQ(highlighted, 0);
  // The colour uniform still reaches the selected cubes.
  EXPECT_GT(cubes, 500);
}

TEST_F(Greetings, SetUpRegistersNineteenLabelsWithTheSceneDepth) {
  buildChain();
  int labels = 0;
  const float spacing = 1000.0f / 19.0f;
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    auto* label = dynamic_cast<NGcomp::pointsprite*>(NGcommon::itemAt(i));
    if (label == nullptr) continue;
    ++labels;
    SCOPED_TRACE(label->name);
    EXPECT_FALSE(label->bindable);
    EXPECT_EQ(label->textureName, label->name);
    EXPECT_EQ(FWtexture::textureGenerators.count(label->name), 1u);
    EXPECT_EQ(label->sprite->getTexture(1), scenes::sceneTarget->depthTexture.get());
    ASSERT_NE(label->sprite->getTexture(0), nullptr);
    EXPECT_EQ(label->sprite->halfWidth, 25.0f);
    EXPECT_EQ(label->sprite->halfHeight, 25.0f);
    // Along the row in table order, within 30 of their place.
    const float* position = label->sprite->position;
    EXPECT_LE(std::fabs(position[0] - static_cast<float>(labels - 1) * spacing), 30.0f);
    EXPECT_LE(std::fabs(position[1]), 30.0f);
    EXPECT_LE(std::fabs(position[2]), 30.0f);
  }
  EXPECT_EQ(labels, 19);
  EXPECT_EQ(FWtexture::textureGenerators.count("grp02"), 0u);
}

TEST_F(Greetings, LabelsShowWhenTheirTrackAndTheCubesAreOn) {
  buildChain({{"griccTXT.bind", 1}});
  drawFrame(1.0f);
  EXPECT_GT(countInk(), 300);
}

TEST_F(Greetings, LabelsHideBehindWhatTheSceneDepthHasInFront) {
  buildChain({{"griccTXT.bind", 1}});
  drawFrame(1.0f);
  auto labelsOverDepth = [&](double depth) {
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, scenes::sceneTarget->framebuffer);
    glClearDepth(depth);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    scenes::drawGreetingsText();
    return countInk();
  };
  // Nothing in front: every label in view shows; everything in front: none.
  EXPECT_GT(labelsOverDepth(1.0), 300);
  EXPECT_EQ(labelsOverDepth(0.0), 0);
}

TEST_F(Greetings, LabelsStayOffAtTheThreshold) {
  buildChain({{"griccTXT.bind", 0.7f}});
  drawFrame(1.0f);
  EXPECT_LT(countInk(), 20);
  // The cubes and the background are there all the same.
  EXPECT_GT(countLit(0, 0, kContextWidth, kContextHeight), kContextWidth * kContextHeight / 2);
}

TEST_F(Greetings, LabelsStayOffWhileTheCubeModelIsInactive) {
  buildChain({{"griccTXT.bind", 1}, {"gricc.bind", 0}, {"clear.c.r", 0}, {"clear.c.g", 0},
              {"clear.c.b", 0}});
  drawFrame(1.0f);
  EXPECT_FALSE(scenes::greetingsActive());
  // Even asked directly, the text pass draws nothing.
  scenes::drawGreetingsText();
  EXPECT_EQ(countLit(0, 0, kContextWidth, kContextHeight), 0);
}

// The scene and the chain keep pointers to their items; deleting the items
// (shutdown, or the next test's fresh start) must not leave them dangling.
TEST_F(Greetings, DeletingTheItemsEmptiesTheSceneAndTheChain) {
  buildChain();
  ASSERT_TRUE(scenes::greetingsActive());
  NGcommon::deleteAllItems();
  EXPECT_FALSE(scenes::greetingsActive());
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  scenes::runPostProcessing();
  scenes::drawGreetingsText();
  EXPECT_EQ(countLit(0, 0, kContextWidth, kContextHeight), 0);
}

}  // namespace
