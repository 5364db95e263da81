#include "progress_meter.h"

#include <cstdio>

#include <unistd.h>

progressMeter::progressMeter(int64_t totalFrames)
    : total_(totalFrames), shown_(isatty(STDERR_FILENO) == 1),
      started_(std::chrono::steady_clock::now()), lastDrawn_(started_) {}

void progressMeter::frameDone() {
  ++done_;
  if (!shown_) return;
  const auto now = std::chrono::steady_clock::now();
  if (done_ < total_ && now - lastDrawn_ < std::chrono::milliseconds(250)) return;
  lastDrawn_ = now;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  const double rate = seconds > 0.0 ? static_cast<double>(done_) / seconds : 0.0;
  const auto left = static_cast<long long>(
      rate > 0.0 ? static_cast<double>(total_ - done_) / rate + 0.5 : 0.0);
  std::fprintf(stderr, "\ramberrender: frame %lld of %lld, %.1f frames/s, %lld:%02lld:%02lld left ",
               static_cast<long long>(done_), static_cast<long long>(total_), rate, left / 3600,
               left / 60 % 60, left % 60);
  drawn_ = true;
}

void progressMeter::finish() {
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}
