#pragma once

#include <cstdint>

// A growable byte buffer that receives a package entry. Storage comes from
// malloc; its owner may free `data` with free() (and must then set it to
// null), otherwise the destructor does.
struct fileBuffer {
  static constexpr uint32_t defaultStep = 1024;

  // Starts with one 1024-byte block allocated and nothing in it.
  fileBuffer();
  ~fileBuffer();
  fileBuffer(const fileBuffer&) = delete;
  fileBuffer& operator=(const fileBuffer&) = delete;

  // Checked element access: throws code 3 for an index at or past `length`.
  uint8_t& at(uint32_t index);

  // Frees the storage and empties the buffer (length and capacity 0).
  void release();

  // Replaces the storage with a fresh block of `newCapacity` bytes holding
  // `newLength` undefined bytes. Throws code 2 when memory runs out.
  void allocate(uint32_t newLength, uint32_t newCapacity);

  uint8_t* data = nullptr;
  uint32_t length = 0;
  uint32_t capacity = 0;
  uint32_t step = defaultStep;
  uint8_t* cursor = nullptr;
  uint8_t* end = nullptr;
};

// The capacity a buffer with `step` gets for `bytes` bytes: the smallest
// multiple of step + 1 greater than `bytes`.
uint32_t capacityFor(uint32_t bytes, uint32_t step);
