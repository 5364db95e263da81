#include "engine/rocket/track_file.h"

#include "engine/errors.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t countBytes = 4;

int32_t int32At(const uint8_t* bytes) {
  const uint32_t bits = static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                        static_cast<uint32_t>(bytes[2]) << 16 |
                        static_cast<uint32_t>(bytes[3]) << 24;
  int32_t value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

float float32At(const uint8_t* bytes) {
  const int32_t bits = int32At(bytes);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

const uint8_t* keyAt(const uint8_t* bytes, int32_t index) {
  return bytes + countBytes + static_cast<uint64_t>(index) * trackFileKeyBytes;
}

}  // namespace

trackFileCheck checkTrackFile(const uint8_t* bytes, uint32_t length) {
  trackFileCheck check;
  if (length == 0) return check;
  if (length < countBytes) {
    check.result = trackFileCheck::tooShort;
    check.bytesNeeded = countBytes;
    return check;
  }
  check.keyCount = int32At(bytes);
  if (check.keyCount < 0) {
    check.result = trackFileCheck::negativeCount;
    return check;
  }
  check.bytesNeeded = countBytes + static_cast<uint64_t>(check.keyCount) * trackFileKeyBytes;
  if (check.bytesNeeded > length) {
    check.result = trackFileCheck::tooShort;
    return check;
  }
  check.result = trackFileCheck::keys;
  for (int32_t i = 1; i < check.keyCount; ++i) {
    if (int32At(keyAt(bytes, i)) <= int32At(keyAt(bytes, i - 1))) {
      check.firstUnorderedKey = i;
      break;
    }
  }
  return check;
}

void readTrackKeys(const uint8_t* bytes, const trackFileCheck& check, sync_track* track) {
  sync_key* keys = nullptr;
  if (check.keyCount > 0) {
    keys = static_cast<sync_key*>(std::malloc(sizeof(sync_key) * check.keyCount));
    if (keys == nullptr) throw errorCode::outOfMemory;
  }
  for (int32_t i = 0; i < check.keyCount; ++i) {
    const uint8_t* record = keyAt(bytes, i);
    keys[i].row = int32At(record);
    keys[i].value = float32At(record + 4);
    keys[i].type = static_cast<sync_key_type>(static_cast<int8_t>(record[8]));
  }
  std::free(track->keys);
  track->keys = keys;
  track->key_count = check.keyCount;
}

int32_t tracker_load_track_bytes(const char* fileName, const uint8_t* bytes, uint32_t length,
                                 sync_track* track) {
  const char* trackName = track->name != nullptr ? track->name : "";
  const trackFileCheck check = checkTrackFile(bytes, length);
  switch (check.result) {
    case trackFileCheck::noData:
      return 1;
    case trackFileCheck::negativeCount:
      std::fprintf(stderr,
                   "TRACKER: track \"%s\" (file \"%s\") is broken: its key count %d is "
                   "negative.\n",
                   trackName, fileName, static_cast<int>(check.keyCount));
      throw errorCode::badIndex;
    case trackFileCheck::tooShort:
      if (length < countBytes) {
        std::fprintf(stderr,
                     "TRACKER: track \"%s\" (file \"%s\") is broken: %u bytes are too few "
                     "for its key count.\n",
                     trackName, fileName, static_cast<unsigned>(length));
        throw errorCode::badIndex;
      }
      std::fprintf(stderr,
                   "TRACKER: track \"%s\" (file \"%s\") is broken: %d keys need %llu bytes, "
                   "the file has %u.\n",
                   trackName, fileName, static_cast<int>(check.keyCount),
                   static_cast<unsigned long long>(check.bytesNeeded),
                   static_cast<unsigned>(length));
      throw errorCode::badIndex;
    case trackFileCheck::keys:
      break;
  }
  if (check.firstUnorderedKey > 0) {
    const int32_t i = check.firstUnorderedKey;
    std::fprintf(stderr,
                 "TRACKER: track \"%s\" (file \"%s\"): key %d (row %d) does not come after key "
                 "%d (row %d); keys must ascend by row, so values near them are unreliable.\n",
                 trackName, fileName, static_cast<int>(i), static_cast<int>(int32At(keyAt(bytes, i))),
                 static_cast<int>(i - 1), static_cast<int>(int32At(keyAt(bytes, i - 1))));
  }
  readTrackKeys(bytes, check, track);
  return 0;
}
