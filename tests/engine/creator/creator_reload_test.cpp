// Creator mode taking in saved files while the show runs: a changed sync
// script changes the frame drawn at its rows, a broken script or shader
// keeps the last good version and names the line at fault.
#include "api/gl/shader.h"
#include "engine/components/draw_shader.h"
#include "engine/creator/creator_mode.h"
#include "engine/item.h"
#include "support/scene_frame.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using CreatorReload = testing_support::sceneFrameTest;

void writeText(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
}

// Every scene and fade off; the clear colour's red channel from `redKeys`.
std::string sceneScript(const std::string& redKeys) {
  std::string script = "track clear.c.r\n" + redKeys;
  for (const char* off : {"clear.c.g", "clear.c.b", "eleje.bind", "tent.bind", "cso0.bind",
                          "gricc.bind", "kacsa.bind", "fekete.fade", "feher.fade"}) {
    script += std::string("track ") + off + "\n    0:0:0  0  step\n";
  }
  return script;
}

// How many of the mistakes shown contain `part`.
int shownWith(const std::string& part) {
  int count = 0;
  for (const std::string& mistake : creator::mistakesShown()) {
    count += mistake.find(part) != std::string::npos ? 1 : 0;
  }
  return count;
}

// Creator mode ends with the test, whatever it asserted.
struct creatorSession {
  explicit creatorSession(const std::string& folder) { creator::begin(folder); }
  ~creatorSession() { creator::end(); }
};

NGcomp::drawShader* programReading(const std::string& fragmentFile) {
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    auto* item = dynamic_cast<NGcomp::drawShader*>(NGcommon::itemAt(i));
    if (item != nullptr && item->fragmentFile == fragmentFile) return item;
  }
  return nullptr;
}

TEST_F(CreatorReload, SavedScriptsAndShadersReachTheRunningShow) {
  const std::string folder = folder_ + "/content";
  fs::create_directories(folder + "/sync");
  fs::create_directories(folder + "/fx");
  const std::string script = folder + "/sync/show.sync";
  writeText(script, sceneScript("    0:0:0  0  step\n"));
  const creatorSession session(folder);
  buildScenes();

  const float redRow = 1 + 10 * 32 + 4;  // 10:0:4
  auto redPixels = [&](float row) {
    drawFrame(row);
    return countPixels(412, 284, 200, 200, 255, 0, 0);
  };
  EXPECT_EQ(redPixels(redRow), 0);

  writeText(script, sceneScript("    0:0:0  0  step\n    10:0:0  1  step\n"));
  creator::beforeFrame();
  EXPECT_TRUE(creator::mistakesShown().empty());
  EXPECT_EQ(redPixels(redRow), 200 * 200);
  EXPECT_EQ(redPixels(100.0f), 0);

  // Line 3 is the broken key: the red stays, the line is named.
  writeText(script, sceneScript("    0:0:0  0  step\n    10:0:0  0  steep\n"));
  creator::beforeFrame();
  EXPECT_EQ(creator::mistakesShown().size(), 1u);
  EXPECT_EQ(shownWith("show.sync:3:"), 1);
  EXPECT_EQ(redPixels(redRow), 200 * 200);

  // A shader that does not compile keeps the program that ran; the fixed
  // one replaces it.
  NGcomp::drawShader* tunnel = programReading("tunnel1.frag");
  ASSERT_NE(tunnel, nullptr);
  const GLuint running = tunnel->shader->program;
  writeText(folder + "/fx/tunnel1.frag", "void main() {\n  gl_FragColor = nonsense;\n}\n");
  creator::beforeFrame();
  EXPECT_EQ(creator::mistakesShown().size(), 2u);
  EXPECT_EQ(shownWith("fx/tunnel1.frag:2:"), 1);
  EXPECT_EQ(tunnel->shader->program, running);

  std::ifstream original(std::string(AMBER_CONTENT_FOLDER) + "/fx/tunnel1.frag");
  std::ostringstream text;
  text << original.rdbuf();
  writeText(folder + "/fx/tunnel1.frag", text.str());
  creator::beforeFrame();
  EXPECT_EQ(shownWith("tunnel1.frag"), 0);
  EXPECT_NE(tunnel->shader->program, running);
}

}  // namespace
