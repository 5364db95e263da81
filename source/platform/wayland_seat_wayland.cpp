#include "platform/wayland_seat.h"

#include <wayland-client.h>

#include <cstring>

namespace platform {

namespace {

void noteGlobal(void* data, wl_registry*, uint32_t, const char* interface, uint32_t) {
  if (std::strcmp(interface, "wl_seat") == 0) *static_cast<bool*>(data) = true;
}

void ignoreRemoval(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener = {noteGlobal, ignoreRemoval};

}  // namespace

waylandSeat probeWaylandSeat() {
  wl_display* display = wl_display_connect(nullptr);
  if (display == nullptr) return waylandSeat::unreachable;
  bool seat = false;
  wl_registry* registry = wl_display_get_registry(display);
  wl_registry_add_listener(registry, &registryListener, &seat);
  const bool answered = wl_display_roundtrip(display) >= 0;
  wl_registry_destroy(registry);
  wl_display_disconnect(display);
  if (!answered) return waylandSeat::unreachable;
  return seat ? waylandSeat::offered : waylandSeat::missing;
}

}  // namespace platform
