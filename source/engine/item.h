#pragma once

#include <cstdint>

class trackGroup;

namespace NGcommon {

// A bind value must rise strictly above this for its item (or scene) to be
// active.
constexpr float activityThreshold = 0.7f;

// The base of every scene component: a name, a running id, a kind code and
// an optional activity ("bind") track. Every item registers itself in the
// global item list when constructed; the list owns it and deletes it at
// shutdown.
class item {
 public:
  // Copies `name` (at most 255 characters are kept), takes the next id and
  // appends the item to the global list (which may reallocate).
  explicit item(const char* name);
  virtual ~item();
  item(const item&) = delete;
  item& operator=(const item&) = delete;

  // Vertex data for callers that draw the item's geometry themselves; the
  // base has none (null, count -1).
  virtual void vertexData(int32_t unused, void** data, int32_t* count);
  // Reads the item's files and builds what it needs; loading phase only.
  virtual void load();
  // The per-frame work; must not allocate.
  virtual void draw();
  // Bracket drawing that the caller does with the item's objects bound.
  virtual void begin();
  virtual void end();
  // True without a bind group, otherwise when its track is above
  // activityThreshold at the
  // current row. Evaluates the track on every call (one position query).
  virtual bool isActive();

  int32_t id;
  bool bindable = true;
  trackGroup* bindGroup = nullptr;  // never destroyed: it lives until exit
  int32_t kind = 0;
  char name[256];

 protected:
  // The common tail of load: when bindable, builds the group "name.bind"
  // (kind 0), which loads script/sync_name.bind.track. Throws what the
  // track request throws (258 for a missing file).
  void loadBindGroup();
};

// The global item list, in construction order.
int32_t itemCount();
// Item `index` (0 .. itemCount()-1); null once deleted.
item* itemAt(int32_t index);

// Deletes every item in list order, then empties the list and restarts the
// ids at 1, then runs the forget routines. Shutdown only (and tests):
// pointers to items die with it.
void deleteAllItems();

// Registers `forget` to run after every later deleteAllItems, so a record
// that keeps pointers to items (a scene's state) drops them with the items.
// Registering the same routine again does nothing.
void forgetWithItems(void (*forget)());

}  // namespace NGcommon
