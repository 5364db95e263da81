#pragma once

#include "render_options.h"

#include <cstdint>
#include <string>
#include <vector>

// Which frames amberrender renders. Frame N shows the moment N / fps of the
// song; a range takes the frames whose moment lies in [--from, --to) (the
// one frame at or after --from when --to equals it), --at the first frame
// at or after each moment. A frame must start before the song ends.

// The frame numbers in rendering order. Empty, with the reason in `problem`,
// when the request names no frame inside the song.
std::vector<int64_t> selectFrames(const renderOptions& chosen, double songSeconds,
                                  std::string* problem);

// The moment (seconds) at which frame `frame` starts.
double frameMoment(int64_t frame, const renderOptions& chosen);
