#include "platform/quit_signal.h"

#include <csignal>

namespace platform {

namespace {

volatile std::sig_atomic_t signalled = 0;

extern "C" void noteQuitSignal(int) { signalled = 1; }

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

}  // namespace platform
