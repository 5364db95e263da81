#include "platform/audio_device_sdl.h"

#include "platform/quit_signal.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace platform {

namespace {

std::atomic<bool> abandoned{false};

// What the opening thread and the waiting one share; whichever finishes
// last frees it.
struct openAttempt {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  bool givenUp = false;
  SDL_AudioSpec wanted{};
  bufferFramesRule framesFor = nullptr;
  audioOpenResult answer;
};

void openOnThisThread(const std::shared_ptr<openAttempt>& attempt) {
  pthread_setname_np(pthread_self(), "amber-snd-open");
  audioOpenResult answer;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    answer.error = SDL_GetError();
  } else {
    attempt->wanted.samples =
        attempt->framesFor(SDL_GetCurrentAudioDriver(), attempt->wanted.freq);
    answer.device = SDL_OpenAudioDevice(nullptr, 0, &attempt->wanted, &answer.obtained, 0);
    if (answer.device == 0) {
      answer.error = SDL_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
  }
  answer.result = answer.device != 0 ? audioOpenResult::outcome::opened
                                     : audioOpenResult::outcome::failed;
  std::lock_guard<std::mutex> hold(attempt->lock);
  // Too late: the stream went on without sound, and its callback must never
  // run. The device is still paused, so closing it stops nothing playing.
  if (attempt->givenUp && answer.device != 0) SDL_CloseAudioDevice(answer.device);
  attempt->answer = answer;
  attempt->done = true;
  attempt->finished.notify_all();
}

}  // namespace

audioOpenResult openAudioDeviceWithin(const SDL_AudioSpec& wanted, int limitMs,
                                      bufferFramesRule framesFor) {
  auto attempt = std::make_shared<openAttempt>();
  attempt->wanted = wanted;
  attempt->framesFor = framesFor;
  try {
    std::thread([attempt] { openOnThisThread(attempt); }).detach();
  } catch (const std::system_error&) {
    throw std::bad_alloc();  // its stack is address space, and that ran out
  }

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
  std::unique_lock<std::mutex> hold(attempt->lock);
  while (!attempt->done) {
    if (quitSignalled() || std::chrono::steady_clock::now() >= deadline) {
      attempt->givenUp = true;
      abandoned = true;
      audioOpenResult gaveUp;
      gaveUp.result = quitSignalled() ? audioOpenResult::outcome::quit
                                      : audioOpenResult::outcome::timedOut;
      return gaveUp;
    }
    // Short waits, so that a quit signal is seen within a frame's time.
    attempt->finished.wait_for(hold, std::chrono::milliseconds(20));
  }
  return attempt->answer;
}

bool soundSystemAbandoned() { return abandoned.load(); }

void quitSdlSafely() {
  if (!soundSystemAbandoned()) {
    SDL_Quit();
    return;
  }
  const Uint32 running = SDL_WasInit(SDL_INIT_EVERYTHING) & ~SDL_INIT_AUDIO;
  if (running != 0) SDL_QuitSubSystem(running);
}

}  // namespace platform
