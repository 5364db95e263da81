#pragma once

#include <map>
#include <string>
#include <vector>

namespace platform {

// Tells which files in a few folders were saved, without blocking: a file
// written and closed, or moved into the folder (editors that save through a
// temporary file and a rename). Folders are watched, not files, so a file
// that is replaced keeps being watched.
class fileWatch {
 public:
  fileWatch();
  ~fileWatch();
  fileWatch(const fileWatch&) = delete;
  fileWatch& operator=(const fileWatch&) = delete;

  // Watches `folder` (not its subfolders). False, with the reason in
  // `error`, when the folder cannot be watched. One system call.
  bool watchFolder(const std::string& folder, std::string* error);

  // "folder/name" of every file saved since the last call, each once, in
  // the order first seen. Never blocks; costs one read of the pending events.
  std::vector<std::string> savedFiles();

 private:
  int descriptor_ = -1;
  std::map<int, std::string> folders_;  // watch descriptor -> folder
};

}  // namespace platform
