#pragma once

#include "engine/rocket/track.h"

#include <cstdint>

// The sync device: the one store of all tracks, filled from track files in
// the package, and the music row at which tracks are evaluated.

// The track store. Created once in the loading phase and never released:
// tracks handed out stay valid until the process ends.
struct tracker_device {
  char* base_path;       // prefix of every track file name: "script/sync"
  sync_track** tracks;   // in creation order; grows by one slot per track
  int32_t track_count;
};

// The device; null before tracker_create_device.
extern tracker_device* trackerDevice;

// Editor host address, set when the device is made; playback never reads it.
extern char trackerHostAddress[16];

// Source name under which the checks of the device are reported.
constexpr const char* dataSourceName = "source\\engine\\rocket\\data";

// Track file names are built in a buffer of this many bytes.
constexpr int32_t trackPathCapacity = 260;

// Makes the device (an empty store under "script/sync") and installs it as
// trackerDevice; a device made earlier is left alive, since its tracks may
// still be in use. Throws 4113 when memory runs out.
tracker_device* tracker_create_device();

// Index of the track named exactly `name` (case-sensitive), or -1. Linear
// scan: for loading and set-up, not for frames.
int32_t sync_find_track(const tracker_device* d, const char* name);

// Appends an empty track named `name` and returns its index. The name must
// not be present yet (reported as an assertion if it is). Reallocates the
// track array. Throws 2 when memory runs out.
int32_t sync_add_track(tracker_device* d, const char* name);

// The track named `name`, created and loaded from its file on first request.
// Throws 4113 without a device, 258 when the file is not in the package,
// 3 when the file is broken; the new track then stays in the store, empty.
sync_track* tracker_get_track(const char* name);

// The package file name of track `name`: "script/sync_" name ".track". The
// result lives in one shared buffer, overwritten by the next call. A name too
// long for the buffer is cut short, and such a path never matches a package
// entry, so it fails as a missing file rather than overrunning anything.
const char* tracker_track_path(const char* name);

// Fills `track` from the package file `fileName`: 0 when keys were read, 1
// when the file held no data. Throws 258 for a missing entry and 3 (after a
// message naming the track) for a file shorter than its key count or with a
// negative count. Allocates the key array once.
int32_t tracker_load_track(const char* fileName, sync_track* track);

// The current fractional row of the music: row 1.0 at its first sample, and
// at position 0 when there is no music. One position query per call.
float tracker_row_now();

// Units of the offset given to tracker_row_at.
enum tracker_time_unit : int32_t { TIME_ROWS = 0, TIME_BEATS = 1, TIME_MILLISECONDS = 2 };

// The row `offset` units away from now (any other unit counts as 0). One
// position query per call.
float tracker_row_at(float offset, int32_t unit);
