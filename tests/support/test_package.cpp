#include "support/test_package.h"

#include "engine/package.h"

#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testing_support {

namespace {

// The folders this test process made, removed when it ends, whether its
// test passed or failed halfway. A forked child that exits (a death test)
// leaves them to its parent. AMBER_KEEP_TEST_FOLDERS keeps them to look at.
class madeFolders {
 public:
  ~madeFolders() {
    if (getpid() != owner_ || std::getenv("AMBER_KEEP_TEST_FOLDERS") != nullptr) return;
    for (const std::string& folder : folders_) {
      std::error_code ignored;  // a folder still holding a mount stays
      std::filesystem::remove_all(folder, ignored);
    }
  }
  void add(const std::string& folder) { folders_.push_back(folder); }

 private:
  pid_t owner_ = getpid();
  std::vector<std::string> folders_;
};

madeFolders& foldersToRemove() {
  static madeFolders folders;
  return folders;
}

}  // namespace

bool writeZip(const std::string& path, const std::vector<zipEntry>& entries) {
  zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) return false;
  bool ok = true;
  for (const zipEntry& entry : entries) {
    zip_fileinfo info{};
    const int method = entry.stored ? 0 : Z_DEFLATED;
    const int level = entry.stored ? 0 : Z_DEFAULT_COMPRESSION;
    ok = ok && zipOpenNewFileInZip64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, method, level, 0) == ZIP_OK;
    ok = ok && zipWriteInFileInZip(zip, entry.bytes.data(),
                                   static_cast<unsigned>(entry.bytes.size())) == ZIP_OK;
    ok = ok && zipCloseFileInZip(zip) == ZIP_OK;
  }
  return zipClose(zip, nullptr) == ZIP_OK && ok;
}

std::string makeTempFolder() {
  char pattern[] = "/tmp/amberpudding-test-XXXXXX";
  const char* folder = mkdtemp(pattern);
  if (folder == nullptr) return "";
  foldersToRemove().add(folder);
  return folder;
}

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

void dropPackage() {
  if (package != nullptr) closePackage(package);
}

void usePackage(const std::string& path) {
  dropPackage();
  openPackageAt(path.c_str());
}

}  // namespace testing_support
