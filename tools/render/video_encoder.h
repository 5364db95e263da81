#pragma once

#include "render_options.h"

#include <string>

// The ffmpeg command line that encodes amberrender's raw frames (rgb24,
// bottom row first, on stdin) with the soundtrack file `soundtrack`, cut to
// start at --from, into --video.
std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack);
