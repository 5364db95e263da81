#pragma once

struct SDL_Window;

// Keeps the program alive when its display server goes away. By default
// Xlib ends the process with status 1 on the first read from a dead
// connection; once guarded, the connection is only marked lost, later
// calls on it do nothing, and the program ends the way it chooses.
namespace platform {

// Guards the X connection that `window` belongs to (nothing for other
// video drivers). Cheap; call again for every window, it guards once.
void guardDisplayConnection(SDL_Window* window);

// True once a guarded connection has been found dead. Nothing may then
// close or quit the video subsystem: that would touch SDL's other, unguarded
// connection and end the process after all.
bool displayConnectionLost();

}  // namespace platform
