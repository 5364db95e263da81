#pragma once

#include "engine/file_buffer.h"
#include "platform/music_stream.h"

#include <cstdint>

// The show's one source of time: the soundtrack as the listener hears it.
// Tests and the offline renderer put a virtual clock in its place.

// The soundtrack with its timing constants.
struct soundtrack {
  musicStream* stream = nullptr;  // owned
  float tempo = 128.0f;           // beats per minute
  float rowsPerBeat = 8.0f;
  float msPerRow = 58.59375f;     // 60000 / (tempo * 8)
  float lengthSeconds = 0.0f;
};

// The open soundtrack; null until the music phase has run.
extern soundtrack* music;

// Milliseconds per row at `tempo` beats per minute, eight rows per beat.
float msPerRowFor(float tempo);

// Makes `music` from a stream at the given tempo; takes ownership.
soundtrack* makeSoundtrack(musicStream* stream, double tempo);

// The soundtrack's package entry, under "sfx/".
constexpr const char* soundtrackFileName = "MarbleHollow_Rhythm.mp3";

// The compressed soundtrack, held from openMusic until releaseMusic: the
// stream decodes from it while it plays.
extern fileBuffer musicBuffer;

// Reads the soundtrack from the package and opens it for playing at `tempo`
// beats per minute into `music`, silent on the real-time clock when the
// music is switched off (musicOn). Throws 4129 without an open package, 258
// when the entry is missing. A soundtrack that cannot be decoded is reported
// and opens as a stream that never plays.
void openMusic(double tempo);

// Plays the song again from its first sample on a freshly opened stream
// (the show's loop). Costs a device close and open (tens of milliseconds on a
// sound server). False, doing nothing, without an open soundtrack or with
// one of no length.
bool restartMusic();

// Stops and releases `music` (if any) and frees musicBuffer, in that order.
void releaseMusic();
