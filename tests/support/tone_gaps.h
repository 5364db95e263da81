#pragma once

#include <cstdint>
#include <string>

// Breaks in a recorded tone: stretches of silence inside what should be one
// continuous sound, as a sound server leaves them when a client falls behind.
namespace testing_support {

struct toneGaps {
  double toneSeconds = 0.0;  // from the first loud frame to the last
  int silences = 0;          // silent stretches of at least the minimum inside the tone
  double silentMs = 0.0;     // their total length
  double longestMs = 0.0;
};

// Reads raw signed 16-bit little-endian audio of `channels` at `rate`. A frame
// is silent when every channel is under 2% of the recording's peak; a sine
// passes that band within microseconds, so only a real gap stays in it for
// `minimumMs`. Lengths may be short where the recorder itself lost data:
// count silences, not time.
toneGaps findToneGaps(const std::string& raw, int channels, int rate, double minimumMs = 2.0);

// Records the monitor of `sink` with parec for `seconds`, as raw 16-bit
// stereo at 44100 Hz, through `shellPrefix` (the server's environment), into
// `path`. Blocks until parec ends; run it on a thread beside the player.
void recordMonitor(const std::string& shellPrefix, const std::string& sink, double seconds,
                   const std::string& path);

}  // namespace testing_support
