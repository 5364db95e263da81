#include "content/sync_script.h"

#include "content/content_error.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace content {

namespace {

constexpr int64_t rowsPerBar = 32;
constexpr int64_t rowsPerBeat = 8;
constexpr int64_t beatsPerBar = rowsPerBar / rowsPerBeat;

struct keyLine {
  trackKey key;
  int line;
};

struct pendingRepeat {
  int line = 0;
  int64_t count = 0;
  int64_t length = 0;
  std::vector<keyLine> keys;
};

class scriptParser {
 public:
  scriptParser(const std::string& text, const std::string& source) : text_(text), source_(source) {}

  syncScript parse() {
    std::istringstream lines(text_);
    std::string line;
    while (std::getline(lines, line)) {
      ++lineNumber_;
      parseLine(tokensOf(line));
    }
    finishTrack();
    syncScript script;
    script.source = source_;
    script.tracks = std::move(tracks_);
    return script;
  }

 private:
  [[noreturn]] void fail(int line, const std::string& what) const {
    throw contentError(source_ + ":" + std::to_string(line) + ": " + what);
  }
  [[noreturn]] void fail(const std::string& what) const { fail(lineNumber_, what); }

  static std::vector<std::string> tokensOf(const std::string& line) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> tokens;
    std::string word;
    while (words >> word) tokens.push_back(word);
    return tokens;
  }

  void parseLine(const std::vector<std::string>& tokens) {
    if (tokens.empty()) return;
    const std::string& first = tokens[0];
    if (first == "track") {
      if (tokens.size() != 2) fail("expected \"track NAME\"");
      startTrack(tokens[1]);
    } else if (first == "repeat") {
      startRepeat(tokens);
    } else if (first == "end") {
      if (tokens.size() != 1) fail("\"end\" stands alone on its line");
      if (!repeating_) fail("\"end\" without a \"repeat\"");
      finishRepeat();
    } else {
      addKey(tokens);
    }
  }

  void startTrack(const std::string& name) {
    finishTrack();
    const std::string problem = trackNameProblem(name);
    if (!problem.empty()) fail(problem);
    for (size_t i = 0; i < tracks_.size(); ++i) {
      if (tracks_[i].name == name) {
        fail("track " + name + " is already defined on line " + std::to_string(trackLines_[i]));
      }
    }
    tracks_.push_back(namedTrack{name, {}});
    trackLines_.push_back(lineNumber_);
  }

  void finishTrack() {
    if (repeating_) fail(repeat_.line, "\"repeat\" without its \"end\"");
  }

  void startRepeat(const std::vector<std::string>& tokens) {
    if (tracks_.empty()) fail("\"repeat\" outside a track block; start one with \"track NAME\"");
    if (repeating_) fail("a repeat cannot hold another repeat");
    if (tokens.size() != 4 || tokens[2] != "every") fail("expected \"repeat COUNT every LENGTH\"");
    repeat_ = pendingRepeat{};
    repeat_.line = lineNumber_;
    repeat_.count = parseInteger(tokens[1], "repeat count");
    if (repeat_.count < 1) fail("a repeat count is at least 1");
    repeat_.length = parseRowText(tokens[3], false);
    if (repeat_.length < 1) fail("a repeat length is at least one row");
    repeating_ = true;
  }

  void finishRepeat() {
    repeating_ = false;
    for (int64_t pass = 0; pass < repeat_.count; ++pass) {
      for (const keyLine& entry : repeat_.keys) {
        const int64_t row = static_cast<int64_t>(entry.key.row) + pass * repeat_.length;
        if (row > INT32_MAX) fail(entry.line, "repeat runs past the last row a track can hold");
        trackKey key = entry.key;
        key.row = static_cast<int32_t>(row);
        appendKey(key, entry.line);
      }
    }
  }

  void addKey(const std::vector<std::string>& tokens) {
    if (tracks_.empty()) fail("key outside a track block; start one with \"track NAME\"");
    if (tokens.size() != 3) {
      fail("expected \"ROW VALUE INTERPOLATION\", found " + std::to_string(tokens.size()) + " words");
    }
    trackKey key;
    key.row = static_cast<int32_t>(parseRowText(tokens[0], true));
    key.value = parseValue(tokens[1]);
    const int type = interpolationFromName(tokens[2]);
    if (type < 0) {
      fail("unknown interpolation \"" + tokens[2] + "\" (use step, linear, smooth or ramp)");
    }
    key.type = static_cast<int8_t>(type);
    if (repeating_) {
      repeat_.keys.push_back(keyLine{key, lineNumber_});
    } else {
      appendKey(key, lineNumber_);
    }
  }

  void appendKey(const trackKey& key, int line) {
    namedTrack& track = tracks_.back();
    if (!track.keys.empty() && key.row <= track.keys.back().row) {
      fail(line, "key at row " + formatRow(key.row) + " of track " + track.name +
                     " is not after the previous key at row " + formatRow(track.keys.back().row) +
                     "; keys go in ascending row order");
    }
    track.keys.push_back(key);
  }

  int64_t parseInteger(const std::string& text, const char* what) const {
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0') fail(std::string("bad ") + what + " \"" + text + "\"");
    if (errno == ERANGE || value < INT32_MIN || value > INT32_MAX) {
      fail(std::string(what) + " \"" + text + "\" is out of range");
    }
    return value;
  }

  // A row (a position: bar:beat:row counts from track row 1) or a length.
  int64_t parseRowText(const std::string& text, bool position) const {
    const size_t firstColon = text.find(':');
    if (firstColon == std::string::npos) return parseInteger(text, position ? "row" : "length");
    const size_t secondColon = text.find(':', firstColon + 1);
    if (secondColon == std::string::npos || text.find(':', secondColon + 1) != std::string::npos) {
      fail("bad row \"" + text + "\": write bar:beat:row or a plain row number");
    }
    const int64_t bar = parseInteger(text.substr(0, firstColon), "bar");
    const int64_t beat = parseInteger(text.substr(firstColon + 1, secondColon - firstColon - 1), "beat");
    const int64_t row = parseInteger(text.substr(secondColon + 1), "row");
    if (bar < 0) fail("bar in \"" + text + "\" is negative");
    if (beat < 0 || beat >= beatsPerBar) fail("beat in \"" + text + "\" is outside 0..3");
    if (row < 0 || row >= rowsPerBeat) fail("row in \"" + text + "\" is outside 0..7");
    const int64_t total = (position ? 1 : 0) + bar * rowsPerBar + beat * rowsPerBeat + row;
    if (total > INT32_MAX) fail("\"" + text + "\" is past the last row a track can hold");
    return total;
  }

  float parseValue(const std::string& text) const {
    errno = 0;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    if (*end != '\0' || end == text.c_str()) fail("bad value \"" + text + "\"");
    if (!std::isfinite(value) || errno == ERANGE) {
      if (!(errno == ERANGE && value == 0.0f)) fail("value \"" + text + "\" is out of range");
    }
    return value;
  }

  const std::string& text_;
  const std::string& source_;
  int lineNumber_ = 0;
  std::vector<namedTrack> tracks_;
  std::vector<int> trackLines_;
  bool repeating_ = false;
  pendingRepeat repeat_;
};

std::string padded(const std::string& text, size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

syncScript parseSyncScript(const std::string& text, const std::string& source) {
  return scriptParser(text, source).parse();
}

syncScript readSyncScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw contentError(path + ": cannot read the sync script");
  std::stringstream text;
  text << in.rdbuf();
  return parseSyncScript(text.str(), path);
}

int32_t rowOfBarBeatRow(int32_t bar, int32_t beat, int32_t row) {
  return static_cast<int32_t>(1 + bar * rowsPerBar + beat * rowsPerBeat + row);
}

std::string formatRow(int32_t row) {
  if (row < 1) return std::to_string(row);
  const int64_t sinceStart = static_cast<int64_t>(row) - 1;
  return std::to_string(sinceStart / rowsPerBar) + ":" +
         std::to_string(sinceStart % rowsPerBar / rowsPerBeat) + ":" +
         std::to_string(sinceStart % rowsPerBeat);
}

std::string formatValue(float value) {
  // Keep the sign of negative zero, which compares equal to 0.
  if (value == 0.0f) return std::signbit(value) ? "-0" : "0";
  char text[64];
  const float magnitude = std::fabs(value);
  if (magnitude >= 1e-4f && magnitude < 1e9f) {
    // Plain decimals read best for the values scripts hold.
    for (int decimals = 0; decimals <= 12; ++decimals) {
      std::snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(value));
      if (std::strtof(text, nullptr) == value) return text;
    }
  }
  for (int digits = 1; digits <= 9; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
    if (std::strtof(text, nullptr) == value) break;
  }
  return text;
}

std::string formatSyncScript(const std::vector<namedTrack>& tracks) {
  std::string out;
  for (size_t i = 0; i < tracks.size(); ++i) {
    if (i > 0) out += "\n";
    out += "track " + tracks[i].name + "\n";
    for (const trackKey& key : tracks[i].keys) {
      const char* name = interpolationName(key.type);
      out += "    " + padded(formatRow(key.row), 12) + padded(formatValue(key.value), 12) +
             (name != nullptr ? name : std::to_string(key.type)) + "\n";
    }
  }
  return out;
}

}  // namespace content
