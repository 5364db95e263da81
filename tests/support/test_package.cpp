#include "support/test_package.h"

#include "engine/package.h"

#include <zip.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testing_support {

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
  return folder != nullptr ? folder : "";
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
