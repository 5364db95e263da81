#include "engine/file_buffer.h"

#include "engine/errors.h"

#include <cstdlib>

fileBuffer::fileBuffer() { allocate(0, defaultStep); }

fileBuffer::~fileBuffer() { std::free(data); }

uint8_t& fileBuffer::at(uint32_t index) {
  if (index >= length) throw errorCode::badIndex;
  return data[index];
}

void fileBuffer::release() {
  std::free(data);
  data = nullptr;
  cursor = nullptr;
  end = nullptr;
  length = 0;
  capacity = 0;
}

void fileBuffer::allocate(uint32_t newLength, uint32_t newCapacity) {
  release();
  auto* block = static_cast<uint8_t*>(std::malloc(newCapacity));
  if (block == nullptr) throw errorCode::outOfMemory;
  data = block;
  cursor = block;
  end = block + newCapacity;
  length = newLength;
  capacity = newCapacity;
}

uint32_t capacityFor(uint32_t bytes, uint32_t step) {
  const uint64_t unit = static_cast<uint64_t>(step) + 1;
  const uint64_t capacity = (bytes / unit + 1) * unit;
  return capacity > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(capacity);
}
