// songsynth: renders a song description to MP3 (or WAV) and checks the
// result. Run "songsynth --help".
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "audio_files.h"
#include "limiter.h"
#include "loudness_meter.h"
#include "mastering.h"
#include "song_analysis.h"
#include "song_parser.h"
#include "song_renderer.h"

using namespace songsynth;

namespace {

const char* usage =
    "usage: songsynth SONG_FILE OUTPUT [options]\n"
    "  OUTPUT ending in .mp3 is encoded with LAME, .wav is written as 16-bit PCM\n"
    "options:\n"
    "  --bars A-B    render only bars A to B (mastered on their own)\n"
    "  --wav FILE    also write the mastered audio as WAV\n"
    "  --analyse     print levels per bar, spectrum and width per section, tempo\n"
    "  --no-check    skip decoding the MP3 again to check length, peak and loudness\n";

struct options {
  std::string songFile, output, wav;
  int firstBar = -1, lastBar = -1;
  bool analyse = false, check = true;
};

bool endsWith(const std::string& text, const char* suffix) {
  size_t length = std::strlen(suffix);
  return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

options parseOptions(int argc, char** argv) {
  options result;
  for (int i = 1; i < argc; ++i) {
    std::string word = argv[i];
    if (word == "--bars" && i + 1 < argc) {
      if (std::sscanf(argv[++i], "%d-%d", &result.firstBar, &result.lastBar) != 2 || result.firstBar < 0 ||
          result.lastBar < result.firstBar) {
        throw songError(std::string("--bars wants a range like 24-31, not \"") + argv[i] + "\"");
      }
    } else if (word == "--wav" && i + 1 < argc) {
      result.wav = argv[++i];
    } else if (word == "--analyse") {
      result.analyse = true;
    } else if (word == "--no-check") {
      result.check = false;
    } else if (!word.empty() && word[0] == '-') {
      throw songError("unknown option \"" + word + "\"");
    } else if (result.songFile.empty()) {
      result.songFile = word;
    } else if (result.output.empty()) {
      result.output = word;
    } else {
      throw songError("one song and one output only");
    }
  }
  if (result.output.empty()) throw songError("a song file and an output file are needed");
  if (!endsWith(result.output, ".mp3") && !endsWith(result.output, ".wav")) {
    throw songError("the output must end in .mp3 or .wav");
  }
  return result;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Decodes the written MP3 and checks what the show relies on. Returns the
// complaint, or an empty string.
std::string checkMp3(const std::string& path, size_t expectedFrames, double targetLoudness, stereoBuffer& decoded) {
  decodedAudio result = decodeMp3File(path);
  decoded = std::move(result.audio);
  float peak = 0.0f;
  for (size_t i = 0; i < decoded.frames(); ++i) {
    peak = std::max({peak, std::fabs(decoded.left[i]), std::fabs(decoded.right[i])});
  }
  double loudness = integratedLoudness(decoded, sampleRate);
  std::printf("decoded: %ld Hz, %d channels, %zu frames (%.3f s), sample peak %.2f dBFS, %.2f LUFS\n", result.rate,
              result.channels, decoded.frames(), decoded.frames() / static_cast<double>(sampleRate),
              20.0 * std::log10(std::max(peak, 1e-9f)), loudness);
  if (result.rate != sampleRate || result.channels != 2) return "the MP3 is not 44.1 kHz stereo";
  if (decoded.frames() != expectedFrames) {
    return "the MP3 decodes to " + std::to_string(decoded.frames()) + " frames, not " + std::to_string(expectedFrames);
  }
  if (peak >= 1.0f) return "the decoded MP3 reaches full scale";
  if (std::isfinite(targetLoudness) && std::fabs(loudness - targetLoudness) > 1.0) {
    return "the decoded MP3 is " + std::to_string(loudness) + " LUFS, not about " + std::to_string(targetLoudness);
  }
  return "";
}

int run(const options& chosen) {
  auto started = std::chrono::steady_clock::now();
  song music = loadSongFile(chosen.songFile);
  int firstBar = chosen.firstBar < 0 ? 0 : chosen.firstBar;
  int lastBar = chosen.lastBar < 0 ? music.bars - 1 : chosen.lastBar;
  if (lastBar >= music.bars) throw songError("--bars goes past the song's " + std::to_string(music.bars) + " bars");

  std::vector<std::vector<double>> trackPower;
  stereoBuffer audio = renderMix(music, firstBar, lastBar, chosen.analyse ? &trackPower : nullptr);
  double renderSeconds = secondsSince(started);
  auto masteringStarted = std::chrono::steady_clock::now();
  masteringReport report = masterMix(audio, music.master);
  double masterSeconds = secondsSince(masteringStarted);
  std::printf("%s: bars %d-%d, %.3f s; mix %.2f LUFS, gain %+.2f dB, limiter down to %.2f dB; "
              "mastered %.2f LUFS, true peak %.2f dBTP\n",
              chosen.output.c_str(), firstBar, lastBar, audio.frames() / static_cast<double>(sampleRate),
              report.mixLoudness, report.gainDb, report.deepestLimitingDb, report.loudness, report.truePeakDb);
  if (!chosen.wav.empty()) writeWavFile(chosen.wav, audio);

  double encodeSeconds = 0.0;
  stereoBuffer decoded;
  if (endsWith(chosen.output, ".mp3")) {
    auto encodingStarted = std::chrono::steady_clock::now();
    writeFileAtomically(chosen.output, encodeMp3(audio, music.master.bitrate));
    encodeSeconds = secondsSince(encodingStarted);
  } else {
    writeWavFile(chosen.output, audio);
  }
  std::printf("time: render %.2f s, master %.2f s, encode %.2f s, total %.2f s\n", renderSeconds, masterSeconds,
              encodeSeconds, secondsSince(started));

  if (chosen.check && endsWith(chosen.output, ".mp3")) {
    auto checkStarted = std::chrono::steady_clock::now();
    double target = std::isfinite(report.loudness) ? music.master.loudness : report.loudness;
    std::string problem = checkMp3(chosen.output, audio.frames(), target, decoded);
    std::printf("check: %.2f s\n", secondsSince(checkStarted));
    if (!problem.empty()) {
      std::remove(chosen.output.c_str());
      throw songError(chosen.output + ": " + problem);
    }
  }
  if (chosen.analyse) {
    printAnalysis(decoded.frames() > 0 ? decoded : audio, music, firstBar, stdout);
    printTrackLevels(trackPower, music, firstBar, stdout);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(usage, stdout);
    return 0;
  }
  try {
    return run(parseOptions(argc, argv));
  } catch (const songError& error) {
    std::fprintf(stderr, "songsynth: %s\n", error.what());
    if (argc < 3) std::fputs(usage, stderr);
    return 1;
  }
}
