#pragma once

#include "render_options.h"

#include <string>

// The ffmpeg command line that encodes amberrender's raw frames (planar YUV
// 4:2:0, top row first, on stdin) into --video, with `seconds` of the
// soundtrack file `soundtrack` from `start` (the first frame's moment) on,
// unless --no-sound.
std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack,
                          double start, double seconds);
