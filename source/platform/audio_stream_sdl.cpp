#include "platform/audio_stream.h"

#include "platform/audible_clock.h"
#include "platform/audio_device_sdl.h"
#include "platform/callback_events.h"
#include "platform/decode_ahead.h"
#include "platform/message_box.h"
#include "platform/mp3_decoder.h"

#include <SDL2/SDL.h>

#include <atomic>
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

// How long the sound system may take to open a device, and a playing
// device to ask for its next sound, before the show goes on without it.
constexpr int deviceAnswerMs = 2000;

// How far the decoder runs ahead of the device: a decoding thread held up
// this long on a busy machine still costs no sound.
constexpr int aheadSeconds = 2;

// Drivers that accept samples without playing them: they pace themselves
// with sleeps, so only the real-time clock tells where the song is.
bool pretendDriver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "disk") == 0);
}

// About 190 ms of sound per callback (8192 frames at 44.1 and 48 kHz). A
// sound server asks for one such buffer ahead (SDL's PulseAudio driver sets
// its target length to it, its PipeWire driver the node's latency), so this
// is what absorbs the calling thread being scheduled late on a busy machine:
// at 20 ms, a desktop with a build or the software renderer beside the show
// broke the music up dozens of times a minute. The latency costs nothing,
// since the position counts what the device still holds. A driver that only
// pretends to play gets about 20 ms, as it has no one to keep up with.
Uint16 bufferFramesFor(const char* driver, int rate) {
  const int milliseconds = pretendDriver(driver) ? 20 : 160;
  Uint16 frames = 256;
  while (frames < 16384 && static_cast<int>(frames) * 1000 / rate < milliseconds) frames *= 2;
  return frames;
}

// What the device holds right after a callback, in frames, as measured
// against a null sink's monitor (bench_audible_position, 8192-frame buffers
// at 44.1 kHz): SDL's PulseAudio driver, which waits until the server wants
// half a buffer before handing it a whole one, held 1.54 buffers on
// PulseAudio 16 and 1.59 on PipeWire's PulseAudio server, so it counts
// 25/16; SDL's PipeWire driver held 1.06 buffers, so it counts 17/16. Other
// drivers hold about the buffer just handed and one more being played.
uint64_t heldAfterCallback(const char* driver, Uint16 bufferFrames) {
  const uint64_t frames = bufferFrames;
  if (driver != nullptr && std::strcmp(driver, "pulseaudio") == 0) return frames * 25u / 16u;
  if (driver != nullptr && std::strcmp(driver, "pipewire") == 0) return frames * 17u / 16u;
  return 2u * frames;
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

// Decodes on a thread of its own, ahead of SDL's audio thread, which only
// copies; tells the main thread what is audible.
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
    ahead_ = std::make_unique<decodeAhead>(*decoder_, static_cast<size_t>(rate_) * aheadSeconds);

    SDL_AudioSpec obtained{};
    if (clock != positionSource::silent) openSomeDevice(&obtained);
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
    ahead_.reset();
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
      lastSign_ = monotonicNow();
      playStarted_ = true;
    }
    if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
  }

  uint32_t positionPcm() override {
    std::lock_guard<std::mutex> hold(lock_);
    absorbCallbacks();
    noticeLostDevice();
    const uint64_t frames = held_ ? heldAt_ : offset_ + clock_->position(monotonicNow());
    return static_cast<uint32_t>(std::min<uint64_t>(frames, std::numeric_limits<uint32_t>::max()));
  }

  // A held song counts as playing: it has not ended.
  bool isPlaying() override {
    std::lock_guard<std::mutex> hold(lock_);
    absorbCallbacks();
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
    counts.handedFrames = handedFrames_.load();
    counts.decodedFrames = decodedFrames_.load();
    return counts;
  }

 private:
  // The system's device; failing that, SDL's dummy one, which consumes in
  // real time. A sound system that does not answer in time is left alone
  // from then on: the song runs on the real-time clock without a device.
  void openSomeDevice(SDL_AudioSpec* obtained) {
    if (soundSystemAbandoned()) return;  // said so when it happened
    const audioOpenResult::outcome outcome = openDevice(obtained);
    if (outcome == audioOpenResult::outcome::timedOut) {
      std::fprintf(stderr,
                   "Audio: the sound system did not open a device within %d s; the soundtrack "
                   "plays silently in real time.\n",
                   deviceAnswerMs / 1000);
    }
    if (outcome != audioOpenResult::outcome::failed) return;
    std::fprintf(stderr,
                 "Audio: no sound device could be opened (%s); the soundtrack plays "
                 "silently in real time.\n",
                 openError_.c_str());
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    const bool opened = openDevice(obtained) == audioOpenResult::outcome::opened;
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (!opened) {
      std::fprintf(stderr, "Audio: the silent device failed too (%s).\n", openError_.c_str());
    }
  }

  audioOpenResult::outcome openDevice(SDL_AudioSpec* obtained) {
    SDL_AudioSpec wanted{};
    wanted.freq = rate_;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(decoder_->channels());
    wanted.callback = &sdlAudioStream::feed;
    wanted.userdata = this;
    // No changes allowed: SDL converts to whatever the device wants, so the
    // callback always counts frames at the stream's own rate.
    const audioOpenResult opened = openAudioDeviceWithin(wanted, deviceAnswerMs, &bufferFramesFor);
    openError_ = opened.error;
    if (opened.result != audioOpenResult::outcome::opened) return opened.result;
    device_ = opened.device;
    *obtained = opened.obtained;
    audioInitialised_ = true;
    static std::once_flag atExit;
    std::call_once(atExit, [] { std::atexit(closeDeviceAtExit); });
    deviceOpenAtExit = device_;
    return opened.result;
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
    const bool moved = ahead_->seek(frame);
    if (moved) {
      std::lock_guard<std::mutex> hold(lock_);
      callbackEvent stale;
      while (events_.pop(&stale)) {
      }
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
        lastSign_ = monotonicNow();
      }
    }
    if (device_ != 0) SDL_UnlockAudioDevice(device_);
    return moved;
  }

  // SDL marks a device that went away (its sound server quit) as stopped
  // and goes on calling the callback, paced by sleeps. Once that is seen,
  // the position runs on the real-time clock from where it was. Called with
  // lock_ held.
  //
  // A device that asks for nothing for a while (a suspended sink, a stream
  // its server never linked) is given up the same way: the song must not
  // stand still waiting for it.
  void noticeLostDevice() {
    if (deviceLost_ || !playStarted_ || device_ == 0 || held_) return;
    const int64_t now = monotonicNow();
    if (SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED) {
      std::fprintf(stderr,
                   "Audio: the sound device was lost (%s); the show goes on silently in real "
                   "time.\n",
                   driver_);
    } else if (followsDevice_ && now - lastSign_ > int64_t{deviceAnswerMs} * 1000000) {
      std::fprintf(stderr,
                   "Audio: the sound device took no sound for %d s (%s); the show goes on "
                   "silently in real time.\n",
                   deviceAnswerMs / 1000, driver_);
    } else {
      return;
    }
    deviceLost_ = true;
    clock_->continueInRealTime(now);
  }

  static void SDLCALL feed(void* self, Uint8* out, int bytes) {
    static_cast<sdlAudioStream*>(self)->fill(out, static_cast<size_t>(bytes));
  }

  // Runs on the audio thread with the device locked: a copy, no decoding,
  // no lock shared with the main thread.
  void fill(Uint8* out, size_t bytes) {
    // SDL raises its own audio thread (the PulseAudio driver's), but the
    // PipeWire driver calls from a thread loop of normal priority, which a
    // busy desktop holds up for longer than any buffer. Whichever thread
    // calls asks for the highest priority it may have, once.
    thread_local bool raised = false;
    if (!raised) {
      raised = true;
      SDL_SetThreadPriority(SDL_THREAD_PRIORITY_TIME_CRITICAL);
    }
    const size_t written = ahead_ != nullptr ? ahead_->take(out, bytes) : 0;
    std::memset(out + written, 0, bytes - written);
    handedSinceMove_ += bytes / frameBytes_;
    decodedSinceMove_ += written / frameBytes_;
    handedFrames_.fetch_add(bytes / frameBytes_, std::memory_order_relaxed);
    decodedFrames_.fetch_add(written / frameBytes_, std::memory_order_relaxed);
    callbackEvent event;
    event.handedFrames = handedSinceMove_;
    event.decodedFrames = decodedSinceMove_;
    event.time = monotonicNow();
    event.ended = ahead_ == nullptr || ahead_->drained();
    events_.push(event);
  }

  // Hands what the callbacks did since the last look to the clock. Called
  // with lock_ held.
  void absorbCallbacks() {
    callbackEvent event;
    while (events_.pop(&event)) {
      clock_->handed(event.handedFrames, event.time);
      lastSign_ = event.time;
      if (event.ended && !endReported_) {
        clock_->decodedAll(event.decodedFrames);
        endReported_ = true;
      }
    }
  }

  std::unique_ptr<mp3Decoder> decoder_;
  std::unique_ptr<decodeAhead> ahead_;
  const int rate_;
  const size_t frameBytes_;
  float lengthSeconds_ = 0.0f;
  SDL_AudioDeviceID device_ = 0;
  bool audioInitialised_ = false;
  std::string openError_;

  const char* driver_ = "";
  bool followsDevice_ = false;
  uint64_t latency_ = 0;
  uint64_t lengthFrames_ = 0;

  // The audio thread's own counts since the last move (it alone writes
  // them; moves happen with the device locked), and its totals.
  uint64_t handedSinceMove_ = 0;
  uint64_t decodedSinceMove_ = 0;
  std::atomic<uint64_t> handedFrames_{0};
  std::atomic<uint64_t> decodedFrames_{0};
  callbackEvents events_;

  // The main thread's, under lock_ (pause and seek may come from elsewhere).
  std::mutex lock_;
  std::unique_ptr<audibleClock> clock_;
  bool endReported_ = false;
  bool playStarted_ = false;
  bool deviceLost_ = false;
  int64_t lastSign_ = 0;  // when play began or a callback last asked for sound
  // Seeking and resuming start a fresh clock at offset_.
  uint64_t offset_ = 0;
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
