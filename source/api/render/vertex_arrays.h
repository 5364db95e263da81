#pragma once

#include "api/gl/gl.h"

#include <cstdint>
#include <vector>

namespace FWrender {

// One client-side array handed to OpenGL. With a buffer name it is bound
// from that buffer object instead of from `data` (no loader attaches one).
struct ArraySlot {
  const void* data = nullptr;  // null: slot not in use
  int8_t components = 0;       // 3 positions and normals, 2 texture coordinates
  int32_t elements = 0;
  GLuint buffer = 0;                     // 0: client memory
  GLenum bufferTarget = GL_ARRAY_BUFFER_ARB;
};

// The arrays a mesh draws from, owned by the mesh. Destroying it deletes
// any attached buffer objects (a GL call only when one is attached).
struct VertexArraySet {
  VertexArraySet();
  ~VertexArraySet();
  VertexArraySet(const VertexArraySet&) = delete;
  VertexArraySet& operator=(const VertexArraySet&) = delete;

  ArraySlot vertexSlot;
  ArraySlot normalSlot;
  ArraySlot texcoordSlot;
  std::vector<ArraySlot> attributeSlots;  // one per generic attribute; unused
  int32_t primitive = 0;
};

// GL primitive for a primitive code (0 and unknown codes: triangles).
GLenum primitiveMode(int32_t code);

// Enables the client states of the slots in use and sets their pointers.
// Sets no pointer at all when there is no vertex data.
void enableArrays(const VertexArraySet& set);
// Disables what enableArrays enabled and unbinds buffer targets it used.
void disableArrays(const VertexArraySet& set);

}  // namespace FWrender
