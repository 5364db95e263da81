#include "content/zip_archive.h"

#include "content/content_error.h"

#include <unzip.h>
#include <zip.h>

#include <cstdio>

namespace content {

namespace {

// 1 January 1980, 00:00: the earliest time a zip directory can hold.
zip_fileinfo fixedEntryInfo() {
  zip_fileinfo info{};
  info.tmz_date.tm_year = 1980;
  info.tmz_date.tm_mon = 0;
  info.tmz_date.tm_mday = 1;
  info.dosDate = 0;  // take the date above
  return info;
}

class unzipHandle {
 public:
  explicit unzipHandle(const std::string& path) : path_(path), file_(unzOpen64(path.c_str())) {
    if (file_ == nullptr) throw contentError(path + ": cannot open as a zip archive");
  }
  ~unzipHandle() { unzClose(file_); }
  unzipHandle(const unzipHandle&) = delete;
  unzipHandle& operator=(const unzipHandle&) = delete;

  // Calls `visit(name, info)` for each entry with the entry selected.
  template <class Visit>
  void forEach(Visit&& visit) {
    int status = unzGoToFirstFile(file_);
    while (status == UNZ_OK) {
      unz_file_info64 info;
      char name[1024];
      if (unzGetCurrentFileInfo64(file_, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) {
        throw contentError(path_ + ": damaged zip directory");
      }
      visit(std::string(name), info);
      status = unzGoToNextFile(file_);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) throw contentError(path_ + ": damaged zip directory");
  }

  std::string readCurrent(const std::string& name, uint64_t size) {
    std::string bytes(size, '\0');
    if (unzOpenCurrentFile(file_) != UNZ_OK) throw contentError(path_ + ": cannot open entry " + name);
    const int read = size == 0 ? 0 : unzReadCurrentFile(file_, bytes.data(), static_cast<unsigned>(size));
    const int closed = unzCloseCurrentFile(file_);
    if (read < 0 || static_cast<uint64_t>(read) != size || closed != UNZ_OK) {
      throw contentError(path_ + ": entry " + name + " is damaged");
    }
    return bytes;
  }

 private:
  std::string path_;
  unzFile file_;
};

}  // namespace

void writeArchive(const std::string& path, const std::vector<archiveEntry>& entries) {
  const std::string partial = path + ".partial";
  zipFile zip = zipOpen64(partial.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) throw contentError(path + ": cannot create the archive");
  const zip_fileinfo info = fixedEntryInfo();
  bool ok = true;
  std::string failedEntry;
  for (const archiveEntry& entry : entries) {
    const int method = entry.compress ? Z_DEFLATED : 0;
    const int level = entry.compress ? Z_BEST_COMPRESSION : 0;
    const bool written =
        zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method,
                              level, 0) == ZIP_OK &&
        (entry.bytes.empty() ||
         zipWriteInFileInZip(zip, entry.bytes.data(), static_cast<unsigned>(entry.bytes.size())) ==
             ZIP_OK) &&
        zipCloseFileInZip(zip) == ZIP_OK;
    if (!written) {
      ok = false;
      failedEntry = entry.name;
      break;
    }
  }
  ok = zipClose(zip, nullptr) == ZIP_OK && ok;
  if (!ok || std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    throw contentError(path + ": writing the archive failed" +
                       (failedEntry.empty() ? std::string() : " at entry " + failedEntry));
  }
}

std::vector<archiveListing> listArchive(const std::string& path) {
  unzipHandle archive(path);
  std::vector<archiveListing> listing;
  archive.forEach([&](const std::string& name, const unz_file_info64& info) {
    listing.push_back(archiveListing{name, info.uncompressed_size, info.compressed_size});
  });
  return listing;
}

std::vector<archiveEntry> readArchive(const std::string& path) {
  unzipHandle archive(path);
  std::vector<archiveEntry> entries;
  archive.forEach([&](const std::string& name, const unz_file_info64& info) {
    entries.push_back(archiveEntry{name, archive.readCurrent(name, info.uncompressed_size),
                                   info.compression_method != 0});
  });
  return entries;
}

}  // namespace content
