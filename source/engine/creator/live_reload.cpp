#include "engine/creator/live_reload.h"

#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "engine/components/draw_shader.h"
#include "engine/creator/content_sources.h"
#include "engine/file_buffer.h"
#include "engine/item.h"
#include "engine/package.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track_file.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace creator {

namespace {

// A compiled shader, or 0 with the driver's message in `error`.
GLuint compileShader(GLenum type, const char* source, const std::string& file,
                     std::string* error) {
  const GLuint shader = ext::glCreateShader(type);
  ext::glShaderSource(shader, 1, &source, nullptr);
  ext::glCompileShader(shader);
  GLint status = 0;
  ext::glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status == GL_TRUE) return shader;
  *error = shaderLogMessage(gfx::infoLog(shader), file);
  ext::glDeleteShader(shader);
  return 0;
}

// Builds the program of `item` afresh from its two files; swaps it in only
// when it links.
bool rebuild(NGcomp::drawShader& item, std::string* error) {
  const std::string vertexName = "fx/" + item.vertexFile;
  const std::string fragmentName = "fx/" + item.fragmentFile;
  fileBuffer vertexText;
  fileBuffer fragmentText;
  try {
    readTextFile(vertexName.c_str(), vertexText);
    readTextFile(fragmentName.c_str(), fragmentText);
  } catch (int code) {
    *error = vertexName + " or " + fragmentName + ": cannot be read (error " +
             std::to_string(code) + ")";
    return false;
  }
  const GLuint vertex = compileShader(GL_VERTEX_SHADER,
                                      reinterpret_cast<const char*>(vertexText.data),
                                      vertexName, error);
  if (vertex == 0) return false;
  const GLuint fragment = compileShader(GL_FRAGMENT_SHADER,
                                        reinterpret_cast<const char*>(fragmentText.data),
                                        fragmentName, error);
  if (fragment == 0) {
    ext::glDeleteShader(vertex);
    return false;
  }
  const GLuint program = ext::glCreateProgram();
  ext::glAttachShader(program, vertex);
  ext::glAttachShader(program, fragment);
  ext::glLinkProgram(program);
  GLint status = 0;
  ext::glGetProgramiv(program, GL_LINK_STATUS, &status);
  if (status != GL_TRUE) {
    *error = shaderLogMessage(gfx::infoLog(program), fragmentName);
    ext::glDeleteProgram(program);
    ext::glDeleteShader(vertex);
    ext::glDeleteShader(fragment);
    return false;
  }
  gfx::shaderProgram& record = *item.shader;
  if (record.program != 0) ext::glDeleteProgram(record.program);
  if (record.vertexShader != 0) ext::glDeleteShader(record.vertexShader);
  if (record.fragmentShader != 0) ext::glDeleteShader(record.fragmentShader);
  record.program = program;
  record.vertexShader = vertex;
  record.fragmentShader = fragment;
  return true;
}

}  // namespace

int replaceTrackKeys(const contentSources& sources) {
  if (trackerDevice == nullptr) return 0;
  int replaced = 0;
  for (int32_t i = 0; i < trackerDevice->track_count; ++i) {
    sync_track* track = trackerDevice->tracks[i];
    const std::string* bytes = sources.trackBytes(track->name);
    if (bytes == nullptr) continue;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes->data());
    const trackFileCheck check = checkTrackFile(data, static_cast<uint32_t>(bytes->size()));
    // The encoder writes whole files; anything else would be our own fault.
    if (check.result != trackFileCheck::keys) continue;
    readTrackKeys(data, check, track);
    ++replaced;
  }
  return replaced;
}

std::vector<std::string> tracksReadByNothing(const contentSources& sources) {
  std::vector<std::string> unread;
  for (const auto& [name, bytes] : sources.tracks()) {
    if (trackerDevice == nullptr || sync_find_track(trackerDevice, name.c_str()) < 0) {
      unread.push_back(name);
    }
  }
  return unread;
}

shaderRebuild rebuildShaders(const std::string& fileName) {
  shaderRebuild result;
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) {
    auto* item = dynamic_cast<NGcomp::drawShader*>(NGcommon::itemAt(i));
    if (item == nullptr || item->shader == nullptr) continue;
    if (item->vertexFile != fileName && item->fragmentFile != fileName) continue;
    result.programs += 1;
    if (!gfx::glslEnabled) continue;
    std::string error;
    if (!rebuild(*item, &error)) {
      result.built = false;
      if (result.error.empty()) result.error = error;
    }
  }
  return result;
}

std::string shaderLogMessage(const std::string& log, const std::string& file) {
  size_t start = 0;
  std::string firstLine;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos) end = log.size();
    const std::string line = log.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;
    if (firstLine.empty()) firstLine = line;
    if (line.find("error") == std::string::npos) continue;
    int source = 0;
    int number = 0;
    int column = 0;
    int consumed = 0;
    if (std::sscanf(line.c_str(), "%d:%d(%d):%n", &source, &number, &column, &consumed) == 3 &&
        consumed > 0) {
      size_t text = static_cast<size_t>(consumed);
      while (text < line.size() && line[text] == ' ') ++text;
      return file + ":" + std::to_string(number) + ": " + line.substr(text);
    }
    return file + ": " + line;
  }
  return file + ": " + (firstLine.empty() ? std::string("the driver refused it") : firstLine);
}

}  // namespace creator
