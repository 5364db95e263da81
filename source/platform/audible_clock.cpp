#include "platform/audible_clock.h"

#include <algorithm>
#include <limits>

namespace platform {

namespace {

uint64_t framesIn(int64_t nanoseconds, double rate) {
  if (nanoseconds <= 0) return 0;
  return static_cast<uint64_t>(static_cast<double>(nanoseconds) * rate / 1e9);
}

}  // namespace

audibleClock::audibleClock(source from, double rate, uint64_t latencyFrames,
                           uint64_t lengthFrames)
    : from_(from), rate_(rate), latency_(latencyFrames), knownLength_(lengthFrames) {}

void audibleClock::start(int64_t now) {
  if (started_) return;
  started_ = true;
  startTime_ = now;
}

void audibleClock::handed(uint64_t handedFrames, int64_t now) {
  // When the first frame would have played for this callback to come just
  // in time. The scheduler runs callbacks a few milliseconds early or late;
  // an average over the last several keeps that jitter out of the position,
  // and still follows a device that falls behind within a fraction of a
  // second.
  const double anchor =
      static_cast<double>(now) - static_cast<double>(handedFrames) * 1e9 / rate_;
  anchor_ = callbackSeen_ ? anchor_ + (anchor - anchor_) * anchorWeight : anchor;
  callbackSeen_ = true;
  handed_ = handedFrames;
  handedTime_ = now;
}

void audibleClock::decodedAll(uint64_t frames) {
  decodedAll_ = true;
  decodedFrames_ = frames;
}

void audibleClock::continueInRealTime(int64_t now) {
  if (from_ == source::realTime) return;
  const uint64_t heard = position(now);
  from_ = source::realTime;
  startTime_ = now - static_cast<int64_t>(static_cast<double>(heard) * 1e9 / rate_);
}

uint64_t audibleClock::endFrames() const {
  if (decodedAll_) return decodedFrames_;
  // A device has to be heard to the end; the clock alone can trust the
  // length scanned up front.
  if (from_ == source::realTime && knownLength_ > 0) return knownLength_;
  return std::numeric_limits<uint64_t>::max();
}

uint64_t audibleClock::estimate(int64_t now) const {
  if (!started_) return 0;
  if (from_ == source::realTime) return framesIn(now - startTime_, rate_);
  if (!callbackSeen_) return 0;
  // The device plays at the stream's rate from the averaged anchor, less
  // what it holds; it never plays what it has not been handed.
  const uint64_t sinceAnchor =
      framesIn(now - static_cast<int64_t>(anchor_), rate_);
  const uint64_t heard = sinceAnchor > latency_ ? sinceAnchor - latency_ : 0;
  return std::min(heard, handed_);
}

uint64_t audibleClock::position(int64_t now) {
  const uint64_t heard = std::min(estimate(now), endFrames());
  lastReported_ = std::max(lastReported_, heard);
  return lastReported_;
}

bool audibleClock::playing(int64_t now) { return started_ && position(now) < endFrames(); }

}  // namespace platform
