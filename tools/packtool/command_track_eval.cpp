// packtool track-eval: loads one track file with the engine's loader and
// prints its value at each row asked for.
#include "command.h"

#include "engine/rocket/track.h"
#include "engine/rocket/track_file.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

bool parseRow(const std::string& text, double* row) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  *row = std::strtod(text.c_str(), &end);
  return errno == 0 && end == text.c_str() + text.size() && std::isfinite(*row);
}

bool readWholeFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// The track name a package file name stands for: "script/sync_tent.fade.track"
// names tent.fade. Other file names are used as they are.
std::string trackNameOf(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const std::string prefix = "sync_";
  const std::string suffix = ".track";
  if (name.size() > prefix.size() + suffix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
      name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
    name = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  }
  return name;
}

int trackEval(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) {
    std::fprintf(stderr, "usage: packtool track-eval FILE ROW...\n");
    return 2;
  }
  const std::string& path = arguments[0];
  std::vector<double> rows;
  for (size_t i = 1; i < arguments.size(); ++i) {
    double row;
    if (!parseRow(arguments[i], &row)) {
      std::fprintf(stderr, "packtool: \"%s\" is not a row number\n", arguments[i].c_str());
      return 2;
    }
    rows.push_back(row);
  }

  std::string bytes;
  if (!readWholeFile(path, &bytes)) {
    std::fprintf(stderr, "packtool: cannot read \"%s\": %s\n", path.c_str(),
                 std::strerror(errno));
    return 1;
  }
  if (bytes.size() > UINT32_MAX) {
    std::fprintf(stderr, "packtool: \"%s\" is far too large for a track file\n", path.c_str());
    return 1;
  }

  std::string name = trackNameOf(path);
  sync_track track{&name[0], nullptr, 0};
  try {
    tracker_load_track_bytes(path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                             static_cast<uint32_t>(bytes.size()), &track);
  } catch (int code) {
    std::fprintf(stderr, "packtool: \"%s\" is not a valid track file (error code %d)\n",
                 path.c_str(), code);
    return 1;
  }
  for (double row : rows) std::printf("%.9g\n", static_cast<double>(sync_track_value(&track, row)));
  std::free(track.keys);
  return 0;
}

const packtoolCommand command("track-eval", "FILE ROW...",
                              "print the value of a track file at each (fractional) row",
                              trackEval);

}  // namespace
