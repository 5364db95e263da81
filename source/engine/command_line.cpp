#include "engine/command_line.h"

#include "engine/errors.h"
#include "engine/package.h"
#include "engine/window.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

struct namedCode {
  const char* name;
  int32_t code;
};

constexpr namedCode sizeNames[] = {{"640x480", resolution::r640x480},
                                   {"800x600", resolution::r800x600},
                                   {"1024x768", resolution::r1024x768},
                                   {"1280x960", resolution::r1280x960},
                                   {"desktop", resolution::desktop}};

constexpr namedCode aspectNames[] = {{"4:3", aspect::a4to3},
                                     {"5:4", aspect::a5to4},
                                     {"16:9", aspect::a16to9},
                                     {"16:10", aspect::a16to10},
                                     {"2:1", aspect::a2to1}};

// Samples per pixel and the dialog's multisample index (2^index samples).
constexpr namedCode multisampleNames[] = {{"0", 0}, {"1", 0}, {"2", 1},
                                          {"4", 2}, {"8", 3}, {"16", 4}};

template <size_t N>
bool lookUp(const namedCode (&table)[N], const std::string& name, int32_t* code) {
  for (const namedCode& each : table) {
    if (name == each.name) {
      *code = each.code;
      return true;
    }
  }
  return false;
}

template <size_t N>
std::string listOf(const namedCode (&table)[N]) {
  std::string list;
  for (const namedCode& each : table) list += (list.empty() ? "" : "|") + std::string(each.name);
  return list;
}

// The package the show would open now, and why that one.
std::string packageLine() {
  const packageSearch search = findPackage();
  if (search.installed) return "package: " + search.path + " (installed)\n";
  if (search.found) return "package: " + search.path + " (working directory)\n";
  std::string line = "package: none found (no pack.zip in the working directory";
  if (!search.installedPath.empty()) line += " or " + search.installedPath;
  return line + ")\n";
}

}  // namespace

std::optional<double> heldShowSeconds;
std::optional<std::string> editContentFolder;

std::string showUsage() {
  return "usage: amberpudding [OPTIONS]\n"
         "Plays the show in pack.zip: the working directory's, else the installed one.\n"
         "Without options a small dialog asks for the display settings first; options\n"
         "preselect its choices.\n\n"
         "  --window, --fullscreen  windowed (16:9) or full screen (default)\n"
         "  --size " + listOf(sizeNames) + "\n"
         "                          render resolution (default 1024x768); full screen\n"
         "                          scales it onto the whole monitor, desktop: the\n"
         "                          monitor's own size in pixels\n"
         "  --aspect " + listOf(aspectNames) + "\n"
         "                          the monitor's shape (default: the desktop's)\n"
         "  --display N             the monitor to play on, 1 for the first, as the\n"
         "                          dialog lists them (default: the dialog's, else the\n"
         "                          primary)\n"
         "  --vsync                 wait for the vertical blank\n"
         "  --msaa 0|2|4|8|16       multisampling (default 0: off)\n"
         "  --stats                 frame rate, polygon count and music position on screen\n"
         "  --no-music              run silently, at the same timing\n"
         "  --loop                  start again when the song ends, until Escape\n"
         "  --no-dialog             take the choices above without asking\n"
         "  --hold SECONDS          stand still at that moment of the show, silently,\n"
         "                          until Escape (for tests and screenshots)\n"
"  --edit [CONTENT_DIR]    creator mode: sync scripts and shaders from CONTENT_DIR\n"
         "                          (default content), reloaded when saved; Space pauses,\n"
         "                          Left/Right seek a bar (Shift: a beat), Home restarts,\n"
         "                          L loops bars, S shows statistics\n"
         "  --help, --version       this text; the name, version, build and package\n\n" +
         packageLine();
}

std::string showVersion() {
  return std::string(showTitle) + " " + engineVersion + " (build " + std::to_string(buildNumber) +
         ")\n" + packageLine();
}

bool parseShowCommandLine(int argc, char** argv, showCommandLine* parsed, std::string* error) {
  settingsPreset& preset = parsed->preset;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    const auto value = [&](std::string* text) {
      if (i + 1 >= argc) {
        *error = name + " needs a value";
        return false;
      }
      *text = argv[++i];
      return true;
    };
    std::string text;
    int32_t code = 0;
    if (name == "--help" || name == "-h") {
      parsed->help = true;
    } else if (name == "--version") {
      parsed->version = true;
    } else if (name == "--window") {
      preset.fullscreen = false;
    } else if (name == "--fullscreen") {
      preset.fullscreen = true;
    } else if (name == "--vsync") {
      preset.sync = true;
    } else if (name == "--stats") {
      preset.statistics = true;
    } else if (name == "--no-music") {
      preset.music = false;
    } else if (name == "--loop") {
      preset.loop = true;
    } else if (name == "--no-dialog") {
      preset.skipDialog = true;
    } else if (name == "--size") {
      if (!value(&text)) return false;
      if (!lookUp(sizeNames, text, &code)) {
        *error = "--size wants " + listOf(sizeNames) + ", not \"" + text + "\"";
        return false;
      }
      preset.resolution = code;
    } else if (name == "--aspect") {
      if (!value(&text)) return false;
      if (!lookUp(aspectNames, text, &code)) {
        *error = "--aspect wants " + listOf(aspectNames) + ", not \"" + text + "\"";
        return false;
      }
      preset.aspect = code;
    } else if (name == "--display") {
      if (!value(&text)) return false;
      char* end = nullptr;
      const long number = std::strtol(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0' || number < 1 || number > 64) {
        *error = "--display wants a monitor number from 1, not \"" + text + "\"";
        return false;
      }
      preset.display = static_cast<int32_t>(number - 1);
    } else if (name == "--msaa") {
      if (!value(&text)) return false;
      if (!lookUp(multisampleNames, text, &code)) {
        *error = "--msaa wants 0, 2, 4, 8 or 16, not \"" + text + "\"";
        return false;
      }
      preset.multisample = code;
    } else if (name == "--hold") {
      if (!value(&text)) return false;
      char* end = nullptr;
      const double seconds = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0' || !(seconds >= 0.0 && seconds < 3600.0)) {
        *error = "--hold wants a number of seconds, not \"" + text + "\"";
        return false;
      }
      parsed->holdSeconds = seconds;
    } else if (name == "--edit") {
      // The folder is optional: a following option is not taken for it.
      std::string folder = "content";
      if (i + 1 < argc && std::strncmp(argv[i + 1], "--", 2) != 0) folder = argv[++i];
      while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
      std::error_code unreadable;
      if (!std::filesystem::is_directory(folder + "/sync", unreadable)) {
        *error = "--edit wants a content folder with a sync/ folder, not \"" + folder + "\"";
        return false;
      }
      parsed->editFolder = folder;
    } else {
      *error = "unknown option " + name + " (see --help)";
      return false;
    }
  }
  return true;
}

void takeShowCommandLine(int argc, char** argv) {
  showCommandLine parsed;
  std::string error;
  if (!parseShowCommandLine(argc, argv, &parsed, &error)) {
    std::fprintf(stderr, "amberpudding: %s\n", error.c_str());
    std::exit(2);
  }
  if (parsed.help || parsed.version) {
    std::fputs((parsed.help ? showUsage() : showVersion()).c_str(), stdout);
    std::exit(0);
  }
  // A monitor that is not there is a bad value too; counting them needs the
  // video driver, but opens nothing on screen.
  if (parsed.preset.display) {
    const size_t count = platform::listMonitors().size();
    if (count > 0 && static_cast<size_t>(*parsed.preset.display) >= count) {
      std::fprintf(stderr, "amberpudding: --display %d: there %s %zu monitor%s\n",
                   *parsed.preset.display + 1, count == 1 ? "is" : "are", count,
                   count == 1 ? "" : "s");
      std::exit(2);
    }
  }
  startPreset = parsed.preset;
  heldShowSeconds = parsed.holdSeconds;
  editContentFolder = parsed.editFolder;
}
