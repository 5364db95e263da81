#include "api/texture/decoder_guard.h"

namespace FWtexture {

namespace {

// Reads bytes the way the decoder does: past the end, every byte is 0.
struct byteReader {
  const uint8_t* data;
  uint32_t length;
  uint32_t at;

  uint32_t get8() { return at < length ? data[at++] : (at++, 0u); }
  uint32_t get16be() {
    const uint32_t high = get8();
    return (high << 8) | get8();
  }
};

// As the decoder tells a JPEG: a start-of-image marker, whose 0xFF may be
// repeated as fill.
bool isJpeg(const uint8_t* data, uint32_t length) {
  if (length < 2 || data[0] != 0xFF) return false;
  uint32_t at = 1;
  while (at < length && data[at] == 0xFF) ++at;
  return at < length && data[at] == 0xD8;
}

bool isPng(const uint8_t* data, uint32_t length) {
  static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (length < 8) return false;
  for (int i = 0; i < 8; ++i) {
    if (data[i] != signature[i]) return false;
  }
  return true;
}

uint32_t bigEndian32At(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) << 24 | static_cast<uint32_t>(at[1]) << 16 |
         static_cast<uint32_t>(at[2]) << 8 | at[3];
}

// The decoder sizes its compressed-data buffer from the chunk lengths before
// reading them (and doubles a 32-bit size that can wrap to 0). A chunk that
// does not fit in the file fails to decode anyway, so such files are refused
// first. Chunks are walked as the decoder walks them, up to IEND.
bool pngChunkLongerThanFile(const uint8_t* data, uint32_t length) {
  uint64_t at = 8;
  while (at + 8 <= length) {
    const uint64_t chunkLength = bigEndian32At(data + at);
    const uint32_t type = bigEndian32At(data + at + 4);
    if (type == 0x49454E44u) return false;  // IEND: the decoder stops here
    if (at + 12 + chunkLength > length) return true;
    at += 12 + chunkLength;
  }
  return false;
}

// Parses a DHT segment whose length field starts at `at` as the decoder
// does; true when one of its tables lists more than 256 codes before the
// decoder would stop on an error of its own. Each table read takes one unit
// of `budget`.
bool oversizedHuffmanTable(const uint8_t* data, uint32_t length, uint32_t at, uint64_t& budget) {
  byteReader in{data, length, at};
  int32_t remaining = static_cast<int32_t>(in.get16be()) - 2;
  while (remaining > 0) {
    if (budget == 0) return true;
    --budget;
    const uint32_t q = in.get8();
    if ((q >> 4) > 1 || (q & 15) > 3) return false;  // refused by the decoder
    uint32_t codes = 0;
    for (int i = 0; i < 16; ++i) codes += in.get8();
    if (codes > 256) return true;
    if (in.at > length) return false;  // the decoder reads zeros from here on
    in.at += codes;
    remaining -= static_cast<int32_t>(17 + codes);
  }
  return false;
}

}  // namespace

bool hasKnownDecoderFault(const uint8_t* data, uint32_t length) {
  if (data == nullptr) return false;
  if (isPng(data, length)) return pngChunkLongerThanFile(data, length);
  if (!isJpeg(data, length)) return false;
  // The decoder resynchronises on any 0xFF byte between segments, so every
  // 0xFF 0xC4 pair could be taken for a DHT marker; legitimate tables never
  // list more than 256 codes, so checking them all refuses no real file.
  // Real files hold a few tables; one that would make this scan read far
  // more (overlapping forged segments) is refused rather than scanned on.
  uint64_t budget = 65536 + length / 4;
  for (uint32_t at = 0; at + 1 < length; ++at) {
    if (data[at] == 0xFF && data[at + 1] == 0xC4 &&
        oversizedHuffmanTable(data, length, at + 2, budget)) {
      return true;
    }
  }
  return false;
}

}  // namespace FWtexture
