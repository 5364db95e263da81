#pragma once

#include <string>

// MP3 streams for tests and benchmarks, encoded with LAME from a generated
// tone, so no recording is ever copied into the tree.
namespace testing_support {

struct toneSpec {
  double seconds = 1.0;
  int sampleRate = 44100;
  int channels = 2;
  int kilobitsPerSecond = 64;
  double pitchHz = 440.0;
};

// A constant-bitrate MP3 of a sine tone with a LAME info frame, so a decoder
// that honours it yields exactly seconds * sampleRate sample frames (LAME
// leaves the info frame out below about 64 kbit/s, and the length then
// includes the encoder's delay and padding). Empty on failure. Encodes
// hundreds of times faster than real time.
std::string encodeToneMp3(const toneSpec& tone);

}  // namespace testing_support
