#include "engine/music.h"

#include "engine/errors.h"
#include "engine/package.h"
#include "engine/settings.h"
#include "platform/audio_stream.h"
#include "platform/quit_signal.h"

#include <cstdio>

soundtrack* music = nullptr;
fileBuffer musicBuffer;

float msPerRowFor(float tempo) { return static_cast<float>(60000.0 / (tempo * 8.0)); }

soundtrack* makeSoundtrack(musicStream* stream, double tempo) {
  auto* song = new soundtrack;
  song->stream = stream;
  song->lengthSeconds = stream != nullptr ? stream->lengthSeconds() : 0.0f;
  song->tempo = static_cast<float>(tempo);
  song->rowsPerBeat = 8.0f;
  song->msPerRow = msPerRowFor(song->tempo);
  return song;
}

namespace {

// With the music switched off the song is still opened, for its length and
// rate, but plays on the real-time clock without a sound device.
musicStream* openStreamFromBuffer() {
  return platform::openAudioStream(
      musicBuffer.data, musicBuffer.length,
      musicOn ? platform::positionSource::automatic : platform::positionSource::silent);
}

}  // namespace

void openMusic(double tempo) {
  if (package == nullptr) throw errorCode::engineNoPackage;
  char path[64];
  std::snprintf(path, sizeof path, "sfx/%s", soundtrackFileName);
  readFile(path, musicBuffer);
  music = makeSoundtrack(openStreamFromBuffer(), tempo);
  // Opening may have warned in a box that a quit request then closed: end
  // here, before the show starts.
  if (platform::quitSignalled()) halt(0);
}

bool restartMusic() {
  // A song with nothing to hear (it could not be decoded) is not looped.
  if (music == nullptr || musicBuffer.data == nullptr || music->lengthSeconds <= 0.0f) {
    return false;
  }
  // One device at a time: the old stream closes its device first.
  delete music->stream;
  music->stream = nullptr;
  music->stream = openStreamFromBuffer();
  music->stream->play();
  return true;
}

void releaseMusic() {
  if (music != nullptr) {
    delete music->stream;
    delete music;
    music = nullptr;
  }
  musicBuffer.release();
}
