// packtool build: makes the show's pack.zip from the content sources.
#include "command.h"

#include "content/content_error.h"
#include "content/pack_builder.h"
#include "content/show_manifest.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

int build(const std::vector<std::string>& arguments) {
  content::packSources sources;
  sources.contentFolder = "content";
  std::string output;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if ((argument == "--content" || argument == "--soundtrack") && i + 1 < arguments.size()) {
      (argument == "--content" ? sources.contentFolder : sources.soundtrackPath) = arguments[++i];
    } else if (!argument.empty() && argument[0] != '-' && output.empty()) {
      output = argument;
    } else {
      std::fprintf(stderr, "packtool build: unexpected argument \"%s\"\n", argument.c_str());
      return 2;
    }
  }
  if (output.empty()) {
    std::fprintf(stderr, "packtool build: name the pack to write\n");
    return 2;
  }
  const auto started = std::chrono::steady_clock::now();
  try {
    const auto entries = content::makePackEntries(sources);
    content::writeArchive(output, entries);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s: %zu entries, %ju bytes, built in %.2f s\n", output.c_str(), entries.size(),
                static_cast<uintmax_t>(std::filesystem::file_size(output)), seconds);
    if (sources.soundtrackPath.empty()) {
      std::printf("%s: built without the soundtrack (%s): no --soundtrack given\n", output.c_str(),
                  content::manifest::soundtrackEntry);
    }
  } catch (const content::contentError& error) {
    std::fprintf(stderr, "packtool build: %s\n", error.what());
    return 1;
  }
  return 0;
}

const packtoolCommand command("build", "[--content DIR] [--soundtrack MP3] PACK",
                              "builds the show's package from the sync scripts in DIR/sync (default "
                              "content), the generated pictures and models, and the soundtrack",
                              build);

}  // namespace
