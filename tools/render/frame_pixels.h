#pragma once

#include "api/gl/gl.h"

#include <cstddef>
#include <cstdint>

// How the offline renderer reads a finished frame back, and the conversions
// to what PNG files (RGB bytes) and the video encoder (YUV 4:2:0) take, top
// row first.
//
// Frames are read in blue-green-red order, as Mesa's software driver keeps
// them, so that the read is a copy. On EGL that driver draws into 10 bits
// per channel (EGL offers the deepest configuration first); read as bytes,
// Mesa converts those pixel by pixel through floats, 4-5 ms of serial work
// a 720p frame. The conversion here rounds as Mesa's own does, so the bytes
// are the same either way.
struct frameReadback {
  static constexpr GLenum format = GL_BGRA;
  static constexpr int32_t bytesPerPixel = 4;
  GLenum type = GL_UNSIGNED_BYTE;  // or GL_UNSIGNED_INT_2_10_10_10_REV
};

// The readback for the current draw framebuffer: packed 10-bit words when
// it has 10 bits per channel, else bytes. Queries GL (cheap).
frameReadback readbackForCurrentFramebuffer();

// Converts `width` x `height` pixels as `readback` read them (bottom row
// first, rows packed) into RGB bytes, top row first, in `topFirstRgb`.
void toTopFirstRgb(const frameReadback& readback, const uint8_t* bottomFirst, int32_t width,
                   int32_t height, uint8_t* topFirstRgb);

// The size of a width x height frame in planar YUV 4:2:0: the Y plane, then
// U and V at half the width and half the height. Even sides only.
size_t yuv420Bytes(int32_t width, int32_t height);

// The colour matrices of video: BT.601 for standard definition, BT.709
// for high definition.
enum class yuvMatrix { bt601, bt709 };

// The matrix players assume for a picture `height` lines high: BT.709 from
// 720 lines up, BT.601 below.
yuvMatrix videoMatrixFor(int32_t height);

// Converts a frame as `readback` read it into planar YUV 4:2:0, top row
// first, from the same RGB bytes that toTopFirstRgb gives: `matrix` at
// studio range (luma 16-235), each chroma sample from the mean of its 2 x 2
// pixels, rounded. `width` and `height` must be even. About 2 ms a 720p
// frame on one core of the 2-core development machine.
void toYuv420(const frameReadback& readback, const uint8_t* bottomFirst, int32_t width,
              int32_t height, yuvMatrix matrix, uint8_t* yuv);
