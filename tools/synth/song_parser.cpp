#include "song_parser.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "instrument_settings_table.h"
#include "music_theory.h"

namespace songsynth {

namespace {

// Splits a line into words. A "#" that begins a word starts a comment (so
// "C#4" stays a note); double quotes keep spaces.
std::vector<std::string> splitWords(const std::string& line) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  bool inWord = false;
  for (char c : line) {
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
      continue;
    }
    if (c == '#' && !inWord) break;
    if (c == '"') {
      quoted = true;
      inWord = true;
    } else if (c == ' ' || c == '\t' || c == '\r') {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

class songParser {
 public:
  songParser(const std::string& text, const std::string& fileName) : fileName_(fileName) {
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line)) lines_.push_back(splitWords(line));
    result_.file = fileName;
  }

  song parse() {
    while (nextLine()) {
      const std::string& keyword = words_[0];
      if (keyword == "title") {
        expectCount(2, 2);
        result_.title = words_[1];
      } else if (keyword == "tempo") {
        expectCount(2, 2);
        result_.tempo = number(1, 40, 300);
      } else if (keyword == "steps_per_bar") {
        expectCount(2, 2);
        result_.stepsPerBar = wholeNumber(1, 4, 64);
      } else if (keyword == "bars") {
        expectCount(2, 2);
        result_.bars = wholeNumber(1, 1, 1000);
      } else if (keyword == "swing") {
        expectCount(2, 2);
        result_.swing = number(1, 0, 0.5);
      } else if (keyword == "seed") {
        expectCount(2, 2);
        result_.seed = static_cast<uint32_t>(wholeNumber(1, 0, 2147483647));
      } else if (keyword == "master") {
        parseMaster();
      } else if (keyword == "chords") {
        parseProgression();
      } else if (keyword == "instrument") {
        parseInstrument();
      } else if (keyword == "beat" || keyword == "notes") {
        parsePattern(keyword == "beat");
      } else if (keyword == "section") {
        parseSection();
      } else {
        fail("unknown statement \"" + keyword + "\"");
      }
    }
    if (result_.bars == 0) throw songError(fileName_ + ": the song has no \"bars\" statement");
    return result_;
  }

 private:
  [[noreturn]] void failAt(int line, const std::string& message) const {
    throw songError(fileName_ + ":" + std::to_string(line) + ": " + message);
  }
  [[noreturn]] void fail(const std::string& message) const { failAt(lineNumber_, message); }

  // Moves to the next line with words; false at the end of the file.
  bool nextLine() {
    while (next_ < lines_.size()) {
      lineNumber_ = static_cast<int>(next_) + 1;
      words_ = lines_[next_++];
      if (!words_.empty()) return true;
    }
    return false;
  }

  // Next line inside a block; false on "end". A missing "end" is an error
  // reported at the block's first line.
  bool nextInBlock(int blockLine, const std::string& blockName) {
    if (!nextLine()) failAt(blockLine, blockName + " has no \"end\"");
    if (words_[0] == "end") {
      expectCount(1, 1);
      return false;
    }
    return true;
  }

  void expectCount(size_t least, size_t most) const {
    if (words_.size() < least) fail("\"" + words_[0] + "\" needs more values");
    if (words_.size() > most) fail("unexpected \"" + words_[most] + "\" after \"" + words_[0] + "\"");
  }

  double number(size_t index, double least, double most) const {
    const std::string& text = words_[index];
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value)) fail("\"" + text + "\" is not a number");
    if (value < least || value > most) {
      std::ostringstream range;
      range << "\"" << text << "\" is outside " << least << " to " << most;
      fail(range.str());
    }
    return value;
  }

  int wholeNumber(size_t index, int least, int most) const {
    double value = number(index, least, most);
    if (value != std::floor(value)) fail("\"" + words_[index] + "\" is not a whole number");
    return static_cast<int>(value);
  }

  int noteValue(size_t index) const {
    std::optional<int> note = parseNoteName(words_[index]);
    if (!note) fail("\"" + words_[index] + "\" is not a note name");
    return *note;
  }

  void parseMaster() {
    expectCount(1, 1);
    int blockLine = lineNumber_;
    masterSettings& m = result_.master;
    while (nextInBlock(blockLine, "master")) {
      expectCount(2, 2);
      const std::string& key = words_[0];
      if (key == "loudness") m.loudness = number(1, -40, -5);
      else if (key == "ceiling") m.ceiling = number(1, -12, -0.1);
      else if (key == "reverb_size") m.reverbSize = number(1, 0, 1);
      else if (key == "reverb_damping") m.reverbDamping = number(1, 0, 1);
      else if (key == "reverb_predelay") m.reverbPredelay = number(1, 0, 0.2);
      else if (key == "reverb_width") m.reverbWidth = number(1, 0, 1);
      else if (key == "delay_steps") m.delaySteps = number(1, 0.25, 32);
      else if (key == "delay_feedback") m.delayFeedback = number(1, 0, 0.95);
      else if (key == "delay_tone") m.delayTone = number(1, 200, 20000);
      else if (key == "duck_release") m.duckRelease = number(1, 0.01, 2);
      else if (key == "fade_out") m.fadeOut = number(1, 0, 20);
      else if (key == "bitrate") {
        m.bitrate = wholeNumber(1, 192, 320);
        if (m.bitrate != 192 && m.bitrate != 224 && m.bitrate != 256 && m.bitrate != 320) {
          fail("bitrate must be 192, 224, 256 or 320");
        }
      } else fail("unknown master setting \"" + key + "\"");
    }
  }

  void parseProgression() {
    expectCount(3, 1000);
    progression chords;
    chords.name = words_[1];
    if (findProgression(chords.name) >= 0) fail("chords \"" + chords.name + "\" are defined twice");
    for (size_t i = 2; i < words_.size(); ++i) {
      std::string symbol = words_[i];
      chordSpan span;
      size_t colon = symbol.find(':');
      if (colon != std::string::npos) {
        std::string barsText = symbol.substr(colon + 1);
        char* end = nullptr;
        long bars = std::strtol(barsText.c_str(), &end, 10);
        if (barsText.empty() || *end != '\0' || bars < 1 || bars > 64) {
          fail("\"" + symbol + "\": the bar count after ':' must be 1 to 64");
        }
        span.bars = static_cast<int>(bars);
        symbol = symbol.substr(0, colon);
      }
      std::optional<chordSymbol> chord = parseChordSymbol(symbol);
      if (!chord) fail("\"" + symbol + "\" is not a chord symbol");
      span.chord = *chord;
      chords.chords.push_back(span);
    }
    result_.progressions.push_back(chords);
  }

  void parseInstrument() {
    expectCount(3, 3);
    instrument created;
    created.name = words_[1];
    if (findInstrument(created.name) >= 0) fail("instrument \"" + created.name + "\" is defined twice");
    std::optional<instrumentKind> kind = instrumentKindNamed(words_[2]);
    if (!kind) fail("unknown instrument type \"" + words_[2] + "\"");
    created.kind = *kind;
    created.settings = defaultSettingsFor(*kind);
    int blockLine = lineNumber_;
    while (nextInBlock(blockLine, "instrument \"" + created.name + "\"")) {
      expectCount(2, 2);
      std::string problem = applySetting(created.settings, words_[0], words_[1]);
      if (!problem.empty()) fail(problem);
    }
    result_.instruments.push_back(created);
  }

  patternStep stepFromToken(const std::string& token) const {
    patternStep step;
    std::string body = token;
    if (body.size() > 1 && (body.back() == '!' || body.back() == '?')) {
      step.velocity = body.back() == '!' ? 1.0f : 0.5f;
      body.pop_back();
    }
    if (body == ".") step.kind = stepKind::rest;
    else if (body == "-") step.kind = stepKind::hold;
    else if (body == "x") step.kind = stepKind::hit;
    else if (body == "X") step = {stepKind::hit, 0, 1.0f};
    else if (body == "o") step = {stepKind::hit, 0, 0.5f};
    else if (body == "chord") step.kind = stepKind::wholeChord;
    else if (body.size() >= 2 && body[0] == 'c' && body.find_first_not_of("0123456789", 1) == std::string::npos) {
      step.kind = stepKind::chordTone;
      step.value = std::atoi(body.c_str() + 1);
      if (step.value > 15) fail("chord tone \"" + token + "\" is above c15");
    } else {
      std::optional<int> note = parseNoteName(body);
      if (!note) fail("\"" + token + "\" is not a note, chord tone, hit, '-' or '.'");
      step.kind = stepKind::note;
      step.value = *note;
    }
    return step;
  }

  // Adds the steps written in `words` (from `first` on) to `steps`.
  void readSteps(bool beat, size_t first, std::vector<patternStep>& steps) const {
    for (size_t w = first; w < words_.size(); ++w) {
      const std::string& word = words_[w];
      if (beat) {
        for (char c : word) {
          if (c == '|') continue;
          if (std::string("xXo.-").find(c) == std::string::npos) {
            fail(std::string("'") + c + "' is not a beat step (x X o . -)");
          }
          steps.push_back(stepFromToken(std::string(1, c)));
        }
        continue;
      }
      std::string token = word;
      int repeat = 1;
      size_t star = token.find('*');
      if (star != std::string::npos) {
        std::string countText = token.substr(star + 1);
        char* end = nullptr;
        long count = std::strtol(countText.c_str(), &end, 10);
        if (countText.empty() || *end != '\0' || count < 1 || count > 1024) {
          fail("\"" + word + "\": the repeat count after '*' must be 1 to 1024");
        }
        repeat = static_cast<int>(count);
        token = token.substr(0, star);
      }
      steps.insert(steps.end(), repeat, stepFromToken(token));
    }
  }

  // A pattern on one line ("beat NAME x... x...") or as a block up to "end".
  void parsePattern(bool beat) {
    expectCount(2, 10000);
    pattern created;
    created.name = words_[1];
    if (findPattern(created.name) >= 0) fail("pattern \"" + created.name + "\" is defined twice");
    int blockLine = lineNumber_;
    if (words_.size() > 2) {
      readSteps(beat, 2, created.steps);
    } else {
      while (nextInBlock(blockLine, "pattern \"" + created.name + "\"")) readSteps(beat, 0, created.steps);
    }
    if (created.steps.empty()) failAt(blockLine, "pattern \"" + created.name + "\" has no steps");
    result_.patterns.push_back(created);
  }

  // "A-B" or "A" as absolute bars inside [least, most].
  void barRange(size_t index, int least, int most, int& first, int& last) const {
    const std::string& text = words_[index];
    char* end = nullptr;
    long a = std::strtol(text.c_str(), &end, 10);
    long b = a;
    if (end == text.c_str()) fail("\"" + text + "\" is not a bar range like 8-23");
    if (*end == '-') {
      const char* second = end + 1;
      b = std::strtol(second, &end, 10);
      if (end == second) fail("\"" + text + "\" is not a bar range like 8-23");
    }
    if (*end != '\0') fail("\"" + text + "\" is not a bar range like 8-23");
    if (a > b) fail("bar range \"" + text + "\" runs backwards");
    if (a < least || b > most) {
      fail("bars \"" + text + "\" are outside " + std::to_string(least) + "-" + std::to_string(most));
    }
    first = static_cast<int>(a);
    last = static_cast<int>(b);
  }

  void parseSection() {
    expectCount(3, 3);
    if (result_.bars == 0) fail("\"bars\" must come before the first section");
    section created;
    created.name = words_[1];
    barRange(2, 0, result_.bars - 1, created.firstBar, created.lastBar);
    for (const section& other : result_.sections) {
      if (created.firstBar <= other.lastBar && other.firstBar <= created.lastBar) {
        fail("section \"" + created.name + "\" overlaps section \"" + other.name + "\"");
      }
    }
    int blockLine = lineNumber_;
    while (nextInBlock(blockLine, "section \"" + created.name + "\"")) {
      const std::string& keyword = words_[0];
      if (keyword == "chords") {
        expectCount(2, 2);
        created.progressionIndex = findProgression(words_[1]);
        if (created.progressionIndex < 0) fail("unknown chords \"" + words_[1] + "\"");
      } else if (keyword == "play") {
        created.placements.push_back(parsePlacement(created));
      } else if (keyword == "ramp") {
        created.ramps.push_back(parseRamp(created));
      } else {
        fail("unknown section statement \"" + keyword + "\"");
      }
    }
    result_.sections.push_back(created);
  }

  int instrumentWord(size_t index) const {
    int found = findInstrument(words_[index]);
    if (found < 0) fail("unknown instrument \"" + words_[index] + "\"");
    return found;
  }

  placement parsePlacement(const section& owner) {
    expectCount(3, 9);
    placement placed;
    placed.instrumentIndex = instrumentWord(1);
    placed.patternIndex = findPattern(words_[2]);
    if (placed.patternIndex < 0) fail("unknown pattern \"" + words_[2] + "\"");
    placed.firstBar = owner.firstBar;
    placed.lastBar = owner.lastBar;
    for (size_t i = 3; i < words_.size(); i += 2) {
      if (i + 1 >= words_.size()) fail("\"" + words_[i] + "\" needs a value");
      if (words_[i] == "bars") barRange(i + 1, owner.firstBar, owner.lastBar, placed.firstBar, placed.lastBar);
      else if (words_[i] == "transpose") placed.transpose = wholeNumber(i + 1, -48, 48);
      else if (words_[i] == "gain") placed.gainDb = static_cast<float>(number(i + 1, -60, 12));
      else fail("unknown play option \"" + words_[i] + "\"");
    }
    const pattern& used = result_.patterns[placed.patternIndex];
    for (const patternStep& step : used.steps) {
      if ((step.kind == stepKind::chordTone || step.kind == stepKind::wholeChord) && owner.progressionIndex < 0) {
        fail("pattern \"" + used.name + "\" follows chords but the section has no \"chords\" before it");
      }
    }
    return placed;
  }

  ramp parseRamp(const section& owner) {
    expectCount(5, 7);
    ramp created;
    created.instrumentIndex = instrumentWord(1);
    const std::string& parameter = words_[2];
    double least = 0;
    double most = 1;
    if (parameter == "cutoff") {
      created.target = rampTarget::cutoff;
      least = 20;
      most = 20000;
    } else if (parameter == "resonance") {
      created.target = rampTarget::resonance;
    } else if (parameter == "gain") {
      created.target = rampTarget::gain;
      least = -60;
      most = 12;
    } else if (parameter == "reverb") {
      created.target = rampTarget::reverb;
    } else if (parameter == "delay") {
      created.target = rampTarget::delay;
    } else {
      fail("\"" + parameter + "\" cannot be ramped (cutoff, resonance, gain, reverb, delay)");
    }
    created.from = static_cast<float>(number(3, least, most));
    created.to = static_cast<float>(number(4, least, most));
    created.firstBar = owner.firstBar;
    created.lastBar = owner.lastBar;
    if (words_.size() > 5) {
      if (words_[5] != "bars" || words_.size() != 7) fail("a ramp ends with \"bars A-B\" or nothing");
      barRange(6, owner.firstBar, owner.lastBar, created.firstBar, created.lastBar);
    }
    return created;
  }

  int findProgression(const std::string& name) const {
    for (size_t i = 0; i < result_.progressions.size(); ++i) {
      if (result_.progressions[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  int findInstrument(const std::string& name) const {
    for (size_t i = 0; i < result_.instruments.size(); ++i) {
      if (result_.instruments[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }
  int findPattern(const std::string& name) const {
    for (size_t i = 0; i < result_.patterns.size(); ++i) {
      if (result_.patterns[i].name == name) return static_cast<int>(i);
    }
    return -1;
  }

  std::string fileName_;
  std::vector<std::vector<std::string>> lines_;
  size_t next_ = 0;
  int lineNumber_ = 0;
  std::vector<std::string> words_;
  song result_;
};

}  // namespace

song parseSong(const std::string& text, const std::string& fileName) {
  return songParser(text, fileName).parse();
}

song loadSongFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw songError(path + ": cannot be read");
  std::ostringstream content;
  content << in.rdbuf();
  return parseSong(content.str(), path);
}

}  // namespace songsynth
