#include "engine/item.h"

#include "engine/rocket/track_group.h"

#include <cstdio>
#include <vector>

namespace NGcommon {

namespace {

// Never destroyed, like the bind groups below: a halt ends the process
// without shutdown, and the items must stay reachable (and their memory
// accounted for) until the very end rather than dangle from a dead vector.
std::vector<item*>& itemList() {
  static auto* list = new std::vector<item*>;
  return *list;
}

int32_t itemsConstructed = 0;

// Every bind group made, kept to the end of the process like the tracks it
// reads: an item's group outlives the item (the list is deleted at shutdown).
// The list itself is never destroyed, so it still holds them at exit.
std::vector<trackGroup*>& bindGroups() {
  static auto* groups = new std::vector<trackGroup*>;
  return *groups;
}

// The routines forgetWithItems registered; kept to the end like the list.
std::vector<void (*)()>& forgetRoutines() {
  static auto* routines = new std::vector<void (*)()>;
  return *routines;
}

}  // namespace

item::item(const char* itemName) {
  std::snprintf(name, sizeof name, "%s", itemName != nullptr ? itemName : "");
  id = ++itemsConstructed;
  itemList().push_back(this);
}

item::~item() = default;

void item::vertexData(int32_t, void** data, int32_t* count) {
  if (data != nullptr) *data = nullptr;
  if (count != nullptr) *count = -1;
}

void item::load() {}
void item::draw() {}
void item::begin() {}
void item::end() {}

bool item::isActive() {
  if (bindGroup == nullptr) return true;
  return bindGroup->valueNow() > activityThreshold;
}

void item::loadBindGroup() {
  if (!bindable || bindGroup != nullptr) return;
  bindGroup = new trackGroup(name, "bind", nullptr, activitySwitch);
  bindGroups().push_back(bindGroup);
}

int32_t itemCount() { return static_cast<int32_t>(itemList().size()); }

item* itemAt(int32_t index) { return itemList()[static_cast<size_t>(index)]; }

void deleteAllItems() {
  std::vector<item*>& list = itemList();
  for (size_t i = 0; i < list.size(); ++i) {
    delete list[i];
    list[i] = nullptr;
  }
  list.clear();
  itemsConstructed = 0;
  for (void (*forget)() : forgetRoutines()) forget();
}

void forgetWithItems(void (*forget)()) {
  std::vector<void (*)()>& routines = forgetRoutines();
  for (void (*known)() : routines) {
    if (known == forget) return;
  }
  routines.push_back(forget);
}

}  // namespace NGcommon
