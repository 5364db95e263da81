#include "flash_check.h"

#include "frame_selection.h"

#include "api/texture/stb_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// The frame numbers of the frame_NNNNNN.png files in `folder`, in order.
std::vector<int64_t> pngFramesIn(const std::string& folder) {
  std::vector<int64_t> numbers;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    long long number = 0;
    int length = 0;
    if (std::sscanf(name.c_str(), "frame_%lld.png%n", &number, &length) == 1 &&
        static_cast<size_t>(length) == name.size() && number >= 0) {
      numbers.push_back(number);
    }
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

int refuse(const std::string& message) {
  std::fprintf(stderr, "amberrender: %s\n", message.c_str());
  return 1;
}

}  // namespace

int reportFlashes(const flashAnalysis& analysis) {
  const int allowed = flashAnalysis::allowedPerSecond;
  std::printf("flashes over a quarter of the picture in any one second (more than %d fail);\n"
              "seconds without a flash are left out\n\n  second  general  red\n",
              allowed);
  int mostGeneral = 0, mostRed = 0, failing = 0;
  for (const flashSecond& second : analysis.seconds()) {
    mostGeneral = std::max(mostGeneral, second.general);
    mostRed = std::max(mostRed, second.red);
    if (second.general == 0 && second.red == 0) continue;
    const bool fails = second.general > allowed || second.red > allowed;
    failing += fails ? 1 : 0;
    std::printf("  %6lld  %7d  %3d%s\n", static_cast<long long>(second.second), second.general,
                second.red, fails ? "  too many" : "");
  }
  std::printf("\n%s: at most %d general and %d red flashes in a second",
              failing ? "fails" : "passes", mostGeneral, mostRed);
  if (failing) std::printf(", %d seconds with too many", failing);
  std::printf("\n");
  std::fflush(stdout);
  return failing ? 1 : 0;
}

int checkFlashesOfPngFolder(const renderOptions& chosen) {
  const std::vector<int64_t> numbers = pngFramesIn(chosen.pngFolder);
  if (numbers.empty()) return refuse("no frame_NNNNNN.png in " + chosen.pngFolder);
  std::unique_ptr<flashAnalysis> analysis;
  int width = 0, height = 0;
  for (size_t i = 0; i < numbers.size(); ++i) {
    const std::string path = framePngPath(chosen.pngFolder, numbers[i]);
    if (i > 0 && numbers[i] != numbers[i - 1] + 1) {
      return refuse(framePngPath(chosen.pngFolder, numbers[i - 1] + 1) +
                    " is missing: the frames must follow each other");
    }
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    int frameWidth = 0, frameHeight = 0, channels = 0;
    std::unique_ptr<uint8_t, decltype(&std::free)> pixels(
        FWtexture::decodeWithStb(reinterpret_cast<const uint8_t*>(bytes.data()),
                                 static_cast<int>(bytes.size()), &frameWidth, &frameHeight,
                                 &channels),
        &std::free);
    if (pixels == nullptr || channels != 3) return refuse("cannot read " + path + " as RGB PNG");
    if (analysis == nullptr) {
      width = frameWidth;
      height = frameHeight;
      analysis = std::make_unique<flashAnalysis>(width, height, chosen.fpsNumerator,
                                                 chosen.fpsDenominator);
    } else if (frameWidth != width || frameHeight != height) {
      return refuse(path + " is not " + std::to_string(width) + "x" + std::to_string(height) +
                    " like the frames before it");
    }
    analysis->addFrame(numbers[i], pixels.get());
  }
  return reportFlashes(*analysis);
}
