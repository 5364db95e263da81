#pragma once

#include "platform/music_stream.h"

#include <cstdint>

namespace platform {

// Opens the sound output for an MP3 held in memory and returns it as the
// show's music stream, ready to play; the caller owns it. `bytes` are read
// while the stream plays and must outlive it. Cost: one scan over the frame
// headers, a decoding thread that keeps 2 s ahead of the device, and at
// most 2 s waiting for the sound system to open a device (less when a quit
// signal comes). Throws std::bad_alloc when no thread can be made.
//
// Never fails: with no sound device the stream plays silently against the
// real-time clock, and a stream that cannot be decoded is reported on stderr
// and comes back as one that never plays (position 0, not playing).
//
// The position follows the device's consumption, or the real-time clock on
// drivers that only pretend to play (dummy, disk); `clock` can force either,
// for benchmarks that compare the two. `silent` opens no device at all and
// runs on the real-time clock, as the dummy driver would.
//
// A device that goes away while the stream plays (the sound server quits),
// or asks for nothing for 2 s, is reported once on stderr; the position then
// goes on in real time from where it was, to the end of the song. So does a
// sound system that does not open a device within 2 s.
enum class positionSource { automatic, followDevice, realTime, silent };
musicStream* openAudioStream(const uint8_t* bytes, uint32_t length,
                             positionSource clock = positionSource::automatic);

// What a stream from openAudioStream has given its sound device, for
// benchmarks and diagnostics.
struct audioDeviceReport {
  const char* driver = "";     // SDL's audio driver ("" when none opened)
  bool followsDevice = false;  // false: the position follows the real-time clock
  uint64_t handedFrames = 0;   // sample frames handed to the device, silence included
  uint64_t decodedFrames = 0;  // of those, decoded from the stream
};

// The report for `stream`; all zero for any other kind of stream. Takes the
// stream's lock briefly.
audioDeviceReport deviceReportOf(musicStream* stream);

}  // namespace platform
