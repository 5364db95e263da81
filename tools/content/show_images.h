#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The show's pictures, drawn from code. Names are file names under the
// package folder "textures/"; every picture is square with a power-of-two
// side, so the engine's texture rule keeps it at its own size.
namespace content {

struct namedFile {
  std::string name;
  std::string bytes;
};

// "PARTICLE0.JPG", "PARTICLE1.JPG", "particle3.jpg": grey soft sprites
// (128 x 128) that the scenes tint per particle.
std::vector<namedFile> makeParticleImages();

// "starfield.jpg": the skybox face (1024 x 1024), tiling at its edges.
namedFile makeStarfieldImage();

// "image_01.jpg" .. "image_03.jpg" with their grey alpha companions
// "image_01a.jpg" .. "image_03a.jpg" (1024 x 1024): the credits, roles and
// the show's name in the show's lettering at `fontPath`.
std::vector<namedFile> makeCreditImages(const std::string& fontPath);

// "duck2.png" with its alpha companion "duck2a.png" (512 x 512).
std::vector<namedFile> makeDuckImages();

// "badge12.png" with its alpha companion "badge12a.png" (512 x 512): the
// round badge of the party Lanternfest12.
std::vector<namedFile> makeBadgeImages(const std::string& fontPath);

// The same badge as one RGBA picture (alpha not premultiplied), `*side`
// pixels square (512), rows top first: the show's icon. Costs as much as
// makeBadgeImages without the encoding.
std::vector<uint8_t> makeBadgeRgba(const std::string& fontPath, int* side);

}  // namespace content
