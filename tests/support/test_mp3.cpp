#include "support/test_mp3.h"

#include <lame.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace testing_support {

std::string encodeToneMp3(const toneSpec& tone) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) return {};
  lame_set_num_channels(lame, tone.channels);
  lame_set_in_samplerate(lame, tone.sampleRate);
  lame_set_out_samplerate(lame, tone.sampleRate);
  lame_set_mode(lame, tone.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, tone.kilobitsPerSecond);
  lame_set_quality(lame, 9);  // fastest: a tone needs no care
  lame_set_bWriteVbrTag(lame, 1);
  lame_set_write_id3tag_automatic(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return {};
  }

  const auto frames = static_cast<long>(std::lround(tone.seconds * tone.sampleRate));
  constexpr int chunk = 4096;
  std::vector<short> left(chunk);
  std::vector<short> right(chunk);
  std::vector<unsigned char> encoded(chunk * 5 / 4 + 7200);
  std::string mp3;
  bool ok = true;
  const double step = 2.0 * M_PI * tone.pitchHz / tone.sampleRate;
  for (long done = 0; ok && done < frames; done += chunk) {
    const int count = static_cast<int>(std::min<long>(chunk, frames - done));
    for (int i = 0; i < count; ++i) {
      const double value = 0.5 * std::sin(step * static_cast<double>(done + i));
      left[i] = static_cast<short>(value * 32767.0);
      right[i] = static_cast<short>(value * 24000.0);
    }
    const int bytes = lame_encode_buffer(lame, left.data(), right.data(), count, encoded.data(),
                                         static_cast<int>(encoded.size()));
    ok = bytes >= 0;
    if (ok) mp3.append(reinterpret_cast<const char*>(encoded.data()), bytes);
  }
  if (ok) {
    const int bytes =
        lame_encode_flush(lame, encoded.data(), static_cast<int>(encoded.size()));
    ok = bytes >= 0;
    if (ok) mp3.append(reinterpret_cast<const char*>(encoded.data()), bytes);
  }
  // The info frame (length, encoder delay and padding) replaces the
  // placeholder LAME wrote as the stream's first frame.
  if (ok) {
    std::vector<unsigned char> info(8192);
    const size_t size = lame_get_lametag_frame(lame, info.data(), info.size());
    if (size > 0 && size <= mp3.size()) std::memcpy(&mp3[0], info.data(), size);
  }
  lame_close(lame);
  return ok ? mp3 : std::string();
}

}  // namespace testing_support
