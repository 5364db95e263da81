#include "engine/rocket/track_group.h"

#include "engine/errors.h"
#include "engine/rocket/data.h"

#include <cstdio>

namespace {

constexpr const char* defaultParam = "v";
constexpr const char* defaultLetters = "xyzw ";

// Track names are formatted into a buffer of this size; a longer name is cut
// short, and its file name then matches no package entry.
constexpr int trackNameCapacity = 260;

float valueAt(const sync_track* track, float row) { return sync_track_value(track, row); }

}  // namespace

trackGroup::trackGroup(const char* owner, const char* param, const char* letters, int32_t kind)
    : owner_(owner != nullptr ? owner : ""),
      param_(param != nullptr ? param : defaultParam),
      letters_(letters != nullptr ? letters : defaultLetters),
      kind_(kind) {
  bindTracks();
}

int32_t trackGroup::countFor(int32_t kind) {
  if (kind >= 0 && kind <= 3) return 1;
  if (kind >= 4 && kind <= 6) return kind - 2;
  return 0;
}

void trackGroup::bindTracks() {
  const int32_t count = countFor(kind_);
  char name[trackNameCapacity];
  if (count == 1) {
    std::snprintf(name, sizeof name, "%s.%s", owner_.c_str(), param_.c_str());
    tracks_.push_back(tracker_get_track(name));
    return;
  }
  if (count > static_cast<int32_t>(letters_.size())) {
    std::fprintf(stderr,
                 "TRACKER: parameter group %s.%s of kind %d needs %d letters, \"%s\" has %d.\n",
                 owner_.c_str(), param_.c_str(), static_cast<int>(kind_), static_cast<int>(count),
                 letters_.c_str(), static_cast<int>(letters_.size()));
    throw errorCode::badIndex;
  }
  tracks_.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "%s.%s.%c", owner_.c_str(), param_.c_str(), letters_[i]);
    tracks_.push_back(tracker_get_track(name));
  }
}

float trackGroup::valueNow() const {
  if (tracks_.empty()) return 0.0f;
  return valueAt(tracks_[0], tracker_row_now());
}

void trackGroup::valuesNow(float* out) const {
  for (size_t i = 0; i < tracks_.size(); ++i) out[i] = valueAt(tracks_[i], tracker_row_now());
}

void trackGroup::vectorNow(float out[3]) const {
  for (size_t i = 0; i < 3; ++i) {
    out[i] = i < tracks_.size() ? valueAt(tracks_[i], tracker_row_now()) : 0.0f;
  }
}

void trackGroup::vectorAt(float out[3], float offset, tracker_time_unit unit) const {
  for (size_t i = 0; i < 3; ++i) {
    out[i] = i < tracks_.size() ? valueAt(tracks_[i], tracker_row_at(offset, unit)) : 0.0f;
  }
}
