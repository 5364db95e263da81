#pragma once

// The one line a fatal signal leaves behind. Most such signals come from
// inside a driver, where nothing can be caught; the line says what the show
// was doing and on which GL, and the signal then ends the process as it
// would have (same status, core dump where enabled).

namespace platform {

// Installs handlers for SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT: each
// writes "Fatal signal NAME in MODULE while ACTIVITY; OpenGL: RENDERER,
// VERSION" on stderr and hands the signal back to what handled it before
// (the default action, or a sanitizer's report).
// MODULE is the library or program of the faulting instruction; for abort()
// and raise() it is their first caller outside the C library.
// The main thread's handler runs on a stack of its own, so a stack overflow
// is reported too. Call early; later calls do nothing.
void installCrashReport();

// Notes what the program is doing now, for that line. Copies at most 191
// characters, allocates nothing and takes no lock: cheap enough for every
// frame. A crash on another thread may see the previous note.
void noteActivity(const char* activity);

// Notes the GL renderer and version strings (copied; null reads "unknown").
void noteRenderer(const char* renderer, const char* version);

}  // namespace platform
