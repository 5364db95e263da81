#pragma once

#include "engine/rocket/track.h"

#include <cstdint>

// Track files: a little-endian signed 32-bit key count followed by 9-byte
// keys (row int32, value float32, type int8). Parsing works on bytes alone,
// so it can be checked and fuzzed without a package.

// What the bytes of a track file hold.
struct trackFileCheck {
  enum verdict : int32_t {
    keys,           // a count and that many keys (possibly 0)
    noData,         // zero bytes
    tooShort,       // fewer bytes than the count needs (a partial count too)
    negativeCount,  // the count is below 0
  };
  verdict result = noData;
  int32_t keyCount = 0;      // as stated by the file (0 when it has no count)
  uint64_t bytesNeeded = 0;  // 4 + 9 * keyCount for a non-negative count
  int32_t firstUnorderedKey = -1;  // first key whose row is not above the one before
};

// Size of one key on file.
constexpr uint32_t trackFileKeyBytes = 9;

// Looks at `length` bytes at `bytes` without keeping anything. Never reads
// past `length`.
trackFileCheck checkTrackFile(const uint8_t* bytes, uint32_t length);

// Replaces the keys of `track` with those of a file that checkTrackFile found
// to hold keys. Allocates exactly keyCount keys; throws 2 when that fails.
void readTrackKeys(const uint8_t* bytes, const trackFileCheck& check, sync_track* track);

// The engine's track loader over bytes already in memory: fills `track` and
// returns 0, or returns 1 for zero bytes (the track stays empty). A broken
// file is refused with a message on stderr naming the track and `fileName`,
// and code 3 thrown; keys out of row order are reported and kept as they
// stand.
int32_t tracker_load_track_bytes(const char* fileName, const uint8_t* bytes, uint32_t length,
                                 sync_track* track);
