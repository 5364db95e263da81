#pragma once

#include <cstdint>

// Sync tracks: keys on the music's row grid and their interpolation.

// Interpolation from a key to the next one.
enum sync_key_type : int32_t {
  KEY_STEP = 0,    // the key's value holds until the next key
  KEY_LINEAR = 1,  // t
  KEY_SMOOTH = 2,  // t * t * (3 - 2t)
  KEY_RAMP = 3,    // t squared
};

// One key: the value at `row` and how it moves on towards the next key.
struct sync_key {
  int32_t row;
  float value;
  sync_key_type type;  // other codes (from files) are reported when evaluated
};

// A named list of keys in strictly ascending row order. Tracks belong to the
// sync device and live until the process ends.
struct sync_track {
  char* name;          // owned, NUL-terminated
  sync_key* keys;      // owned (malloc), null when empty
  int32_t key_count;   // 0 for an empty track
};

// Source name under which the checks of this file are reported.
constexpr const char* trackSourceName = "source\\engine\\rocket\\track";

// Binary search for `row`: the key's index when a key sits on that row,
// otherwise the complement (-p - 1) of the insertion point p. O(log n).
int32_t sync_key_search(const sync_track* track, int32_t row);

// The track's value at a fractional row; 0.0 for an empty track. Pure, no
// allocation. A key with an unknown type reports an assertion once and
// yields 0.0 over its span.
float sync_track_value(const sync_track* track, double row);
