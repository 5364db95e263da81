#pragma once

// What a Wayland compositor offers before SDL's Wayland video starts on it:
// SDL 2.26 dereferences the input device during its start-up, so a
// compositor without a seat (no keyboard or pointer, such as a headless
// one) would end the process with a signal.

namespace platform {

enum class waylandSeat { unreachable, offered, missing };

// Connects to the compositor SDL would use (WAYLAND_DISPLAY, or wayland-0),
// reads its globals in one round trip and disconnects. Costs a few
// milliseconds; never blocks longer than the compositor takes to answer.
waylandSeat probeWaylandSeat();

}  // namespace platform
