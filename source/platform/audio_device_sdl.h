#pragma once

#include <SDL2/SDL.h>

#include <string>

// Opening SDL's sound output without letting the sound system hold the show.
// Some servers never answer an open: SDL's PipeWire driver waits forever for a
// stream that no session manager links, or for a sink that does not exist.
namespace platform {

struct audioOpenResult {
  enum class outcome { opened, failed, timedOut, quit };
  outcome result = outcome::failed;
  SDL_AudioDeviceID device = 0;  // opened and paused, when result is opened
  SDL_AudioSpec obtained{};
  std::string error;  // SDL's reason, when failed
};

// Initialises SDL's audio and opens the default device for `wanted` on a
// thread of its own, waiting at most `limitMs` and no longer than a quit
// signal. On timedOut or quit the open is abandoned: that thread is left
// blocked in SDL, and a device it opens later is closed at once. Once any
// open was abandoned, SDL's audio must not be touched again (see
// soundSystemAbandoned). Cost: one thread start; the open itself. Throws
// std::bad_alloc when no thread can be made.
//
// `framesFor` picks the buffer size once the driver is known (SDL chooses it
// when its audio starts): `wanted.samples` is set from it.
using bufferFramesRule = Uint16 (*)(const char* driver, int rate);
audioOpenResult openAudioDeviceWithin(const SDL_AudioSpec& wanted, int limitMs,
                                      bufferFramesRule framesFor);

// True once an open was abandoned: SDL's audio is then half-made on another
// thread, and shutting it down (SDL_Quit included) could block or tear the
// sound library away under that thread. Cleanup skips it.
bool soundSystemAbandoned();

// Shuts SDL down at exit, leaving its audio alone when an open was abandoned.
void quitSdlSafely();

}  // namespace platform
