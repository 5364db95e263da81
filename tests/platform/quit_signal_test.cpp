#include "platform/quit_signal.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

// Runs in a child process: the handlers stay installed once raised.
void raiseAndReport(int signalNumber) {
  platform::installQuitSignals();
  if (platform::quitSignalled()) std::_Exit(10);
  std::raise(signalNumber);
  if (!platform::quitSignalled()) std::_Exit(11);
  if (!platform::pumpEvents()) std::_Exit(12);
  std::_Exit(0);
}

// A second signal does not wait for the program to look: it ends it.
void raiseTwice() {
  platform::installQuitSignals();
  std::raise(SIGTERM);
  if (!platform::quitSignalled()) std::_Exit(11);
  std::raise(SIGINT);
  std::_Exit(13);
}

TEST(QuitSignalDeathTest, TermAndInterruptBecomeQuitRequests) {
  EXPECT_EXIT(raiseAndReport(SIGTERM), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(raiseAndReport(SIGINT), ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(raiseTwice(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
