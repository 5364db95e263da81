// The shell's side of the scene items and the sync tracks: the loading walk,
// the default frame routine and the tracked clear colour.
#include "engine/shell.h"

#include "api/gl/display.h"
#include "api/model/text.h"
#include "engine/item.h"
#include "engine/rocket/track_group.h"
#include "engine/statistics.h"
#include "engine/virtual_clock.h"
#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <string>
#include <vector>

namespace {

using testing_support::constantTrack;
using testing_support::trackFile;

class countingPresenter : public presenter {
 public:
  void swap() override { ++swaps; }
  bool pumpMessages() override { return false; }
  int swaps = 0;
};

// What happened, in order: "bar 0.25", "swap", "load name", "draw name".
std::vector<std::string> events;

void recordBar(float fraction) { events.push_back("bar " + std::to_string(fraction)); }

class recordingItem : public NGcommon::item {
 public:
  explicit recordingItem(const char* itemName, bool spawnOnLoad = false)
      : item(itemName), spawn(spawnOnLoad) {}
  void load() override {
    events.push_back(std::string("load ") + name);
    if (spawn) new recordingItem("spawned");
  }
  void draw() override { events.push_back(std::string("draw ") + name); }
  bool spawn;
};

class ShellItems : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    testing_support::rocketTest::SetUp();
    // Loading makes the statistics overlay, which needs a context.
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    NGcommon::deleteAllItems();
    events.clear();
    activePresenter = &presenter_;
    drawLoadingBar = recordBar;
  }
  void TearDown() override {
    activePresenter = windowPresenter();
    drawLoadingBar = defaultBar_;
    frameCallback = nullptr;
    delete clearGroup;
    clearGroup = nullptr;
    deleteStatistics();
    NGcommon::deleteAllItems();
    testing_support::rocketTest::TearDown();
  }
  countingPresenter presenter_;
  void (*defaultBar_)(float) = drawLoadingBar;
};

TEST_F(ShellItems, AnEmptyListLoadsWithOneBarAtZero) {
  tracker_device* before = trackerDevice;
  loadAll();
  EXPECT_EQ(events, (std::vector<std::string>{"bar 0.000000"}));
  EXPECT_EQ(presenter_.swaps, 1);
  EXPECT_NE(trackerDevice, before);  // the device is made fresh
  EXPECT_TRUE(statisticsExist());   // made whether or not they will be shown
  EXPECT_STREQ(statTexts[0]->string, "FPS");
}

TEST_F(ShellItems, LoadingStepsTheBarBeforeEachItemInListOrder) {
  new recordingItem("a");
  new recordingItem("b", true);
  new recordingItem("c");
  new recordingItem("d");
  loadAll();
  EXPECT_EQ(events, (std::vector<std::string>{"bar 0.000000", "bar 0.000000", "load a",
                                              "bar 0.250000", "load b", "bar 0.500000",
                                              "load c", "bar 0.750000", "load d"}));
  EXPECT_EQ(presenter_.swaps, 5);
  // The item made during the walk was not loaded, but it is in the list and
  // goes with the rest at shutdown.
  ASSERT_EQ(NGcommon::itemCount(), 5);
  EXPECT_STREQ(NGcommon::itemAt(4)->name, "spawned");
  NGcommon::deleteAllItems();
  EXPECT_EQ(NGcommon::itemCount(), 0);
}

TEST_F(ShellItems, WithoutACallbackTheLoopDrawsTheItemsItFoundAtTheStart) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  new recordingItem("a");
  new recordingItem("b");
  auto* clock = new virtualClock(44100.0f, 1.0f);
  music = makeSoundtrack(clock, 128.0);
  // Stops the song after the second frame.
  class stopper : public recordingItem {
   public:
    explicit stopper(virtualClock* c) : recordingItem("stopper"), clock(c) {}
    void draw() override {
      recordingItem::draw();
      if (++frames == 2) clock->stop();
      if (frames == 1) new recordingItem("late");
    }
    virtualClock* clock;
    int frames = 0;
  };
  new stopper(clock);
  runMainLoop();
  EXPECT_EQ(frameCallback, &drawAllItems);
  EXPECT_EQ(defaultItemCount, 3);
  EXPECT_EQ(events, (std::vector<std::string>{"draw a", "draw b", "draw stopper", "draw a",
                                              "draw b", "draw stopper"}));
  events.clear();
  drawAllItems(0.0f);
  EXPECT_EQ(events.size(), 3u);
}

TEST_F(ShellItems, TheClearColourFollowsTheClearTracks) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::setupViewport(1024, 768, gfx::aspect16by9);
  // Red 1.0; green rises from 0.0 at row 1 to 1.0 at row 17; blue 0.0.
  usePack({{"script/sync_clear.c.r.track", constantTrack(1.0f)},
           {"script/sync_clear.c.g.track", trackFile({{1, 0.0f, 1}, {17, 1.0f, 0}})},
           {"script/sync_clear.c.b.track", trackFile({})}});
  auto* clock = new virtualClock(48000.0f, 0.0f);
  music = makeSoundtrack(clock, 128.0);
  clock->play();
  bindShellGroups();
  ASSERT_NE(clearGroup, nullptr);
  EXPECT_EQ(clearGroup->count(), 3);
  clearColor[3] = 0.25f;

  loopState state;
  ASSERT_TRUE(runFrame(state, false));
  EXPECT_EQ(clearColor[0], 1.0f);
  EXPECT_EQ(clearColor[1], 0.0f);
  EXPECT_EQ(clearColor[3], 1.0f);
  testing_support::rgba pixel = testing_support::pixelAt(500, 400);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_EQ(pixel.g, 0);

  clock->setPosition(18000);  // 375 ms: row 7.4
  ASSERT_TRUE(runFrame(state, false));
  EXPECT_NEAR(clearColor[1], 0.4f, 1e-6f);
  pixel = testing_support::pixelAt(500, 400);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_NEAR(pixel.g, 102, 1);
  EXPECT_EQ(pixel.b, 0);

  // Without the group the last colour stays.
  delete clearGroup;
  clearGroup = nullptr;
  clock->setPosition(48000);
  ASSERT_TRUE(runFrame(state, false));
  EXPECT_NEAR(clearColor[1], 0.4f, 1e-6f);
  clearColor[0] = clearColor[1] = clearColor[2] = 0.0f;
}

}  // namespace
