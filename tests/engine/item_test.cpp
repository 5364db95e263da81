#include "engine/item.h"

#include "engine/rocket/track_group.h"
#include "support/rocket_fixture.h"

#include <string>
#include <vector>

namespace {

using testing_support::constantTrack;
using testing_support::thrownCode;
using testing_support::trackFile;

std::vector<std::string> destroyed;

// An item that loads its activity track and keeps a record of its life.
class trackedItem : public NGcommon::item {
 public:
  explicit trackedItem(const char* itemName, int32_t itemKind = 0) : item(itemName) {
    kind = itemKind;
  }
  ~trackedItem() override { destroyed.push_back(name); }
  void load() override { loadBindGroup(); }
};

class Items : public testing_support::rocketTest {
 protected:
  void SetUp() override {
    testing_support::rocketTest::SetUp();
    NGcommon::deleteAllItems();
    destroyed.clear();
  }
  void TearDown() override {
    NGcommon::deleteAllItems();
    testing_support::rocketTest::TearDown();
  }
};

TEST_F(Items, IdsCountFromOneWhateverTheClass) {
  std::vector<NGcommon::item*> made;
  for (int i = 0; i < 10; ++i) {
    const std::string itemName = "item" + std::to_string(i);
    made.push_back(i % 2 == 0 ? new NGcommon::item(itemName.c_str())
                              : new trackedItem(itemName.c_str(), 6));
  }
  EXPECT_EQ(made[0]->id, 1);
  EXPECT_EQ(made[9]->id, 10);
  EXPECT_EQ(made[0]->kind, 0);
  EXPECT_EQ(made[1]->kind, 6);
  ASSERT_EQ(NGcommon::itemCount(), 10);
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(NGcommon::itemAt(i), made[i]);
  EXPECT_STREQ(made[3]->name, "item3");
  EXPECT_TRUE(made[3]->bindable);
  EXPECT_EQ(made[3]->bindGroup, nullptr);
}

TEST_F(Items, TheBaseOperationsDoNothingAndTheBaseIsAlwaysActive) {
  NGcommon::item* plain = new NGcommon::item("plain");
  void* data = plain;
  int32_t count = 5;
  plain->vertexData(0, &data, &count);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(count, -1);
  plain->load();  // the base loads no bind track
  EXPECT_EQ(plain->bindGroup, nullptr);
  EXPECT_TRUE(plain->isActive());
}

TEST_F(Items, LongNamesAreCutTo255Characters) {
  const std::string longName(400, 'q');
  NGcommon::item* named = new NGcommon::item(longName.c_str());
  EXPECT_EQ(std::string(named->name), longName.substr(0, 255));
}

TEST_F(Items, TheBindTrackSwitchesStrictlyAboveSevenTenths) {
  usePack({{"script/sync_at.bind.track", constantTrack(0.7f)},
           {"script/sync_above.bind.track", constantTrack(0.7000001f)},
           {"script/sync_empty.bind.track", trackFile({})}});
  auto* at = new trackedItem("at");
  auto* above = new trackedItem("above");
  auto* empty = new trackedItem("empty");
  for (NGcommon::item* each : {at, above, empty}) each->load();
  ASSERT_NE(at->bindGroup, nullptr);
  EXPECT_STREQ(at->bindGroup->track(0)->name, "at.bind");
  EXPECT_FALSE(at->isActive());
  EXPECT_TRUE(above->isActive());
  EXPECT_FALSE(empty->isActive());
}

TEST_F(Items, AnUnbindableItemIsAlwaysActiveAndRequestsNoTrack) {
  usePack({{"readme", "no tracks at all"}});
  auto* unbound = new trackedItem("unbound");
  unbound->bindable = false;
  EXPECT_EQ(thrownCode([&] { unbound->load(); }), 0);
  EXPECT_EQ(unbound->bindGroup, nullptr);
  EXPECT_EQ(trackerDevice->track_count, 0);
  EXPECT_TRUE(unbound->isActive());
}

TEST_F(Items, AMissingBindTrackStopsTheLoadWith258) {
  usePack({{"readme", "no tracks at all"}});
  auto* lost = new trackedItem("lost");
  EXPECT_EQ(thrownCode([&] { lost->load(); }), 258);
  EXPECT_EQ(lost->bindGroup, nullptr);
}

TEST_F(Items, DeletingAllGoesInListOrderAndRestartsTheIds) {
  new trackedItem("first");
  new NGcommon::item("second");
  new trackedItem("third");
  NGcommon::deleteAllItems();
  EXPECT_EQ(destroyed, (std::vector<std::string>{"first", "third"}));
  EXPECT_EQ(NGcommon::itemCount(), 0);
  EXPECT_EQ((new NGcommon::item("again"))->id, 1);
}

}  // namespace
