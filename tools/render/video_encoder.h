#pragma once

#include "render_options.h"

#include <string>

// The video formats amberrender writes through ffmpeg: H.264 (fed as YUV
// 4:2:0 that amberrender converts itself), FFV1 and ProRes (fed as RGB that
// they keep, or that ffmpeg's scaler turns into 4:2:2), with AAC, FLAC or
// PCM sound.

extern const char* const videoCodecNames[3];  // h264, ffv1, prores
extern const char* const soundCodecNames[3];  // aac, flac, pcm

// The --audio codec, or the chosen --codec's usual one when none was asked.
std::string soundCodecOf(const renderOptions& chosen);

// Why --video's file cannot hold the chosen codecs (by its extension: .mp4,
// .mov, .mkv; others are left to ffmpeg), or why the size does not suit
// the codec; empty when they fit.
std::string containerProblem(const renderOptions& chosen);

// The ffmpeg encoder the choice needs that `encoderList` (the output of
// "ffmpeg -encoders") does not name; empty when it names them all.
std::string missingEncoder(const renderOptions& chosen, const std::string& encoderList);

// The output of "ffmpeg -hide_banner -encoders": runs ffmpeg (tens of ms).
std::string installedEncoders();

// True when amberrender sends ffmpeg planar YUV 4:2:0 (H.264), false when
// it sends RGB bytes, top row first.
bool encoderTakesYuv(const renderOptions& chosen);

// The ffmpeg command line that encodes amberrender's raw frames (as
// encoderTakesYuv says, on stdin) into --video, with `seconds` of the
// soundtrack file `soundtrack` from `start` (the first frame's moment) on,
// unless --no-sound. The colour matrix, primaries, transfer and range are
// tagged in the stream and the container.
std::string ffmpegCommand(const renderOptions& chosen, const std::string& soundtrack,
                          double start, double seconds);
