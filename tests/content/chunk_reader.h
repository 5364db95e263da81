#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

// A small 3DS reader for the tests, written apart from the tools' writer: it
// walks the whole chunk tree, insists that every chunk's children fill it
// exactly, and collects objects and materials.
namespace chunk_reader {

struct group {
  std::string material;
  std::vector<uint16_t> faces;
};

struct object {
  std::string name;
  std::vector<std::array<float, 3>> vertices;
  std::vector<std::array<uint16_t, 3>> faces;
  std::vector<std::array<float, 2>> mapping;
  std::vector<group> groups;
  std::vector<uint32_t> smoothing;
  bool meshFollowsName = false;
};

struct material {
  std::string name;
  std::array<uint8_t, 3> diffuse{};
  float shininess = -1;
};

struct model {
  std::vector<object> objects;
  std::vector<material> materials;
};

class reader {
 public:
  explicit reader(const std::string& bytes) : b_(bytes) {}

  model read() {
    if (u16(0) != 0x4D4D || u32(2) != b_.size()) throw std::runtime_error("main chunk does not span the file");
    children(6, b_.size(), 0x4D4D);
    return m_;
  }

 private:
  uint16_t u16(size_t at) const {
    need(at, 2);
    return static_cast<uint16_t>(static_cast<uint8_t>(b_[at]) | static_cast<uint8_t>(b_[at + 1]) << 8);
  }
  uint32_t u32(size_t at) const {
    need(at, 4);
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b_[at + i]);
    return v;
  }
  float f32(size_t at) const {
    const uint32_t bits = u32(at);
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
  }
  std::string name(size_t at, size_t end) const {
    const size_t nul = b_.find('\0', at);
    if (nul == std::string::npos || nul >= end) throw std::runtime_error("unterminated name");
    return b_.substr(at, nul - at);
  }
  void need(size_t at, size_t n) const {
    if (at + n > b_.size()) throw std::runtime_error("read past the end of the file");
  }

  // Walks the chunks in [at, end), which must tile the range exactly.
  void children(size_t at, size_t end, uint16_t parent) {
    while (at < end) {
      const uint16_t id = u16(at);
      const uint32_t length = u32(at + 2);
      if (length < 6 || at + length > end) throw std::runtime_error("chunk overruns its parent");
      chunk(id, at, at + length, parent);
      at += length;
    }
    if (at != end) throw std::runtime_error("children do not fill their parent");
  }

  void chunk(uint16_t id, size_t at, size_t end, uint16_t parent) {
    const size_t body = at + 6;
    switch (id) {
      case 0x3D3D:
      case 0x4100:
        children(body, end, id);
        break;
      case 0x4000: {
        m_.objects.push_back(object{});
        m_.objects.back().name = name(body, end);
        const size_t first = body + m_.objects.back().name.size() + 1;
        m_.objects.back().meshFollowsName = first < end && u16(first) == 0x4100;
        children(first, end, id);
        break;
      }
      case 0x4110: {
        const uint16_t n = u16(body);
        for (uint16_t i = 0; i < n; ++i) {
          const size_t v = body + 2 + 12u * i;
          current().vertices.push_back({f32(v), f32(v + 4), f32(v + 8)});
        }
        expectEnd(body + 2 + 12u * n, end);
        break;
      }
      case 0x4140: {
        const uint16_t n = u16(body);
        for (uint16_t i = 0; i < n; ++i) current().mapping.push_back({f32(body + 2 + 8u * i), f32(body + 6 + 8u * i)});
        expectEnd(body + 2 + 8u * n, end);
        break;
      }
      case 0x4120: {
        const uint16_t n = u16(body);
        for (uint16_t i = 0; i < n; ++i) {
          const size_t f = body + 2 + 8u * i;
          current().faces.push_back({u16(f), u16(f + 2), u16(f + 4)});
        }
        children(body + 2 + 8u * n, end, id);
        break;
      }
      case 0x4130: {
        if (parent != 0x4120) throw std::runtime_error("material group outside a face list");
        group g{name(body, end), {}};
        const size_t count = body + g.material.size() + 1;
        const uint16_t n = u16(count);
        for (uint16_t i = 0; i < n; ++i) g.faces.push_back(u16(count + 2 + 2u * i));
        expectEnd(count + 2 + 2u * n, end);
        current().groups.push_back(g);
        break;
      }
      case 0x4150:
        for (size_t w = body; w < end; w += 4) current().smoothing.push_back(u32(w));
        expectEnd(body + 4 * current().smoothing.size(), end);
        break;
      case 0xAFFF:
        m_.materials.push_back(material{});
        children(body, end, id);
        break;
      case 0xA000:
        m_.materials.back().name = name(body, end);
        break;
      case 0xA020:
        if (u16(body) != 0x0011) throw std::runtime_error("diffuse colour is not in bytes");
        m_.materials.back().diffuse = {static_cast<uint8_t>(b_[body + 6]), static_cast<uint8_t>(b_[body + 7]),
                                       static_cast<uint8_t>(b_[body + 8])};
        children(body, end, id);
        break;
      case 0xA040:
        if (u16(body) == 0x0031) m_.materials.back().shininess = f32(body + 6);
        children(body, end, id);
        break;
      default:
        break;  // leaf chunks this reader does not look into
    }
  }

  object& current() {
    if (m_.objects.empty()) throw std::runtime_error("mesh data outside an object");
    return m_.objects.back();
  }
  static void expectEnd(size_t at, size_t end) {
    if (at != end) throw std::runtime_error("chunk length does not match its count");
  }

  const std::string& b_;
  model m_;
};

inline model read(const std::string& bytes) { return reader(bytes).read(); }

}  // namespace chunk_reader
