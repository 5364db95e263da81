#include "api/render/vertex_arrays.h"

#include "api/gl/extensions.h"

#include <algorithm>

namespace FWrender {

namespace {

GLenum bindTargetOf(const ArraySlot& slot) {
  return slot.bufferTarget == GL_ARRAY_BUFFER_ARB ? GL_ARRAY_BUFFER_ARB
                                                  : GL_ELEMENT_ARRAY_BUFFER_ARB;
}

// The pointer argument for a slot: an offset of 0 into its buffer, or the
// client memory itself.
const void* pointerOf(const ArraySlot& slot) {
  if (slot.buffer != 0) {
    ext::glBindBufferARB(bindTargetOf(slot), slot.buffer);
    return nullptr;
  }
  return slot.data;
}

void deleteBuffer(ArraySlot& slot) {
  if (slot.buffer != 0 && ext::glDeleteBuffersARB != nullptr) {
    ext::glDeleteBuffersARB(1, &slot.buffer);
  }
  slot.buffer = 0;
}

}  // namespace

VertexArraySet::VertexArraySet()
    : attributeSlots(static_cast<size_t>(std::max(gfx::maxVertexAttribs, 0))) {}

VertexArraySet::~VertexArraySet() {
  deleteBuffer(vertexSlot);
  deleteBuffer(normalSlot);
  deleteBuffer(texcoordSlot);
  for (ArraySlot& slot : attributeSlots) deleteBuffer(slot);
}

GLenum primitiveMode(int32_t code) {
  switch (code) {
    case 1: return GL_TRIANGLE_STRIP;
    case 2: return GL_TRIANGLE_FAN;
    case 3: return GL_POINTS;
    case 4: return GL_LINE_STRIP;
    case 5: return GL_LINE_LOOP;
    case 6: return GL_LINES;
    case 7: return GL_QUAD_STRIP;
    case 8: return GL_QUADS;
    case 9: return GL_POLYGON;
    default: return GL_TRIANGLES;
  }
}

void enableArrays(const VertexArraySet& set) {
  if (set.vertexSlot.data != nullptr) glEnableClientState(GL_VERTEX_ARRAY);
  if (set.normalSlot.data != nullptr) glEnableClientState(GL_NORMAL_ARRAY);
  if (set.texcoordSlot.data != nullptr) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (set.vertexSlot.data == nullptr) return;
  glVertexPointer(3, GL_FLOAT, 0, pointerOf(set.vertexSlot));
  if (set.normalSlot.data != nullptr) glNormalPointer(GL_FLOAT, 0, pointerOf(set.normalSlot));
  if (set.texcoordSlot.data != nullptr) {
    glTexCoordPointer(2, GL_FLOAT, 0, pointerOf(set.texcoordSlot));
  }
}

void disableArrays(const VertexArraySet& set) {
  const ArraySlot* slots[] = {&set.vertexSlot, &set.normalSlot, &set.texcoordSlot};
  const GLenum states[] = {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY};
  for (int s = 0; s < 3; ++s) {
    if (slots[s]->data == nullptr) continue;
    glDisableClientState(states[s]);
    if (slots[s]->buffer != 0) ext::glBindBufferARB(bindTargetOf(*slots[s]), 0);
  }
}

}  // namespace FWrender
