#include "engine/package.h"

#include "engine/errors.h"

#include <unzip.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>

// Where each entry of the directory sits, by its name with a-z in upper
// case (the first entry of a name in directory order). Built by the one walk
// over the directory at open, so a read goes straight to its entry: a forged
// directory can make each record slow to read (the archive library walks
// up to 64 KiB of extra fields per record), and a walk per read would
// multiply that by the number of reads.
struct mediaPackage {
  unzFile archive = nullptr;
  uint64_t archiveBytes = 0;
  std::unordered_map<std::string, unz64_file_pos> entries;
};

mediaPackage* package = nullptr;

namespace {

// Names of 256 characters or more never match, like the archive library's
// own lookup.
constexpr size_t maxNameLength = 256;

// Deflate cannot expand data by more than about 1032:1; an entry claiming
// more than that lies about its size.
constexpr uint64_t maxDeflateRatio = 1032;

std::string upperCaseLetters(const char* name) {
  std::string key(name);
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

bool usable(const mediaPackage* pkg) { return pkg != nullptr && pkg->archive != nullptr; }

// Moves the archive's current entry to the first one named `path`.
bool locate(const mediaPackage& pkg, const char* path, unz_file_info64* info) {
  if (std::strlen(path) >= maxNameLength) return false;
  const auto entry = pkg.entries.find(upperCaseLetters(path));
  if (entry == pkg.entries.end()) return false;
  return unzGoToFilePos64(pkg.archive, &entry->second) == UNZ_OK &&
         unzGetCurrentFileInfo64(pkg.archive, info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK;
}

// Records every entry whose directory record can be read; the first of a
// name wins. Names of 256 characters or more never match.
void indexEntries(mediaPackage& pkg, uint64_t count) {
  for (uint64_t i = 0; i < count; ++i) {
    const int status = i == 0 ? unzGoToFirstFile(pkg.archive) : unzGoToNextFile(pkg.archive);
    if (status != UNZ_OK) break;
    unz_file_info64 info;
    char name[maxNameLength + 1];
    unz64_file_pos position;
    if (unzGetCurrentFileInfo64(pkg.archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) !=
            UNZ_OK ||
        info.size_filename >= maxNameLength || unzGetFilePos64(pkg.archive, &position) != UNZ_OK) {
      continue;
    }
    pkg.entries.emplace(upperCaseLetters(name), position);
  }
}

uint64_t fileSizeOf(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
}

// An entry's stored data lies inside the archive, and its size bounds what
// it can expand to: a directory that claims more is lying.
bool plausibleSize(const unz_file_info64& info, uint64_t archiveBytes) {
  if (info.uncompressed_size > UINT32_MAX - 2) return false;
  if (info.compressed_size > archiveBytes) return false;
  if (info.compression_method == 0) return info.uncompressed_size == info.compressed_size;
  return info.uncompressed_size <= info.compressed_size * maxDeflateRatio + 64;
}

// Decompresses the current entry into `target`, which has room for exactly
// `size` bytes; true only when that is the whole entry and its checksum holds.
// Throws code 2 when the decompressor cannot get its working memory (the
// reader's only internal error is a failed allocation): the entry is there.
bool extractCurrent(unzFile archive, uint8_t* target, uint32_t size) {
  const int opened = unzOpenCurrentFile(archive);
  if (opened == Z_MEM_ERROR || opened == UNZ_INTERNALERROR) throw errorCode::outOfMemory;
  if (opened != UNZ_OK) return false;
  uint32_t filled = 0;
  bool ok = true;
  while (filled < size) {
    const int got = unzReadCurrentFile(archive, target + filled, size - filled);
    if (got == Z_MEM_ERROR) {
      unzCloseCurrentFile(archive);
      throw errorCode::outOfMemory;
    }
    if (got <= 0) {
      ok = false;
      break;
    }
    filled += static_cast<uint32_t>(got);
  }
  if (ok) {
    // Nothing may follow: an entry longer than its recorded size is corrupt.
    uint8_t extra;
    ok = unzReadCurrentFile(archive, &extra, 1) == 0;
  }
  const int closed = unzCloseCurrentFile(archive);
  return ok && closed == UNZ_OK;
}

}  // namespace

bool (*packageEntrySource)(const char* path, std::string* bytes) = nullptr;

namespace {

void readEntry(const char* path, fileBuffer& buffer, bool asText) {
  if (!usable(package) || path == nullptr) throw errorCode::packageEntryMissing;
  std::string supplied;
  if (packageEntrySource != nullptr && packageEntrySource(path, &supplied)) {
    buffer.release();
    if (supplied.empty() || supplied.size() >= UINT32_MAX) throw errorCode::packageEntryMissing;
    const auto size = static_cast<uint32_t>(supplied.size());
    const uint32_t length = asText ? size + 1 : size;
    buffer.allocate(length, capacityFor(length, buffer.step));
    std::memcpy(buffer.data, supplied.data(), size);
    if (asText) buffer.at(size) = 0;
    return;
  }
  unz_file_info64 info;
  if (!locate(*package, path, &info)) throw errorCode::packageEntryMissing;

  buffer.release();
  if (info.uncompressed_size == 0 || !plausibleSize(info, package->archiveBytes)) {
    throw errorCode::packageEntryMissing;
  }
  const auto size = static_cast<uint32_t>(info.uncompressed_size);
  const uint32_t length = asText ? size + 1 : size;
  buffer.allocate(length, capacityFor(length, buffer.step));
  if (asText) buffer.at(size) = 0;
  if (!extractCurrent(package->archive, buffer.data, size)) throw errorCode::packageEntryMissing;
}

}  // namespace

void openPackageAt(const char* path) {
  auto* pkg = new mediaPackage;
  pkg->archive = unzOpen64(path);
  if (pkg->archive == nullptr) {
    delete pkg;
    throw errorCode::packageBroken;
  }
  unz_global_info64 global;
  if (unzGetGlobalInfo64(pkg->archive, &global) != UNZ_OK) {
    unzClose(pkg->archive);
    delete pkg;
    throw errorCode::packageBroken;
  }
  // One pass over the central directory; entries that cannot be read here
  // fail later, when someone asks for them.
  pkg->archiveBytes = fileSizeOf(path);
  indexEntries(*pkg, global.number_entry);
  package = pkg;
}

packageSearch findPackage() {
  packageSearch search;
  search.path = packageFileName;
  struct stat status;
  if (stat(packageFileName, &status) == 0 && !S_ISDIR(status.st_mode)) {
    search.found = true;
    return search;
  }
#ifdef AMBER_DATA_FROM_BINARY
  // The installed layout: the data folder at a fixed place relative to the
  // executable's own folder, whatever prefix it was installed under.
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length > 0) {
    const std::filesystem::path executable(std::string(self, static_cast<size_t>(length)));
    search.installedPath =
        (executable.parent_path() / AMBER_DATA_FROM_BINARY / packageFileName).lexically_normal().string();
    if (stat(search.installedPath.c_str(), &status) == 0 && !S_ISDIR(status.st_mode)) {
      search.path = search.installedPath;
      search.found = true;
      search.installed = true;
    }
  }
#endif
  return search;
}

void openPackage() { openPackageAt(findPackage().path.c_str()); }

bool readFile(const char* path, fileBuffer& buffer) {
  readEntry(path, buffer, false);
  return true;
}

bool readTextFile(const char* path, fileBuffer& buffer) {
  readEntry(path, buffer, true);
  return true;
}

void closePackage(mediaPackage* pkg) {
  if (!usable(pkg)) throw errorCode::packageBroken;
  const int status = unzClose(pkg->archive);
  pkg->archive = nullptr;
  if (status != UNZ_OK) throw errorCode::packageBroken;
  if (package == pkg) package = nullptr;
  delete pkg;
}
