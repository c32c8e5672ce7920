#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "runtime/core/object_table.h"

namespace rt {
namespace {

struct Record {
  int handle;
  int extra;
};

// What the free routine saw, in call order: the number and the handle still living there.
struct FreeCall {
  ObjectNumber number;
  int handle;
};

class ObjectTableTest : public testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    table = nullptr;
  }

  static void FreeRoutine(ObjectNumber number) {
    const Record* record = table ? table->Get(number) : nullptr;
    calls.push_back({number, record ? record->handle : 0});
    if (table) table->Free(number);
  }

  static inline std::vector<FreeCall> calls;
  static inline ObjectTable<Record>* table = nullptr;
};

TEST_F(ObjectTableTest, StartsWithOneStepOfEmptySlots) {
  ObjectTable<Record> sprites(64, nullptr);
  EXPECT_EQ(sprites.Capacity(), 64);
  for (ObjectNumber n = 0; n < 64; ++n) EXPECT_EQ(sprites.Get(n), nullptr);
}

TEST_F(ObjectTableTest, NumberBeyondCapacityGrowsByOneStepPastIt) {
  ObjectTable<Record> sprites(64, nullptr);
  Record* record = sprites.Allocate(99);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->handle, 0);
  EXPECT_EQ(sprites.Capacity(), 163);
  for (ObjectNumber n = 64; n < 99; ++n) EXPECT_EQ(sprites.Get(n), nullptr);
  EXPECT_EQ(sprites.Get(99), record);
}

TEST_F(ObjectTableTest, GrowingKeepsExistingRecords) {
  ObjectTable<Record> windows(16, nullptr);
  windows.Allocate(3)->handle = 33;
  windows.Allocate(40)->handle = 44;
  EXPECT_EQ(windows.Capacity(), 56);
  EXPECT_EQ(windows.Get(3)->handle, 33);
  EXPECT_EQ(windows.Get(40)->handle, 44);
}

TEST_F(ObjectTableTest, ReusingANumberFreesTheOldObjectFirst) {
  ObjectTable<Record> sounds(64, FreeRoutine);
  table = &sounds;
  sounds.Allocate(5)->handle = 1234;
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].handle, 0);  // an empty slot is tolerated
  Record* fresh = sounds.Allocate(5);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].number, 5);
  EXPECT_EQ(calls[1].handle, 1234);
  EXPECT_EQ(fresh->handle, 0);
  EXPECT_EQ(sounds.Get(5), fresh);
}

TEST_F(ObjectTableTest, AutomaticNumbersSkipTheFreeRoutineAndNeverMeetFixedNumbers) {
  ObjectTable<Record> sprites(64, FreeRoutine);
  table = &sprites;
  ObjectNumber first = 0, second = 0;
  sprites.Allocate(kAutomaticObject, &first)->handle = 1;
  sprites.Allocate(kAutomaticObject, &second)->handle = 2;
  EXPECT_TRUE(calls.empty());
  EXPECT_NE(first, second);
  EXPECT_GT(first, kLargestFixedNumber + 64);
  EXPECT_EQ(sprites.Find(first)->handle, 1);
  EXPECT_EQ(sprites.Get(second)->handle, 2);
  sprites.Allocate(5000);
  EXPECT_LT(sprites.Capacity(), first);
  sprites.Free(first);
  EXPECT_EQ(sprites.Find(first), nullptr);
  EXPECT_EQ(sprites.Get(second)->handle, 2);
}

TEST_F(ObjectTableTest, InvalidNumbersYieldNothing) {
  ObjectTable<Record> sprites(64, FreeRoutine);
  table = &sprites;
  EXPECT_EQ(sprites.Allocate(-2), nullptr);
  EXPECT_EQ(sprites.Allocate(kLargestFixedNumber + 1), nullptr);
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(sprites.Capacity(), 64);
  EXPECT_EQ(sprites.Get(-1), nullptr);
  EXPECT_EQ(sprites.Get(-5), nullptr);
  EXPECT_EQ(sprites.Get(64), nullptr);
  EXPECT_EQ(sprites.Get(1000000), nullptr);
  EXPECT_EQ(sprites.Get(kFirstAutomaticNumber), nullptr);
  sprites.Free(-7);
  sprites.Free(1000000);
  sprites.Free(kFirstAutomaticNumber + 3);
  EXPECT_EQ(sprites.Capacity(), 64);
}

TEST_F(ObjectTableTest, FreedFixedNumberIsEmpty) {
  ObjectTable<Record> windows(16, nullptr);
  windows.Allocate(2)->handle = 9;
  windows.Free(2);
  EXPECT_EQ(windows.Get(2), nullptr);
}

TEST_F(ObjectTableTest, AStepBelowOneStillMakesRoom) {
  ObjectTable<Record> odd(0, nullptr);
  ASSERT_NE(odd.Allocate(5), nullptr);
  EXPECT_GT(odd.Capacity(), 5);
}

TEST_F(ObjectTableTest, IteratingWhileFreeingVisitsEachObjectOnce) {
  ObjectTable<Record> sprites(4, nullptr);
  std::set<ObjectNumber> live;
  for (ObjectNumber n : {0, 2, 3, 9}) {
    sprites.Allocate(n)->handle = static_cast<int>(n) + 1;
    live.insert(n);
  }
  for (int i = 0; i < 3; ++i) {
    ObjectNumber handle = 0;
    sprites.Allocate(kAutomaticObject, &handle)->handle = 100 + i;
    live.insert(handle);
  }
  std::vector<ObjectNumber> visited;
  sprites.ResetIteration();
  ObjectNumber number = 0;
  while (Record* record = sprites.Next(&number)) {
    EXPECT_EQ(sprites.Get(number), record);
    visited.push_back(number);
    sprites.Free(number);
  }
  EXPECT_EQ(std::set<ObjectNumber>(visited.begin(), visited.end()), live);
  EXPECT_EQ(visited.size(), live.size());
  // Fixed numbers ascending, then automatic ones oldest first.
  EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end()));
  sprites.ResetIteration();
  EXPECT_EQ(sprites.Next(&number), nullptr);
}

TEST_F(ObjectTableTest, ForEachVisitsInOrderAndStopsWhenAsked) {
  ObjectTable<Record> sprites(8, nullptr);
  for (ObjectNumber n : {6, 1, 4}) sprites.Allocate(n)->handle = static_cast<int>(n);
  ObjectNumber automatic = 0;
  sprites.Allocate(kAutomaticObject, &automatic)->handle = 77;
  std::vector<ObjectNumber> all;
  sprites.ForEach([&](ObjectNumber n, Record& record) {
    EXPECT_EQ(sprites.Get(n), &record);
    all.push_back(n);
    return true;
  });
  EXPECT_EQ(all, (std::vector<ObjectNumber>{1, 4, 6, automatic}));
  std::vector<ObjectNumber> some;
  sprites.ForEach([&](ObjectNumber n, Record&) {
    some.push_back(n);
    return n != 4;
  });
  EXPECT_EQ(some, (std::vector<ObjectNumber>{1, 4}));
}

}  // namespace
}  // namespace rt
