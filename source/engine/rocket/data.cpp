#include "engine/rocket/data.h"

#include "engine/demo_clock.h"
#include "engine/errors.h"
#include "engine/file_buffer.h"
#include "engine/music.h"
#include "engine/package.h"
#include "engine/rocket/assertion.h"
#include "engine/rocket/track_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

tracker_device* trackerDevice = nullptr;
char trackerHostAddress[16] = "";

namespace {

constexpr const char* trackBasePath = "script/sync";

char trackPath[trackPathCapacity];

// Holds each track file while it is parsed; emptied right after.
fileBuffer& trackFileBuffer() {
  static fileBuffer buffer;
  return buffer;
}

char* copyOf(const char* text) {
  const size_t size = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(std::malloc(size));
  if (copy != nullptr) std::memcpy(copy, text, size);
  return copy;
}

// The timing of the music, or the show's defaults when there is none yet.
const soundtrack& timing() {
  static const soundtrack defaults;
  return music != nullptr ? *music : defaults;
}

// Samples heard so far; 0 when the music (or its position) is not there.
uint32_t positionNow() {
  if (music == nullptr || music->stream == nullptr) return 0;
  return music->stream->positionPcm();
}

float frequencyNow() {
  if (music == nullptr || music->stream == nullptr) return 44100.0f;
  return music->stream->frequency();
}

}  // namespace

tracker_device* tracker_create_device() {
  // A device made earlier stays alive (its tracks may still be in use) and
  // reachable, as the current one is through trackerDevice; the list itself
  // is never destroyed, so it still holds them when the process ends.
  static auto* earlierDevices = new std::vector<tracker_device*>;
  if (trackerDevice != nullptr) earlierDevices->push_back(trackerDevice);
  auto* d = static_cast<tracker_device*>(std::malloc(sizeof(tracker_device)));
  if (d == nullptr) throw errorCode::trackerNoDevice;
  d->base_path = copyOf(trackBasePath);
  if (d->base_path == nullptr) {
    std::free(d);
    throw errorCode::trackerNoDevice;
  }
  d->tracks = nullptr;
  d->track_count = 0;
  std::snprintf(trackerHostAddress, sizeof trackerHostAddress, "%s", "127.0.0.1");
  trackerDevice = d;
  return d;
}

int32_t sync_find_track(const tracker_device* d, const char* name) {
  for (int32_t i = 0; i < d->track_count; ++i) {
    if (std::strcmp(d->tracks[i]->name, name) == 0) return i;
  }
  return -1;
}

int32_t sync_add_track(tracker_device* d, const char* name) {
  liveAssertion(sync_find_track(d, name) < 0, "sync_find_track(d, name) < 0", dataSourceName,
                22);
  auto* track = static_cast<sync_track*>(std::malloc(sizeof(sync_track)));
  if (track == nullptr) throw errorCode::outOfMemory;
  track->name = copyOf(name);
  track->keys = nullptr;
  track->key_count = 0;
  auto* grown = static_cast<sync_track**>(
      std::realloc(d->tracks, sizeof(sync_track*) * (static_cast<size_t>(d->track_count) + 1)));
  if (track->name == nullptr || grown == nullptr) {
    std::free(track->name);
    std::free(track);
    throw errorCode::outOfMemory;
  }
  d->tracks = grown;
  d->tracks[d->track_count] = track;
  return d->track_count++;
}

sync_track* tracker_get_track(const char* name) {
  if (trackerDevice == nullptr) throw errorCode::trackerNoDevice;
  int32_t i = sync_find_track(trackerDevice, name);
  if (i >= 0) return trackerDevice->tracks[i];
  i = sync_add_track(trackerDevice, name);
  sync_track* track = trackerDevice->tracks[i];
  tracker_load_track(tracker_track_path(name), track);
  return track;
}

const char* tracker_track_path(const char* name) {
  const char* base = trackerDevice != nullptr ? trackerDevice->base_path : trackBasePath;
  std::snprintf(trackPath, sizeof trackPath, "%s_%s.track", base, name);
  return trackPath;
}

int32_t tracker_load_track(const char* fileName, sync_track* track) {
  fileBuffer& buffer = trackFileBuffer();
  readFile(fileName, buffer);
  struct releaseAfterUse {
    fileBuffer& buffer;
    ~releaseAfterUse() { buffer.release(); }
  } release{buffer};
  return tracker_load_track_bytes(fileName, buffer.data, buffer.length, track);
}

float tracker_row_now() {
  return rowPositionAt(positionNow(), frequencyNow(), timing().msPerRow);
}

float tracker_row_at(float offset, int32_t unit) {
  const soundtrack& clock = timing();
  float offsetMs = 0.0f;
  switch (unit) {
    case TIME_ROWS:
      offsetMs = clock.msPerRow * offset;
      break;
    case TIME_BEATS:
      offsetMs = clock.msPerRow * clock.rowsPerBeat * offset;
      break;
    case TIME_MILLISECONDS:
      offsetMs = offset;
      break;
    default:
      break;
  }
  // As rowPositionAt, except that the offset joins the milliseconds before
  // they are rounded.
  const double heardMs = static_cast<double>(positionNow()) * 1000.0 / frequencyNow();
  const float milliseconds = static_cast<float>(heardMs + offsetMs);
  const float rows = milliseconds / clock.msPerRow;
  return static_cast<float>(rows + 1.0);
}
