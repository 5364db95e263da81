#pragma once

#include <cstdint>

// The chunk ids of the 3DS file format that the parser reads and the
// content tools write: one list, so the two cannot drift apart.
namespace FWmodel::chunk3ds {

constexpr uint16_t version = 0x0002;
constexpr uint16_t colourBytes = 0x0011;
constexpr uint16_t floatAmount = 0x0031;
constexpr uint16_t masterScale = 0x0100;
constexpr uint16_t editor = 0x3D3D;
constexpr uint16_t meshVersion = 0x3D3E;
constexpr uint16_t object = 0x4000;
constexpr uint16_t mesh = 0x4100;
constexpr uint16_t vertices = 0x4110;
constexpr uint16_t faces = 0x4120;
constexpr uint16_t materialGroup = 0x4130;
constexpr uint16_t mapping = 0x4140;
constexpr uint16_t smoothing = 0x4150;
constexpr uint16_t main = 0x4D4D;
constexpr uint16_t materialName = 0xA000;
constexpr uint16_t ambient = 0xA010;
constexpr uint16_t diffuse = 0xA020;
constexpr uint16_t specular = 0xA030;
constexpr uint16_t shininess = 0xA040;
constexpr uint16_t mapFileName = 0xA300;
constexpr uint16_t mapUScale = 0xA354;
constexpr uint16_t mapVScale = 0xA356;
constexpr uint16_t mapUOffset = 0xA358;
constexpr uint16_t mapVOffset = 0xA35A;
constexpr uint16_t mapAngle = 0xA35C;
constexpr uint16_t material = 0xAFFF;

}  // namespace FWmodel::chunk3ds
