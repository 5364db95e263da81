#pragma once

#include <string>
#include <vector>

#include "dsp.h"

// Reading and writing the audio files the synthesiser makes. MP3 goes
// through LAME and libmpg123, kept to this pair of files.

namespace songsynth {

// Encodes 44.1 kHz stereo (full scale is +-1) as constant-bit-rate MP3 with
// a LAME info frame first, which tells decoders the exact length. The same
// input always gives the same bytes. About 20-40 times faster than real time.
std::vector<unsigned char> encodeMp3(const stereoBuffer& audio, int bitrateKbps);

struct decodedAudio {
  stereoBuffer audio;
  long rate = 0;
  int channels = 0;
};

// Decodes an MP3 file to float samples (not clipped, so overs show), gapless:
// encoder delay and padding are removed. Throws songError when it fails.
decodedAudio decodeMp3File(const std::string& path);

// Writes 16-bit PCM WAV, rounding and clipping to full scale.
void writeWavFile(const std::string& path, const stereoBuffer& audio);

// Writes `bytes` to `path` through a temporary file renamed into place, so a
// failed run never leaves half a file. Throws songError when it fails.
void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes);

}  // namespace songsynth
