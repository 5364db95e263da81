#pragma once

// SIGINT and SIGTERM as quit requests: once installed, the first signal is
// noted instead of ending the process, and the window's event pump reports
// it as a quit, so the show ends through its normal shutdown. A second one
// ends the process at once with status 0.

namespace platform {

// Installs the handlers. Call once, early (before any window exists).
void installQuitSignals();

// While `atOnce` is true, either signal ends the process immediately with
// status 0 (nothing is cleaned up): for waits no event pump sees, such as
// the setup dialog. Ends the process at once if a signal already arrived.
void endAtOnceOnQuitSignal(bool atOnce);

// True once SIGINT or SIGTERM has arrived since installQuitSignals().
bool quitSignalled();

// Notes a quit request from inside the program (its display went away), so
// that it reads like a signal from then on. Async-signal-safe.
void requestQuit();

}  // namespace platform
