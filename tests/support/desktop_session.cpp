#include "support/desktop_session.h"

#include "support/command.h"
#include "support/offline_renderer.h"
#include "support/test_package.h"
#include "support/xvfb_server.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

namespace testing_support {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const swapWarning = "You're not supported by computers";

std::string packFolder() { return fs::path(AMBER_PACK_PATH).parent_path().string(); }

std::vector<std::string> heldShowArguments(const std::vector<std::string>& options) {
  std::vector<std::string> arguments{AMBER_SHOW_EXECUTABLE, "--no-dialog", "--hold", "30"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  return arguments;
}

rgbPicture offlineFrame(int width, int height) {
  const std::string folder = makeTempFolder() + "/offline";
  const std::string size = std::to_string(width) + "x" + std::to_string(height);
  const commandResult result =
      renderInPackFolder("--size " + size + " --fps 1 --from 30 --to 30.5 --png " + folder);
  EXPECT_EQ(result.status, 0) << result.output;
  return readRgbPicture(folder + "/frame_000030.png");
}

rgbPicture screenshot(const std::string& display, const std::string& crop,
                      const std::string& scaleTo) {
  const std::string path = makeTempFolder() + "/shot.png";
  runCommand("DISPLAY=" + display + " import -window root " +
             (crop.empty() ? "" : "-crop " + crop + " +repage ") +
             (scaleTo.empty() ? "" : "-resize " + scaleTo + "! ") + "png24:" + path +
             " 2>/dev/null");
  return readRgbPicture(path);
}

std::string windowTitled(const std::string& display, const std::string& title) {
  // xdotool's search misses titles set only as UTF-8.
  const auto tree = runCommand("DISPLAY=" + display + " xwininfo -root -children 2>/dev/null");
  const size_t at = tree.output.find("\"" + title);
  if (at == std::string::npos) return "";
  const size_t lineStart = tree.output.rfind('\n', at) + 1;
  const size_t idStart = tree.output.find("0x", lineStart);
  return tree.output.substr(idStart, tree.output.find(' ', idStart) - idStart);
}

void confirmSwapWarning(const std::string& display) {
  const std::string box = windowTitled(display, swapWarning);
  if (!box.empty()) runCommand("DISPLAY=" + display + " xdotool key --window " + box + " Return");
}

double psnr(const rgbPicture& a, const rgbPicture& b) {
  if (!a.pixels || !b.pixels || a.width != b.width || a.height != b.height) return 0.0;
  double squares = 0.0;
  const size_t values = static_cast<size_t>(a.width) * a.height * 3;
  for (size_t i = 0; i < values; ++i) {
    const double difference = double(a.pixels.get()[i]) - double(b.pixels.get()[i]);
    squares += difference * difference;
  }
  if (squares == 0.0) return INFINITY;
  return 10.0 * std::log10(255.0 * 255.0 / (squares / static_cast<double>(values)));
}

westonServer::westonServer()
    : runtime(makeTempFolder() + "/runtime"), socket("amber-test-" + std::to_string(getpid())) {}

bool westonServer::start(const std::string& backend, const std::string& display,
                         const std::vector<std::string>& options) {
  fs::create_directories(runtime);
  chmod(runtime.c_str(), 0700);
  char background[16];
  std::snprintf(background, sizeof background, "0xff%06x", westonBackground);
  std::ofstream(runtime + "/weston.ini") << "[shell]\nbackground-color=" << background
                                         << "\npanel-position=none\n";
  std::vector<std::string> arguments{findOnPath("weston"), "-B", backend + "-backend.so",
                                     "--socket=" + socket, "--idle-time=0",
                                     "--config=" + runtime + "/weston.ini"};
  arguments.insert(arguments.end(), options.begin(), options.end());
  if (!process.start(arguments, runtime,
                     {"XDG_RUNTIME_DIR=" + runtime, "DISPLAY=" + display, "WAYLAND_DISPLAY="},
                     runtime + "/weston.log")) {
    return false;
  }
  for (int i = 0; i < 100 && process.running(); ++i) {
    if (fs::exists(runtime + "/" + socket)) return true;
    std::this_thread::sleep_for(100ms);
  }
  return false;
}

std::vector<std::string> westonServer::showEnvironment(const std::string& display) const {
  return {"XDG_RUNTIME_DIR=" + runtime, "WAYLAND_DISPLAY=" + socket, "DISPLAY=" + display,
          "SDL_VIDEODRIVER=wayland", "SDL_AUDIODRIVER=dummy"};
}

}  // namespace testing_support
