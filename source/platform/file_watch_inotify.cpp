#include "platform/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform {

fileWatch::fileWatch() { descriptor_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC); }

fileWatch::~fileWatch() {
  if (descriptor_ >= 0) close(descriptor_);
}

bool fileWatch::watchFolder(const std::string& folder, std::string* error) {
  if (descriptor_ < 0) {
    *error = std::string("inotify is not available: ") + std::strerror(errno);
    return false;
  }
  const int watch = inotify_add_watch(descriptor_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
  if (watch < 0) {
    *error = folder + ": " + std::strerror(errno);
    return false;
  }
  folders_[watch] = folder;
  return true;
}

std::vector<std::string> fileWatch::savedFiles() {
  std::vector<std::string> saved;
  if (descriptor_ < 0) return saved;
  alignas(inotify_event) char events[8192];
  for (;;) {
    const ssize_t length = read(descriptor_, events, sizeof events);
    if (length <= 0) break;  // EAGAIN: nothing more pending
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (at > length) break;  // the kernel never splits an event; be safe anyway
      const auto folder = folders_.find(event->wd);
      if (folder == folders_.end() || event->len == 0) continue;
      const std::string path = folder->second + "/" + std::string(event->name);
      if (std::find(saved.begin(), saved.end(), path) == saved.end()) saved.push_back(path);
    }
  }
  return saved;
}

}  // namespace platform
