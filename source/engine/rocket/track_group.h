#pragma once

#include "engine/rocket/data.h"
#include "engine/rocket/track.h"

#include <cstdint>
#include <string>
#include <vector>

// Kind codes of a parameter group (the numbers the track files and the
// show's tables use). Kinds 0 to 3 differ only in name: each makes one track
// "owner.param"; the names say what the show uses each for. Kinds 4, 5 and 6
// make two, three and four tracks "owner.param.letter"; any other code makes
// none.
enum groupKind : int32_t {
  activitySwitch = 0,  // an item's "bind" track
  sceneSwitch = 1,     // a scene's "bind" track
  scalarValue = 2,     // one value that moves: a fade, a turn, a radius
  levelValue = 3,      // one level that steps or blinks
  pairValue = 4,
  tripleValue = 5,     // a position, a colour
  quadValue = 6,
};

// A parameter group: one named parameter of one owner tied to one to four
// tracks (one per component letter), read at the music's current row. The
// tracks are looked up (and loaded) once, at construction; evaluation only
// follows the stored pointers.
class trackGroup {
 public:
  // `kind` is a groupKind code (any other code makes no tracks).
  // `param` defaults to "v" and `letters` to "xyzw ". Loads track files on
  // first request: throws 258 for a missing file, 3 for a broken one or for
  // fewer letters than the kind needs, 4113 without a sync device.
  trackGroup(const char* owner, const char* param = nullptr, const char* letters = nullptr,
             int32_t kind = 0);
  trackGroup(const trackGroup&) = delete;
  trackGroup& operator=(const trackGroup&) = delete;

  // The first track at the current row (0.0 for a group without tracks).
  // One position query; no allocation.
  float valueNow() const;
  // Each track at a freshly read current row into out[0 .. count-1].
  void valuesNow(float* out) const;
  // Tracks 0, 1 and 2 at the current row; components the group lacks are 0.0.
  void vectorNow(float out[3]) const;
  // As vectorNow, at the row `offset` away in `unit`.
  void vectorAt(float out[3], float offset, tracker_time_unit unit) const;

  const std::string& owner() const { return owner_; }
  const std::string& param() const { return param_; }
  const std::string& letters() const { return letters_; }
  int32_t kind() const { return kind_; }
  int32_t count() const { return static_cast<int32_t>(tracks_.size()); }
  // Track `index` (0 .. count-1); it belongs to the sync device.
  sync_track* track(int32_t index) const { return tracks_[index]; }

  // Number of tracks a group of `kind` has.
  static int32_t countFor(int32_t kind);

 private:
  void bindTracks();

  std::string owner_;
  std::string param_;
  std::string letters_;
  int32_t kind_;
  std::vector<sync_track*> tracks_;
};
