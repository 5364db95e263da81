#include "platform/mp3_decoder.h"

#include <mpg123.h>

#include <cstring>
#include <mutex>

namespace platform {

namespace {

// The memory the decoder reads from, seen through read and lseek callbacks
// so that libmpg123 can scan the whole stream and come back.
struct memorySource {
  const uint8_t* bytes = nullptr;
  size_t length = 0;
  size_t offset = 0;
};

mpg123_ssize_t readMemory(void* source, void* out, size_t count) {
  auto* memory = static_cast<memorySource*>(source);
  const size_t left = memory->length - memory->offset;
  const size_t taken = count < left ? count : left;
  std::memcpy(out, memory->bytes + memory->offset, taken);
  memory->offset += taken;
  return static_cast<mpg123_ssize_t>(taken);
}

off_t seekMemory(void* source, off_t offset, int whence) {
  auto* memory = static_cast<memorySource*>(source);
  off_t base = 0;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = static_cast<off_t>(memory->offset); break;
    case SEEK_END: base = static_cast<off_t>(memory->length); break;
    default: return -1;
  }
  const off_t target = base + offset;
  if (target < 0 || target > static_cast<off_t>(memory->length)) return -1;
  memory->offset = static_cast<size_t>(target);
  return target;
}

void initialiseLibraryOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

struct mp3Decoder::state {
  memorySource source;
  mpg123_handle* handle = nullptr;
};

mp3Decoder::mp3Decoder(const uint8_t* bytes, size_t length) : state_(new state) {
  initialiseLibraryOnce();
  state_->source.bytes = bytes;
  state_->source.length = bytes != nullptr ? length : 0;

  int status = MPG123_OK;
  state_->handle = mpg123_new(nullptr, &status);
  if (state_->handle == nullptr) {
    error_ = mpg123_plain_strerror(status);
    return;
  }
  mpg123_handle* handle = state_->handle;
  // Our own message explains a failure; the library's printouts would not.
  mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
  auto fail = [&](int code) {
    error_ = code == MPG123_ERR ? mpg123_strerror(handle) : mpg123_plain_strerror(code);
  };
  if ((status = mpg123_replace_reader_handle(handle, readMemory, seekMemory, nullptr)) !=
          MPG123_OK ||
      (status = mpg123_open_handle(handle, &state_->source)) != MPG123_OK) {
    fail(status);
    return;
  }
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if ((status = mpg123_getformat(handle, &rate, &channels, &encoding)) != MPG123_OK) {
    fail(status);
    return;
  }
  if (rate <= 0 || channels < 1 || channels > 2) {
    error_ = "unsupported sample rate or channel count";
    return;
  }
  // Fix the output to this rate and layout; a later frame in another format
  // is converted by the decoder rather than changing the stream under us.
  mpg123_format_none(handle);
  if ((status = mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16)) != MPG123_OK) {
    fail(status);
    return;
  }
  // A scan makes the length exact for streams without a length header.
  if (mpg123_scan(handle) == MPG123_OK) {
    const off_t frames = mpg123_length(handle);
    if (frames > 0) lengthFrames_ = static_cast<uint64_t>(frames);
  }
  rate_ = static_cast<int>(rate);
  channels_ = channels;
  ok_ = true;
}

mp3Decoder::~mp3Decoder() {
  if (state_->handle != nullptr) {
    mpg123_close(state_->handle);
    mpg123_delete(state_->handle);
  }
}

size_t mp3Decoder::read(uint8_t* out, size_t capacity) {
  if (!ok_ || finished_) return 0;
  const size_t whole = capacity - capacity % frameBytes();
  size_t filled = 0;
  while (filled < whole) {
    size_t got = 0;
    const int status = mpg123_read(state_->handle, out + filled, whole - filled, &got);
    filled += got;
    if (status == MPG123_NEW_FORMAT) continue;
    // The end, a decoding error, or a read that made no progress: stop for
    // good rather than spin inside the audio callback.
    if (status != MPG123_OK || got == 0) {
      finished_ = true;
      break;
    }
  }
  return filled - filled % frameBytes();
}

bool mp3Decoder::seek(uint64_t frame) {
  if (!ok_) return false;
  if (lengthFrames_ > 0 && frame > lengthFrames_) frame = lengthFrames_;
  if (mpg123_seek(state_->handle, static_cast<off_t>(frame), SEEK_SET) < 0) return false;
  finished_ = false;
  return true;
}

}  // namespace platform
