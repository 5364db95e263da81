#include "platform/quit_signal.h"

#include <csignal>

#include <unistd.h>

namespace platform {

namespace {

volatile std::sig_atomic_t signalled = 0;
volatile std::sig_atomic_t signalsSeen = 0;
volatile std::sig_atomic_t endAtOnce = 0;

// The first signal asks for a normal end; a second one, or any while the
// program waits where no one looks, ends it on the spot: a user pressing
// Ctrl+C twice means it.
extern "C" void noteQuitSignal(int) {
  if (endAtOnce != 0 || signalsSeen != 0) _exit(0);
  signalsSeen = 1;
  signalled = 1;
}

}  // namespace

void installQuitSignals() {
  struct sigaction action {};
  action.sa_handler = noteQuitSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool quitSignalled() { return signalled != 0; }

void requestQuit() { signalled = 1; }

void endAtOnceOnQuitSignal(bool atOnce) {
  endAtOnce = atOnce ? 1 : 0;
  if (atOnce && signalled != 0) _exit(0);
}

}  // namespace platform
