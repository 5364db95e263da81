// The decoding thread's ring hands the audio thread exactly what the decoder
// makes, in whatever pieces it is asked for, across the ring's wrap, after a
// seek, and to the end.
#include "platform/decode_ahead.h"
#include "platform/mp3_decoder.h"

#include "support/test_mp3.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

// Everything `decoder` yields from where it stands.
std::vector<uint8_t> decodeDirectly(platform::mp3Decoder& decoder) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> block(4096 * decoder.frameBytes());
  for (size_t got; (got = decoder.read(block.data(), block.size())) > 0;) {
    all.insert(all.end(), block.begin(), block.begin() + static_cast<long>(got));
  }
  return all;
}

// Takes until the ring is drained, in pieces of odd sizes (whole frames of
// 4 bytes or not), waiting whenever the decoding thread is behind.
std::vector<uint8_t> takeAll(platform::decodeAhead& ahead) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> piece(7001);
  const size_t sizes[] = {7001, 4, 3, 1024, 4095 * 4};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (size_t turn = 0; !ahead.drained() && std::chrono::steady_clock::now() < deadline; ++turn) {
    const size_t want = sizes[turn % 5];
    piece.resize(want);
    const size_t got = ahead.take(piece.data(), want);
    EXPECT_EQ(got % 4, 0u) << "a partial sample frame";
    all.insert(all.end(), piece.begin(), piece.begin() + static_cast<long>(got));
    if (got == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return all;
}

TEST(DecodeAhead, HandsOverExactlyTheDecodedSongAcrossWrapsAndAfterASeek) {
  testing_support::toneSpec tone;
  tone.seconds = 1.5;  // several laps of the smallest ring
  const std::string mp3 = testing_support::encodeToneMp3(tone);
  const auto* bytes = reinterpret_cast<const uint8_t*>(mp3.data());
  platform::mp3Decoder reference(bytes, mp3.size());
  ASSERT_TRUE(reference.ok());
  const std::vector<uint8_t> whole = decodeDirectly(reference);
  ASSERT_EQ(whole.size(), 66150u * 4u);

  platform::mp3Decoder decoder(bytes, mp3.size());
  platform::decodeAhead ahead(decoder, 1);  // the smallest ring: one decoding turn
  EXPECT_TRUE(takeAll(ahead) == whole);

  ASSERT_TRUE(ahead.seek(44100));
  const std::vector<uint8_t> rest = takeAll(ahead);
  ASSERT_EQ(rest.size(), whole.size() - 44100u * 4u);
  EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + 44100 * 4));
}

}  // namespace
