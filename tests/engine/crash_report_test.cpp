// A fatal signal from inside the show leaves one line naming what it was
// doing and on which GL, and still ends the process by that signal.
#include "engine/activity_notes.h"
#include "engine/item.h"
#include "engine/loading_bar.h"
#include "engine/scenes/frame_composition.h"
#include "engine/shell.h"
#include "engine/statistics.h"
#include "platform/crash_report.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>

namespace {

// The signal goes on to what handled it before: the default action, which
// ends the process by the signal, or AddressSanitizer's report, which
// exits with status 1.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBER_TESTS_UNDER_ASAN 1
#endif
#endif
#ifdef AMBER_TESTS_UNDER_ASAN
#define ENDED_BY_SEGV ::testing::ExitedWithCode(1)
#else
#define ENDED_BY_SEGV ::testing::KilledBySignal(SIGSEGV)
#endif

// A write through a pointer the compiler cannot know about: a real fault in
// this program, as a driver's would be in the driver. Not null but in the
// never-mapped first page, so that the sanitizer build's checks for null
// leave the fault to the hardware.
int* volatile nowhere = reinterpret_cast<int*>(std::uintptr_t{16});

class faultingItem : public NGcommon::item {
 public:
  explicit faultingItem(const char* itemName, bool faults) : item(itemName), faults_(faults) {}
  void load() override {
    if (faults_) *nowhere = 1;
  }
  void draw() override {}

 private:
  bool faults_;
};

class quietPresenter : public presenter {
 public:
  void swap() override {}
  bool pumpMessages() override { return false; }
};

bool always() { return true; }
bool never() { return false; }
void nothing() {}
void raiseSegv() { raise(SIGSEGV); }

// The child of a death test starts the binary afresh (its own context) and
// writes no core file.
class CrashReport : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing_support::rocketTest::SetUp();
    ASSERT_TRUE(testing_support::headlessGl());
    NGcommon::deleteAllItems();
    activePresenter = &presenter_;
    drawLoadingBar = [](float) {};
  }
  void TearDown() override {
    activePresenter = windowPresenter();
    drawLoadingBar = drawProgressBar;
    scenes::composedScenes = scenes::showScenes();
    deleteStatistics();
    NGcommon::deleteAllItems();
    testing_support::rocketTest::TearDown();
  }
  static void reportCrashes() {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    platform::installCrashReport();
    noteRendererForCrashReport();
  }
  quietPresenter presenter_;
};

TEST_F(CrashReport, AFaultWhileLoadingNamesTheItemTheModuleAndTheRenderer) {
  new faultingItem("calm", false);
  new faultingItem("broken tunnel", true);
  new faultingItem("never reached", false);
  EXPECT_EXIT(
      {
        reportCrashes();
        loadAll();
      },
      ENDED_BY_SEGV,
      "Fatal signal SIGSEGV in engine_tests while loading item 'broken tunnel' \\(2 of 3\\); "
      "OpenGL: llvmpipe.*, [0-9]\\.[0-9].*Mesa");
}

TEST_F(CrashReport, ASignalWhileRenderingNamesTheScene) {
  scenes::composedScenes = scenes::frameScenes{&never,  &nothing, &always, &raiseSegv, &never,
                                               &nothing, &never,  &nothing, &nothing};
  EXPECT_EXIT(
      {
        reportCrashes();
        scenes::composeFrame(12.5f);
      },
      ENDED_BY_SEGV,
      "while rendering scene 'tunnel' at 12\\.50 s; OpenGL: llvmpipe");
}

}  // namespace
