// packtool list: the entries of a package with their sizes.
#include "command.h"

#include "content/content_error.h"
#include "content/zip_archive.h"

#include <cstdio>

namespace {

int list(const std::vector<std::string>& arguments) {
  if (arguments.size() != 1) {
    std::fprintf(stderr, "usage: packtool list PACK\n");
    return 2;
  }
  try {
    uint64_t total = 0;
    uint64_t packed = 0;
    const auto entries = content::listArchive(arguments[0]);
    std::printf("%10s %10s  %s\n", "size", "packed", "name");
    for (const content::archiveListing& entry : entries) {
      std::printf("%10ju %10ju  %s\n", static_cast<uintmax_t>(entry.size),
                  static_cast<uintmax_t>(entry.compressedSize), entry.name.c_str());
      total += entry.size;
      packed += entry.compressedSize;
    }
    std::printf("%10ju %10ju  %zu entries\n", static_cast<uintmax_t>(total), static_cast<uintmax_t>(packed),
                entries.size());
  } catch (const content::contentError& error) {
    std::fprintf(stderr, "packtool list: %s\n", error.what());
    return 1;
  }
  return 0;
}

const packtoolCommand command("list", "PACK", "lists the entries of a package with their sizes", list);

}  // namespace
