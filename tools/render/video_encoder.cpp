#include "video_encoder.h"

#include "frame_pixels.h"

#include <cstdio>
#include <sstream>

const char* const videoCodecNames[3] = {"h264", "ffv1", "prores"};
const char* const soundCodecNames[3] = {"aac", "flac", "pcm"};

namespace {

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string extensionOf(const std::string& file) {
  const size_t dot = file.rfind('.');
  const size_t slash = file.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string extension = file.substr(dot + 1);
  for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return extension;
}

const char* videoEncoderOf(const std::string& codec) {
  if (codec == "ffv1") return "ffv1";
  if (codec == "prores") return "prores";
  return "libx264";
}

const char* soundEncoderOf(const std::string& codec) {
  if (codec == "flac") return "flac";
  if (codec == "pcm") return "pcm_s16le";
  return "aac";
}

// The encoder's options: FFV1 keeps every frame whole (version 3, slices
// with checksums) for cutting; ProRes profile 3 is 422 HQ.
std::string videoEncoderOptions(const renderOptions& chosen) {
  if (chosen.codec == "ffv1") return "-c:v ffv1 -level 3 -g 1 -slicecrc 1 -pix_fmt gbrp";
  if (chosen.codec == "prores") return "-c:v prores -profile:v 3 -pix_fmt yuv422p10le";
  return "-c:v libx264 -preset " + chosen.preset + " -crf " + std::to_string(chosen.crf) +
         " -pix_fmt yuv420p";
}

// The colour description written into the stream and the container. The
// frames are sRGB, whose primaries are BT.709's; YUV uses the matrix that
// players assume for the size (amberrender's own conversion for H.264,
// ffmpeg's scaler, told the same matrix, for ProRes).
std::string colourOptions(const renderOptions& chosen) {
  if (chosen.codec == "ffv1") {
    return "-colorspace rgb -color_primaries bt709 -color_trc iec61966-2-1 -color_range pc";
  }
  const bool hd = videoMatrixFor(chosen.height) == yuvMatrix::bt709;
  const std::string matrix = hd ? "bt709" : "smpte170m";
  std::string options;
  if (chosen.codec == "prores") {
    // The ProRes encoder takes the description from each frame, so the
    // converted frames carry it too.
    options = "-vf scale=out_color_matrix=" + std::string(hd ? "bt709" : "bt601") +
              ":out_range=tv:flags=accurate_rnd+full_chroma_int,setparams=colorspace=" + matrix +
              ":color_primaries=bt709:color_trc=bt709:range=tv ";
  }
  return options + "-colorspace " + matrix + " -color_primaries bt709 -color_trc bt709" +
         " -color_range tv";
}

}  // namespace

std::string soundCodecOf(const renderOptions& chosen) {
  if (!chosen.audio.empty()) return chosen.audio;
  if (chosen.codec == "ffv1") return "flac";
  if (chosen.codec == "prores") return "pcm";
  return "aac";
}

std::string containerProblem(const renderOptions& chosen) {
  const std::string codec = chosen.codec;
  if (codec != "ffv1" && (chosen.width % 2 != 0 || chosen.height % 2 != 0)) {
    return "--codec " + codec + " needs an even width and height (its chroma is halved), not " +
           std::to_string(chosen.width) + "x" + std::to_string(chosen.height);
  }
  const std::string extension = extensionOf(chosen.videoFile);
  const std::string sound = chosen.sound ? soundCodecOf(chosen) : "";
  if (codec == "ffv1" && extension != "mkv") {
    return "--codec ffv1 is written into Matroska: name the file .mkv";
  }
  if (codec == "prores" && extension != "mov" && extension != "mkv") {
    return "--codec prores is written into QuickTime or Matroska: name the file .mov or .mkv";
  }
  if (extension == "mp4" && !sound.empty() && sound != "aac") {
    return "an .mp4 file carries --audio aac only: name the file .mkv for " + sound;
  }
  if (extension == "mov" && sound == "flac") {
    return "a .mov file cannot carry --audio flac: name the file .mkv, or choose pcm";
  }
  return "";
}

std::string missingEncoder(const renderOptions& chosen, const std::string& encoderList) {
  // Each line: flags, the encoder's name, its description.
  std::istringstream lines(encoderList);
  std::string line;
  std::vector<std::string> offered;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string flags, name;
    if (words >> flags >> name) offered.push_back(name);
  }
  const auto offers = [&offered](const std::string& name) {
    for (const std::string& known : offered) {
      if (known == name) return true;
    }
    return false;
  };
  if (!offers(videoEncoderOf(chosen.codec))) return videoEncoderOf(chosen.codec);
  if (chosen.sound && !offers(soundEncoderOf(soundCodecOf(chosen)))) {
    return soundEncoderOf(soundCodecOf(chosen));
  }
  return "";
}

std::string installedEncoders() {
  std::string list;
  std::FILE* ffmpeg = popen("ffmpeg -hide_banner -encoders 2>/dev/null", "r");
  if (ffmpeg == nullptr) return list;
  char buffer[4096];
  size_t read = 0;
  while ((read = std::fread(buffer, 1, sizeof buffer, ffmpeg)) > 0) list.append(buffer, read);
  pclose(ffmpeg);
  return list;
}

bool encoderTakesYuv(const renderOptions& chosen) { return chosen.codec == "h264"; }

std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack,
                          double start, double seconds) {
  char frameRate[64];
  std::snprintf(frameRate, sizeof frameRate, "%lld/%lld",
                static_cast<long long>(chosen.fpsNumerator),
                static_cast<long long>(chosen.fpsDenominator));
  char cut[64];
  std::snprintf(cut, sizeof cut, "-ss %.6f -t %.6f", start, seconds);
  const std::string input = encoderTakesYuv(chosen) ? "yuv420p" : "rgb24";
  // -shortest: after Ctrl-C the picture ends early and the sound with it.
  return "exec ffmpeg -nostdin -hide_banner -loglevel error -y -f rawvideo -pix_fmt " + input +
         " -s " + std::to_string(chosen.width) + "x" + std::to_string(chosen.height) +
         " -framerate " + frameRate + " -i - " +
         (chosen.sound ? std::string(cut) + " -i " + shellQuoted(soundtrack) + " -map 0:v -map 1:a"
                       : std::string("-map 0:v")) +
         " " + videoEncoderOptions(chosen) + " " + colourOptions(chosen) +
         (chosen.sound ? " -c:a " + std::string(soundEncoderOf(soundCodecOf(chosen))) +
                             (soundCodecOf(chosen) == "aac" ? " -b:a 256k" : "") + " -shortest "
                       : std::string(" ")) +
         shellQuoted(chosen.videoFile);
}
