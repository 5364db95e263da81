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

// FOLDER/frame_NNNNNN.png, the file that --png writes for frame `frame`.
std::string framePngPath(const std::string& folder, int64_t frame);

// Removes from `frames` those whose file framePngPath names already exists
// (a file under that name is always whole: frames are renamed into place
// once written). One stat a frame.
void skipWrittenFrames(const std::string& folder, std::vector<int64_t>* frames);
