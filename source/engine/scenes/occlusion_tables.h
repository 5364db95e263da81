#pragma once

#include <array>
#include <cstdint>

namespace FWtexture {
class bitmap;
}

// The random tables of the ambient-occlusion pass: the sampling kernel and
// the rotation noise, drawn from the show's random generator.
namespace scenes {

constexpr int32_t occlusionKernelSize = 32;
constexpr int32_t occlusionNoiseSide = 16;

// One kernel vector from three random numbers: x = 1 - (r1 mod 10000) /
// 5000, y likewise from r2, z = (r3 mod 10000) / 10000, divided by its
// length (a zero length counts as 1, so the zero vector stays zero).
void occlusionKernelVector(int32_t r1, int32_t r2, int32_t r3, float out[3]);

// occlusionKernelSize vectors in the half-space z >= 0, x y z after each
// other, ready for one vec3-array uniform. Draws three random numbers each.
std::array<float, occlusionKernelSize * 3> makeOcclusionKernel();

// Gives `noise` 16 x 16 RGBA pixels (each side lowered to its maxSize when
// that is smaller) and fills every byte with a random number mod 256.
// Throws 2 when the pixels cannot be allocated.
void fillOcclusionNoise(FWtexture::bitmap& noise);

}  // namespace scenes
