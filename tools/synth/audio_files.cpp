#include "audio_files.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "song.h"

namespace songsynth {

namespace {

struct lameDeleter {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct mpg123Deleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};

}  // namespace

std::vector<unsigned char> encodeMp3(const stereoBuffer& audio, int bitrateKbps) {
  std::unique_ptr<lame_global_flags, lameDeleter> lame(lame_init());
  if (!lame) throw songError("LAME could not start");
  lame_set_num_channels(lame.get(), 2);
  lame_set_in_samplerate(lame.get(), sampleRate);
  lame_set_out_samplerate(lame.get(), sampleRate);
  lame_set_mode(lame.get(), JOINT_STEREO);
  lame_set_VBR(lame.get(), vbr_off);
  lame_set_brate(lame.get(), bitrateKbps);
  lame_set_quality(lame.get(), 2);
  lame_set_bWriteVbrTag(lame.get(), 1);
  lame_set_write_id3tag_automatic(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) throw songError("LAME refused its settings");

  std::vector<unsigned char> mp3;
  const size_t chunk = 8192;
  std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
  for (size_t start = 0; start < audio.frames(); start += chunk) {
    int count = static_cast<int>(std::min(chunk, audio.frames() - start));
    int written = lame_encode_buffer_ieee_float(lame.get(), audio.left.data() + start, audio.right.data() + start,
                                                count, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) throw songError("LAME failed to encode (code " + std::to_string(written) + ")");
    mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
  }
  int written = lame_encode_flush(lame.get(), buffer.data(), static_cast<int>(buffer.size()));
  if (written < 0) throw songError("LAME failed to finish (code " + std::to_string(written) + ")");
  mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);

  // The stream began with a placeholder of the info frame's size; put the
  // real one (frame count, encoder delay and padding) in its place.
  unsigned char tag[2880];
  size_t tagSize = lame_get_lametag_frame(lame.get(), tag, sizeof tag);
  if (tagSize == 0 || tagSize > sizeof tag || tagSize > mp3.size()) throw songError("LAME gave no info frame");
  std::memcpy(mp3.data(), tag, tagSize);
  return mp3;
}

decodedAudio decodeMp3File(const std::string& path) {
  mpg123_init();
  int error = MPG123_OK;
  std::unique_ptr<mpg123_handle, mpg123Deleter> handle(mpg123_new(nullptr, &error));
  if (!handle) throw songError("libmpg123 could not start");
  mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0.0);
  mpg123_format_none(handle.get());
  mpg123_format(handle.get(), sampleRate, MPG123_STEREO | MPG123_MONO, MPG123_ENC_FLOAT_32);
  if (mpg123_open(handle.get(), path.c_str()) != MPG123_OK) throw songError(path + ": cannot be opened as MP3");

  decodedAudio result;
  int encoding = 0;
  if (mpg123_getformat(handle.get(), &result.rate, &result.channels, &encoding) != MPG123_OK) {
    throw songError(path + ": " + mpg123_strerror(handle.get()));
  }
  std::vector<float> block(16384);
  for (;;) {
    size_t bytes = 0;
    int status = mpg123_read(handle.get(), block.data(), block.size() * sizeof(float), &bytes);
    size_t values = bytes / sizeof(float);
    for (size_t i = 0; i + result.channels <= values; i += result.channels) {
      result.audio.left.push_back(block[i]);
      result.audio.right.push_back(block[i + result.channels - 1]);
    }
    if (status == MPG123_DONE) break;
    if (status != MPG123_OK && status != MPG123_NEW_FORMAT) {
      throw songError(path + ": " + mpg123_strerror(handle.get()));
    }
  }
  return result;
}

void writeWavFile(const std::string& path, const stereoBuffer& audio) {
  std::vector<unsigned char> bytes;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  auto put16 = [&](uint16_t v) {
    bytes.push_back(static_cast<unsigned char>(v));
    bytes.push_back(static_cast<unsigned char>(v >> 8));
  };
  const uint32_t dataSize = static_cast<uint32_t>(audio.frames() * 4);
  bytes.insert(bytes.end(), {'R', 'I', 'F', 'F'});
  put32(36 + dataSize);
  bytes.insert(bytes.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put32(16);
  put16(1);
  put16(2);
  put32(sampleRate);
  put32(sampleRate * 4);
  put16(4);
  put16(16);
  bytes.insert(bytes.end(), {'d', 'a', 't', 'a'});
  put32(dataSize);
  for (size_t i = 0; i < audio.frames(); ++i) {
    for (float value : {audio.left[i], audio.right[i]}) {
      long quantised = std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f);
      put16(static_cast<uint16_t>(static_cast<int16_t>(quantised)));
    }
  }
  writeFileAtomically(path, bytes);
}

void writeFileAtomically(const std::string& path, const std::vector<unsigned char>& bytes) {
  const std::string temporary = path + ".partial";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) throw songError(path + ": cannot be written");
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  ok = std::fclose(file) == 0 && ok;
  if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    throw songError(path + ": cannot be written");
  }
}

}  // namespace songsynth
