#include "engine/creator/creator_mode.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/screen_quad.h"
#include "api/gl/state.h"
#include "api/model/text.h"
#include "engine/creator/content_sources.h"
#include "engine/creator/live_reload.h"
#include "engine/creator/overlay_lines.h"
#include "engine/creator/timeline.h"
#include "engine/demo_clock.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/scenes/frame_composition.h"
#include "engine/shell.h"
#include "engine/statistics.h"
#include "platform/file_watch.h"
#include "platform/window.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace creator {

namespace {

constexpr int overlayLines = 6;

struct session {
  std::unique_ptr<contentSources> sources;
  platform::fileWatch watch;
  timeline songGrid{1};
  bool paused = false;
  bool statistics = false;
  // What is wrong now, by the file (or folder) at fault.
  std::map<std::string, std::string> mistakes;
  FWmodel::text* lines[overlayLines] = {};
  gfx::screenQuad* box = nullptr;
};

session* current = nullptr;

bool readFromSources(const char* path, std::string* bytes) {
  return current != nullptr && current->sources->entry(path, bytes);
}

void reportMistake(const std::string& where, const std::string& message) {
  auto& known = current->mistakes[where];
  if (known == message) return;
  known = message;
  std::fprintf(stderr, "creator: %s\n", message.c_str());
}

void clearMistake(const std::string& where) {
  if (current->mistakes.erase(where) > 0) {
    std::fprintf(stderr, "creator: %s is good again\n", where.c_str());
  }
}

void reportUnreadTracks() {
  for (const std::string& name : tracksReadByNothing(*current->sources)) {
    std::fprintf(stderr, "creator: track %s in the scripts is read by nothing in the show\n",
                 name.c_str());
  }
}

void takeScripts() {
  const std::string where = current->sources->syncFolder();
  std::string error;
  if (!current->sources->compileScripts(&error)) {
    reportMistake(where, error);
    return;
  }
  clearMistake(where);
  replaceTrackKeys(*current->sources);
  reportUnreadTracks();
}

void takeShader(const std::string& fileName) {
  const shaderRebuild result = rebuildShaders(fileName);
  const std::string where = current->sources->fxFolder() + "/" + fileName;
  if (result.built) {
    clearMistake(where);
  } else {
    // The driver names the package entry ("fx/NAME"); the creator edits it
    // in the content folder.
    reportMistake(where, current->sources->folder() + "/" + result.error);
  }
}

void takeSavedFiles() {
  bool scripts = false;
  std::vector<std::string> shaders;
  const std::string syncFolder = current->sources->syncFolder() + "/";
  const std::string fxFolder = current->sources->fxFolder() + "/";
  for (const std::string& path : current->watch.savedFiles()) {
    if (path.rfind(syncFolder, 0) == 0) {
      scripts |= path.size() > 5 && path.compare(path.size() - 5, 5, ".sync") == 0;
    } else if (path.rfind(fxFolder, 0) == 0) {
      shaders.push_back(path.substr(fxFolder.size()));
    }
  }
  if (scripts) takeScripts();
  for (const std::string& name : shaders) takeShader(name);
}

float rowNow() {
  if (music == nullptr || music->stream == nullptr) return 1.0f;
  return rowPositionAt(music->stream->positionPcm(), music->stream->frequency(), music->msPerRow);
}

// A hair past the row's first sample, so the row read back is that row
// whatever the rounding.
uint32_t samplesAtRow(int32_t row) {
  const double seconds =
      (static_cast<double>(row) - 1.0 + 0.01) * static_cast<double>(music->msPerRow) / 1000.0;
  return static_cast<uint32_t>(seconds * static_cast<double>(music->stream->frequency()));
}

void seekRow(int32_t row) {
  if (music == nullptr || music->stream == nullptr) return;
  if (!music->stream->seek(samplesAtRow(row))) {
    reportMistake("clock", "the clock cannot seek");
  }
}

void togglePause() {
  if (music == nullptr || music->stream == nullptr) return;
  if (music->stream->pause(!current->paused)) {
    current->paused = !current->paused;
  } else {
    reportMistake("clock", "the clock cannot pause");
  }
}

void takeKeys() {
  for (const platform::keyPress& press : platform::takeKeyPresses()) {
    const timelineCommand command = current->songGrid.onKey(press, rowNow());
    switch (command.what) {
      case timelineCommand::togglePause: togglePause(); break;
      case timelineCommand::seekRow: seekRow(command.row); break;
      case timelineCommand::toggleStatistics: current->statistics = !current->statistics; break;
      case timelineCommand::loopChanged:
      case timelineCommand::none: break;
    }
  }
  const int32_t jump = current->songGrid.loopJump(rowNow());
  if (jump >= 0 && !current->paused) seekRow(jump);
}

FWmodel::text* makeLine(float y, float glyphSize) {
  auto* line = new FWmodel::text;
  line->buildGlyphLists(statFont, 0.0625f, 0.0625f);
  line->pixelMode = 1;
  line->x = 4.0f;
  line->y = y;
  line->glyphWidth = glyphSize;
  line->glyphHeight = glyphSize;
  line->advance = glyphSize;
  return line;
}

void deleteOverlay() {
  for (FWmodel::text*& line : current->lines) {
    delete line;
    line = nullptr;
  }
  delete current->box;
  current->box = nullptr;
}

void setLine(int index, const std::string& text) {
  if (current->lines[index] != nullptr) current->lines[index]->setString(text.c_str());
}

}  // namespace

void begin(const std::string& contentFolder) {
  end();
  current = new session;
  current->sources = std::make_unique<contentSources>(contentFolder);
  std::string error;
  for (const std::string& folder : {current->sources->syncFolder(), current->sources->fxFolder()}) {
    if (!current->watch.watchFolder(folder, &error)) {
      reportMistake(folder, "changes are not seen: " + error);
    }
  }
  if (!current->sources->compileScripts(&error)) {
    reportMistake(current->sources->syncFolder(),
                  error + " (the package's tracks play until it is fixed)");
  }
  packageEntrySource = readFromSources;
}

void started() {
  if (current == nullptr) return;
  platform::collectKeyPresses();
  current->statistics = showStatistics;
  if (music != nullptr && music->msPerRow > 0.0f) {
    const double rows = static_cast<double>(music->lengthSeconds) * 1000.0 / music->msPerRow;
    current->songGrid = timeline(1 + static_cast<int32_t>(rows));
  }
  if (current->sources->compiled()) reportUnreadTracks();
  if (statFont == nullptr) return;
  deleteOverlay();
  const float top = static_cast<float>(gfx::viewportHeight) - 8.0f * (overlayLines + 1) - 12.0f;
  current->lines[0] = makeLine(top, 16.0f);
  for (int i = 1; i < overlayLines; ++i) current->lines[i] = makeLine(top + 10.0f + 8.0f * i, 8.0f);
  current->box = new gfx::screenQuad;
  current->box->pixelMode = 1;
  gfx::layoutScreenQuad(*current->box);
  current->box->x = 0.0f;
  current->box->y = top - 4.0f;
  current->box->scaleX = static_cast<float>(gfx::viewportWidth);
  current->box->scaleY = static_cast<float>(gfx::viewportHeight) - top + 4.0f;
  current->box->color[0] = current->box->color[1] = current->box->color[2] = 0.0f;
  current->box->color[3] = 0.5f;
}

bool active() { return current != nullptr; }

void beforeFrame() {
  if (current == nullptr) return;
  takeSavedFiles();
  takeKeys();
}

void afterFrame() {
  if (current == nullptr || current->lines[0] == nullptr) return;
  const float row = rowNow();
  std::string position = formatGrid(gridPositionOf(row)) + "  " + scenes::sceneNameNow();
  if (current->paused) position += "  [paused]";
  setLine(0, position);
  setLine(1, current->songGrid.loopText());
  // The mistakes wrap inside the picture: one glyph advance a column.
  std::vector<std::string> messages;
  for (const auto& [where, message] : current->mistakes) messages.push_back(message);
  const float advance = current->lines[2]->advance;
  const auto columns = static_cast<size_t>(
      std::max(8.0f, (static_cast<float>(gfx::viewportWidth) - 2.0f * current->lines[2]->x) / advance));
  int index = 2;
  for (const std::string& line : wrapMessages(messages, columns, overlayLines - 2)) {
    setLine(index++, line);
  }
  while (index < overlayLines) setLine(index++, "");
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  gfx::enableCapability(GL_BLEND);
  gfx::drawScreenQuad(*current->box);
  for (FWmodel::text* line : current->lines) line->draw();
}

std::vector<std::string> mistakesShown() {
  std::vector<std::string> shown;
  if (current == nullptr) return shown;
  for (const auto& [where, message] : current->mistakes) shown.push_back(message);
  return shown;
}

bool statisticsShown() { return current != nullptr && current->statistics; }

void end() {
  if (current == nullptr) return;
  deleteOverlay();
  if (packageEntrySource == readFromSources) packageEntrySource = nullptr;
  delete current;
  current = nullptr;
}

}  // namespace creator
