#include "engine/package.h"

#include "engine/errors.h"

#include <unzip.h>

#include <cstring>

struct mediaPackage {
  unzFile archive = nullptr;
};

mediaPackage* package = nullptr;

namespace {

// Names of 256 characters or more never match, like the archive library's
// own lookup.
constexpr size_t maxNameLength = 256;

// Deflate cannot expand data by more than about 1032:1; an entry claiming
// more than that lies about its size.
constexpr uint64_t maxDeflateRatio = 1032;

bool sameNameIgnoringLetterCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    char x = *a;
    char y = *b;
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
    if (x == '\0') return true;
  }
}

bool usable(const mediaPackage* pkg) { return pkg != nullptr && pkg->archive != nullptr; }

// Moves the archive's current entry to the first one named `path`.
bool locate(unzFile archive, const char* path, unz_file_info64* info) {
  if (std::strlen(path) >= maxNameLength) return false;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
       status = unzGoToNextFile(archive)) {
    char name[maxNameLength + 1];
    if (unzGetCurrentFileInfo64(archive, info, name, sizeof name, nullptr, 0, nullptr, 0) !=
        UNZ_OK) {
      continue;
    }
    if (info->size_filename >= maxNameLength) continue;
    if (sameNameIgnoringLetterCase(name, path)) return true;
  }
  return false;
}

bool plausibleSize(const unz_file_info64& info) {
  if (info.uncompressed_size > UINT32_MAX - 2) return false;
  if (info.compression_method == 0) return info.uncompressed_size == info.compressed_size;
  return info.uncompressed_size <= info.compressed_size * maxDeflateRatio + 64;
}

// Decompresses the current entry into `target`, which has room for exactly
// `size` bytes; true only when that is the whole entry and its checksum holds.
bool extractCurrent(unzFile archive, uint8_t* target, uint32_t size) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
  uint32_t filled = 0;
  bool ok = true;
  while (filled < size) {
    const int got = unzReadCurrentFile(archive, target + filled, size - filled);
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

void readEntry(const char* path, fileBuffer& buffer, bool asText) {
  if (!usable(package) || path == nullptr) throw errorCode::packageEntryMissing;
  unz_file_info64 info;
  if (!locate(package->archive, path, &info)) throw errorCode::packageEntryMissing;

  buffer.release();
  if (info.uncompressed_size == 0 || !plausibleSize(info)) throw errorCode::packageEntryMissing;
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
  for (uint64_t i = 0; i < global.number_entry; ++i) {
    unz_file_info64 info;
    const int status = i == 0 ? unzGoToFirstFile(pkg->archive) : unzGoToNextFile(pkg->archive);
    if (status != UNZ_OK) break;
    unzGetCurrentFileInfo64(pkg->archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
  }
  package = pkg;
}

void openPackage() { openPackageAt(packageFileName); }

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
