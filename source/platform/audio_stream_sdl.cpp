#include "platform/audio_stream.h"

#include "platform/audible_clock.h"
#include "platform/message_box.h"
#include "platform/mp3_decoder.h"

#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <string>

namespace platform {

namespace {

int64_t monotonicNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// The device the show plays on, closed at exit if the stream is still open
// then (a halt mid-show), so the audio thread stops before the memory it
// decodes from goes away.
SDL_AudioDeviceID deviceOpenAtExit = 0;

void closeDeviceAtExit() {
  if (deviceOpenAtExit != 0) SDL_CloseAudioDevice(deviceOpenAtExit);
  deviceOpenAtExit = 0;
}

// Drivers that accept samples without playing them: they pace themselves
// with sleeps, so only the real-time clock tells where the song is.
bool pretendDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0);
}

// About 20 ms of sound per callback: short enough for a prompt start,
// long enough that a busy main thread does not starve the device.
Uint16 bufferFramesFor(int rate) {
  Uint16 frames = 256;
  while (frames < 8192 && static_cast<int>(frames) * 1000 / rate < 20) frames *= 2;
  return frames;
}

// What the device holds right after a callback, in frames. Most drivers
// hold the buffer just handed and about one more they are still playing.
// SDL's PulseAudio driver asks the server for one buffer of target length,
// and the server's sink adds a little: measured against the sink's monitor
// (bench_audible_position, 1024-frame buffers at 44100 Hz), 30 to 33 ms are
// held, not the 46 ms of two buffers, so it counts 11/8 of a buffer.
uint64_t heldAfterCallback(const char* driver, Uint16 bufferFrames) {
  if (driver != nullptr && std::strcmp(driver, "pulseaudio") == 0) {
    return static_cast<uint64_t>(bufferFrames) * 11u / 8u;
  }
  return 2u * static_cast<uint64_t>(bufferFrames);
}

// A stream that could not be decoded. It never plays; its position stays at
// 0, and its nominal rate keeps every time derived from that position at 0
// rather than 0 / 0.
class silentStream : public musicStream {
 public:
  void play() override {}
  uint32_t positionPcm() override { return 0; }
  bool isPlaying() override { return false; }
  float frequency() override { return 44100.0f; }
  float lengthSeconds() override { return 0.0f; }
};

// Decodes on SDL's audio thread, a callback's worth at a time, and tells
// the main thread what is audible.
class sdlAudioStream : public musicStream {
 public:
  sdlAudioStream(std::unique_ptr<mp3Decoder> decoder, positionSource clock)
      : decoder_(std::move(decoder)),
        rate_(decoder_->rate()),
        frameBytes_(decoder_->frameBytes()) {
    const uint64_t frames = decoder_->lengthFrames();
    const auto milliseconds = static_cast<uint32_t>(
        std::min<uint64_t>(frames * 1000 / static_cast<uint64_t>(rate_),
                           std::numeric_limits<uint32_t>::max()));
    lengthSeconds_ = static_cast<float>(milliseconds / 1000.0);

    SDL_AudioSpec obtained{};
    if (clock == positionSource::silent) {
      // No device: the clock alone runs the song.
    } else if (!openDevice(&obtained)) {
      std::fprintf(stderr,
                   "Audio: no sound device could be opened (%s); the soundtrack plays "
                   "silently in real time.\n",
                   SDL_GetError());
      SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
      const bool opened = openDevice(&obtained);
      SDL_ResetHint(SDL_HINT_AUDIODRIVER);
      if (!opened) {
        std::fprintf(stderr, "Audio: the silent device failed too (%s).\n", SDL_GetError());
      }
    }
    if (device_ != 0) driver_ = SDL_GetCurrentAudioDriver();
    const bool wantDevice = clock == positionSource::automatic
                                ? !pretendDriver(driver_)
                                : clock == positionSource::followDevice;
    followsDevice_ = device_ != 0 && wantDevice;
    latency_ = heldAfterCallback(driver_, obtained.samples);
    lengthFrames_ = frames;
    clock_ = makeClock(frames);
  }

  // Released in the order sound, output, sound system: the decoder goes
  // first, under the device's lock so no callback is using it, then the
  // device, then SDL's audio.
  ~sdlAudioStream() override {
    if (device_ != 0) SDL_LockAudioDevice(device_);
    decoder_.reset();
    if (device_ != 0) {
      SDL_UnlockAudioDevice(device_);
      SDL_CloseAudioDevice(device_);
      if (deviceOpenAtExit == device_) deviceOpenAtExit = 0;
    }
    if (audioInitialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  void play() override {
    {
      std::lock_guard<std::mutex> hold(lock_);
      clock_->start(monotonicNow());
      playStarted_ = true;
    }
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
  }

  uint32_t positionPcm() override {
    std::lock_guard<std::mutex> hold(lock_);
    noticeLostDevice();
    const uint64_t frames = held_ ? heldAt_ : offset_ + clock_->position(monotonicNow());
    return static_cast<uint32_t>(std::min<uint64_t>(frames, std::numeric_limits<uint32_t>::max()));
  }

  // A held song counts as playing: it has not ended.
  bool isPlaying() override {
    std::lock_guard<std::mutex> hold(lock_);
    noticeLostDevice();
    if (held_) return true;
    return clock_->playing(monotonicNow());
  }

  // Holding pauses the device and freezes the position; resuming puts the
  // decoder back at the held position (it had decoded ahead by what the
  // device buffered) and starts a fresh clock there.
  bool pause(bool held) override {
    if (decoder_ == nullptr) return false;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!playStarted_) return false;
      if (held == held_) return true;
      if (held) {
        heldAt_ = offset_ + clock_->position(monotonicNow());
        held_ = true;
      }
    }
    if (held) {
      if (device_ != 0) SDL_PauseAudioDevice(device_, 1);
      return true;
    }
    if (!moveTo(heldAt_, false)) return false;
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  bool seek(uint32_t samples) override {
    if (decoder_ == nullptr) return false;
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!playStarted_) return false;
    }
    uint64_t frame = samples;
    if (lengthFrames_ > 0) frame = std::min(frame, lengthFrames_);
    return moveTo(frame, true);
  }

  float frequency() override { return static_cast<float>(rate_); }
  float lengthSeconds() override { return lengthSeconds_; }

  audioDeviceReport report() {
    audioDeviceReport counts;
    counts.driver = driver_ != nullptr ? driver_ : "";
    counts.followsDevice = followsDevice_;
    std::lock_guard<std::mutex> hold(lock_);
    counts.handedFrames = handedFrames_;
    counts.decodedFrames = decodedFrames_;
    return counts;
  }

 private:
  bool openDevice(SDL_AudioSpec* obtained) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec wanted{};
    wanted.freq = rate_;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(decoder_->channels());
    wanted.samples = bufferFramesFor(rate_);
    wanted.callback = &sdlAudioStream::feed;
    wanted.userdata = this;
    // No changes allowed: SDL converts to whatever the device wants, so the
    // callback always counts frames at the stream's own rate.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, obtained, 0);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    audioInitialised_ = true;
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(closeDeviceAtExit); });
    deviceOpenAtExit = device_;
    return true;
  }

  audibleClock::source clockSource() const {
    return followsDevice_ && !deviceLost_ ? audibleClock::source::device
                                          : audibleClock::source::realTime;
  }

  // A clock for what is left of the song after the current offset.
  std::unique_ptr<audibleClock> makeClock(uint64_t framesLeft) {
    return std::make_unique<audibleClock>(clockSource(), rate_, latency_, framesLeft);
  }

  // Puts the decoder at `frame` with no callback running, and the position
  // with it: held there when `keepHeld` and the song is held, else playing
  // on from there on a fresh clock.
  bool moveTo(uint64_t frame, bool keepHeld) {
    if (device_ != 0) SDL_LockAudioDevice(device_);
    const bool moved = decoder_->seek(frame);
    if (moved) {
      std::lock_guard<std::mutex> hold(lock_);
      if (keepHeld && held_) {
        heldAt_ = frame;
      } else {
        held_ = false;
        offset_ = frame;
        handedSinceMove_ = 0;
        decodedSinceMove_ = 0;
        endReported_ = false;
        clock_ = makeClock(lengthFrames_ > frame ? lengthFrames_ - frame : 0);
        clock_->start(monotonicNow());
      }
    }
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
    return moved;
  }

  // SDL marks a device that went away (its sound server quit) as stopped
  // and goes on calling the callback, paced by sleeps. Once that is seen,
  // the position runs on the real-time clock from where it was. Called with
  // lock_ held.
  void noticeLostDevice() {
    if (deviceLost_ || !playStarted_ || device_ == 0) return;
    if (SDL_GetAudioDeviceStatus(device_) != SDL_AUDIO_STOPPED) return;
    deviceLost_ = true;
    std::fprintf(stderr,
                 "Audio: the sound device was lost (%s); the show goes on silently in real "
                 "time.\n",
                 driver_);
    clock_->continueInRealTime(monotonicNow());
  }

  static void SDLCALL feed(void* self, Uint8* out, int bytes) {
    static_cast<sdlAudioStream*>(self)->fill(out, static_cast<size_t>(bytes));
  }

  // Runs on the audio thread with the device locked.
  void fill(Uint8* out, size_t bytes) {
    const size_t written = decoder_ != nullptr ? decoder_->read(out, bytes) : 0;
    std::memset(out + written, 0, bytes - written);
    const bool ended = decoder_ == nullptr || decoder_->finished();
    const int64_t now = monotonicNow();
    std::lock_guard<std::mutex> hold(lock_);
    handedFrames_ += bytes / frameBytes_;
    decodedFrames_ += written / frameBytes_;
    handedSinceMove_ += bytes / frameBytes_;
    decodedSinceMove_ += written / frameBytes_;
    clock_->handed(handedSinceMove_, now);
    if (ended && !endReported_) {
      clock_->decodedAll(decodedSinceMove_);
      endReported_ = true;
    }
  }

  std::unique_ptr<mp3Decoder> decoder_;
  const int rate_;
  const size_t frameBytes_;
  float lengthSeconds_ = 0.0f;
  SDL_AudioDeviceID device_ = 0;
  bool audioInitialised_ = false;

  const char* driver_ = "";
  bool followsDevice_ = false;
  uint64_t latency_ = 0;
  uint64_t lengthFrames_ = 0;

  // Shared by the audio and main threads under lock_.
  std::mutex lock_;
  std::unique_ptr<audibleClock> clock_;
  uint64_t handedFrames_ = 0;
  uint64_t decodedFrames_ = 0;
  bool endReported_ = false;
  bool playStarted_ = false;
  bool deviceLost_ = false;
  // Seeking and resuming start a fresh clock at offset_; it counts what was
  // handed and decoded since then.
  uint64_t offset_ = 0;
  uint64_t handedSinceMove_ = 0;
  uint64_t decodedSinceMove_ = 0;
  bool held_ = false;
  uint64_t heldAt_ = 0;
};

}  // namespace

musicStream* openAudioStream(const uint8_t* bytes, uint32_t length, positionSource clock) {
  auto decoder = std::make_unique<mp3Decoder>(bytes, length);
  if (!decoder->ok()) {
    const std::string text = "The soundtrack could not be decoded (" + decoder->error() +
                             "). The show runs without it and ends after its first frame.";
    showMessage("Warning", text.c_str(), messageIcon::warning);
    return new silentStream;
  }
  return new sdlAudioStream(std::move(decoder), clock);
}

}  // namespace platform

namespace platform {

audioDeviceReport deviceReportOf(musicStream* stream) {
  auto* sdl = dynamic_cast<sdlAudioStream*>(stream);
  return sdl != nullptr ? sdl->report() : audioDeviceReport{};
}

}  // namespace platform
