#pragma once

#include <map>
#include <string>

// The editable sources in a content folder, as creator mode reads them in
// place of the package's entries: DIR/sync/*.sync compiled to track files,
// DIR/fx/* read as they stand. Everything else comes from the package.
namespace creator {

class contentSources {
 public:
  explicit contentSources(std::string folder) : folder_(std::move(folder)) {}

  const std::string& folder() const { return folder_; }
  std::string syncFolder() const { return folder_ + "/sync"; }
  std::string fxFolder() const { return folder_ + "/fx"; }

  // Compiles every DIR/sync/*.sync (in name order) and keeps the result:
  // true. On a mistake (a script error, the same track in two scripts)
  // keeps what it had and returns false with "file:line: message" in
  // `error`. Costs a read and parse of every script (milliseconds).
  bool compileScripts(std::string* error);

  // True once a compile has succeeded.
  bool compiled() const { return compiled_; }

  // The track file bytes the scripts give `trackName`; null when they do
  // not define it.
  const std::string* trackBytes(const std::string& trackName) const;

  // The scripts' track names, in name order.
  const std::map<std::string, std::string>& tracks() const { return tracks_; }

  // The entry `path` from the sources: "script/sync_NAME.track" from the
  // compiled scripts, "fx/NAME" from DIR/fx. False (the package answers)
  // for anything else, a track the scripts do not define, or a shader the
  // folder does not hold. Reads the shader file each time.
  bool entry(const std::string& path, std::string* bytes) const;

 private:
  std::string folder_;
  bool compiled_ = false;
  std::map<std::string, std::string> tracks_;  // track name -> track file bytes
};

}  // namespace creator
