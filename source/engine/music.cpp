#include "engine/music.h"

soundtrack* music = nullptr;

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
