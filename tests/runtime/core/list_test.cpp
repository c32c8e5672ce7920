#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <new>
#include <random>
#include <vector>

#include "runtime/core/list.h"
#include "tests/support/allocation_counter.h"

namespace rt {
namespace {

struct Item {
  int value;
  float weight;
  std::int16_t kind;
};

// The values from the first element to the last; leaves the cursor at the end of the walk.
std::vector<int> Values(List<Item>& list) {
  std::vector<int> values;
  ListRewind(list);
  while (Item* item = ListAdvance(list)) values.push_back(item->value);
  return values;
}

void Fill(List<Item>& list, std::initializer_list<int> values) {
  ListRewind(list);
  for (int value : values) {
    while (ListAdvance(list)) {
    }
    ListInsert(list)->value = value;
  }
}

TEST(ListInsert, IntoAnEmptyListMakesTheOnlyElement) {
  List<Item> list;
  Item* item = ListInsert(list);
  EXPECT_EQ(ListCurrent(list), item);
  EXPECT_EQ(ListCount(list), 1);
  EXPECT_EQ(ListCurrentIndex(list), 0);
}

TEST(ListInsert, ValueInitialisesEveryElementEvenARecycledOne) {
  List<Item> list;
  Item* item = ListInsert(list);
  EXPECT_EQ(item->value, 0);
  EXPECT_EQ(item->weight, 0.0f);
  EXPECT_EQ(item->kind, 0);
  *item = {7, 2.5f, 3};
  ListRemoveCurrent(list);
  Item* reused = ListInsert(list);
  EXPECT_EQ(reused->value, 0);
  EXPECT_EQ(reused->weight, 0.0f);
  EXPECT_EQ(reused->kind, 0);
}

TEST(ListInsert, AfterARewindGoesFirst) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListRewind(list);
  ListInsert(list)->value = 0;
  EXPECT_EQ(ListCurrentIndex(list), 0);
  EXPECT_EQ(Values(list), (std::vector<int>{0, 1, 2, 3}));
}

TEST(ListInsert, GoesRightAfterTheCursor) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListSelect(list, 0);
  ListInsert(list)->value = 10;
  EXPECT_EQ(ListCurrentIndex(list), 1);
  ListInsert(list)->value = 11;
  EXPECT_EQ(ListCurrentIndex(list), 2);
  EXPECT_EQ(ListCount(list), 5);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 10, 11, 2, 3}));
}

TEST(ListInsert, DuringAWalkIsSkippedByTheNextAdvance) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  std::vector<int> visited;
  ListRewind(list);
  while (Item* item = ListAdvance(list)) {
    visited.push_back(item->value);
    if (item->value == 2) ListInsert(list)->value = 20;
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 20, 3}));
}

TEST(ListAdvance, PastTheEndStaysOnTheLastAndAppendsThere) {
  List<Item> list;
  Fill(list, {1, 2});
  ListRewind(list);
  ListAdvance(list);
  Item* last = ListAdvance(list);
  EXPECT_EQ(ListAdvance(list), nullptr);
  EXPECT_EQ(ListAdvance(list), nullptr);
  EXPECT_EQ(ListCurrent(list), last);
  EXPECT_EQ(ListCurrentIndex(list), 1);
  ListInsert(list)->value = 3;
  EXPECT_EQ(ListCurrentIndex(list), 2);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
}

TEST(ListAdvance, OnAnEmptyListFindsNothing) {
  List<Item> list;
  EXPECT_EQ(ListAdvance(list), nullptr);
  EXPECT_EQ(ListCurrent(list), nullptr);
  EXPECT_EQ(ListCurrentIndex(list), -1);
}

TEST(ListRemoveCurrent, OfTheFirstDuringAWalkContinuesWithTheNewFirst) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListRewind(list);
  ListAdvance(list);
  ListRemoveCurrent(list);
  EXPECT_EQ(ListCurrent(list), nullptr);
  EXPECT_EQ(ListCurrentIndex(list), -1);
  EXPECT_EQ(ListAdvance(list)->value, 2);
  EXPECT_EQ(ListCurrentIndex(list), 0);
}

TEST(ListRemoveCurrent, InTheMiddleLeavesThePreviousElement) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListSelect(list, 1);
  ListRemoveCurrent(list);
  EXPECT_EQ(ListCurrent(list)->value, 1);
  EXPECT_EQ(ListCurrentIndex(list), 0);
  EXPECT_EQ(ListAdvance(list)->value, 3);
}

TEST(ListRemoveCurrent, OfTheLastMakesThePreviousTheLast) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListSelect(list, 2);
  ListRemoveCurrent(list);
  EXPECT_EQ(ListCurrent(list)->value, 2);
  EXPECT_EQ(ListAdvance(list), nullptr);
  ListInsert(list)->value = 4;
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 4}));
}

TEST(ListRemoveCurrent, OfTheOnlyElementEmptiesTheList) {
  List<Item> list;
  Fill(list, {1});
  ListSelect(list, 0);
  ListRemoveCurrent(list);
  EXPECT_EQ(ListCount(list), 0);
  EXPECT_EQ(ListCurrent(list), nullptr);
  EXPECT_EQ(ListSelect(list, 0), nullptr);
  EXPECT_TRUE(Values(list).empty());
}

TEST(ListRemoveCurrent, OnNoElementDoesNothing) {
  List<Item> list;
  Fill(list, {1, 2});
  ListRewind(list);
  ListRemoveCurrent(list);
  EXPECT_EQ(ListCount(list), 2);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2}));
}

TEST(ListRemoveCurrent, EveryElementOfAWalkVisitsEachOnce) {
  List<Item> list;
  Fill(list, {1, 2, 3, 4, 5});
  std::vector<int> visited;
  ListRewind(list);
  while (Item* item = ListAdvance(list)) {
    visited.push_back(item->value);
    if (item->value % 2 == 1) ListRemoveCurrent(list);
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Values(list), (std::vector<int>{2, 4}));
}

TEST(ListSelect, PicksByZeroBasedIndex) {
  List<Item> list;
  Fill(list, {10, 11, 12, 13, 14});
  EXPECT_EQ(ListSelect(list, 2)->value, 12);
  EXPECT_EQ(ListCurrentIndex(list), 2);
  EXPECT_EQ(ListAdvance(list)->value, 13);
}

TEST(ListSelect, MinusOneSelectsNothing) {
  List<Item> list;
  Fill(list, {10, 11});
  EXPECT_EQ(ListSelect(list, -1), nullptr);
  EXPECT_EQ(ListCurrentIndex(list), -1);
  EXPECT_EQ(ListAdvance(list)->value, 10);
}

TEST(ListSelect, BeyondTheCountStopsOnTheLast) {
  List<Item> list;
  Fill(list, {10, 11, 12});
  for (int index : {3, 4, 1000, INT_MAX}) {
    Item* selected = ListSelect(list, index);
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->value, 12);
    EXPECT_EQ(ListCurrentIndex(list), 2);
  }
}

TEST(ListSelect, BelowMinusOneSelectsNothing) {
  List<Item> list;
  Fill(list, {10});
  EXPECT_EQ(ListSelect(list, INT_MIN), nullptr);
  EXPECT_EQ(ListCurrentIndex(list), -1);
}

TEST(ListClear, EmptiesTheListAndTheListStaysUsable) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListSelect(list, 1);
  ListClear(list);
  EXPECT_EQ(ListCount(list), 0);
  EXPECT_EQ(ListCurrentIndex(list), -1);
  EXPECT_EQ(ListAdvance(list), nullptr);
  Fill(list, {4, 5});
  EXPECT_EQ(Values(list), (std::vector<int>{4, 5}));
  ListFree(list);
  EXPECT_EQ(ListCount(list), 0);
  Fill(list, {6});
  EXPECT_EQ(Values(list), (std::vector<int>{6}));
}

TEST(ListChurn, SteadyInsertAndRemoveAllocatesNothing) {
  List<Item> list;
  Fill(list, {1, 2, 3, 4, 5, 6, 7, 8});
  auto churn = [&list] {
    ListRewind(list);
    while (Item* item = ListAdvance(list)) {
      const int value = item->value;
      ListRemoveCurrent(list);
      ListInsert(list)->value = value + 1;
    }
  };
  churn();
  const std::size_t before = test::AllocationCount();
  for (int frame = 0; frame < 100; ++frame) churn();
  EXPECT_EQ(test::AllocationCount(), before);
  EXPECT_EQ(ListCount(list), 8);
}

TEST(ListInsert, FailedAllocationLeavesTheListAsItWas) {
  List<Item> list;
  Fill(list, {1, 2, 3});
  ListSelect(list, 1);
  test::FailNextAllocation();
  EXPECT_THROW(ListInsert(list), std::bad_alloc);
  EXPECT_EQ(ListCount(list), 3);
  EXPECT_EQ(ListCurrentIndex(list), 1);
  EXPECT_EQ(ListCurrent(list)->value, 2);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
}

// The cursor rules, restated over a vector: every operation of a random script must agree.
struct Model {
  std::vector<int> values;
  int cursor = -1;

  bool Advance() {
    if (cursor + 1 >= static_cast<int>(values.size())) return false;
    ++cursor;
    return true;
  }
  void Insert(int value) { values.insert(values.begin() + ++cursor, value); }
  void Remove() {
    if (cursor < 0) return;
    values.erase(values.begin() + cursor--);
  }
  void Select(int index) {
    const int count = static_cast<int>(values.size());
    cursor = index < 0 ? -1 : (index < count ? index : count - 1);
  }
};

TEST(ListCursor, AgreesWithTheRulesOverARandomScript) {
  List<Item> list;
  Model model;
  std::mt19937 random(99);
  for (int step = 0; step < 20000; ++step) {
    switch (random() % 5) {
      case 0:
        ListInsert(list)->value = step;
        model.Insert(step);
        break;
      case 1: {
        const bool moved = ListAdvance(list) != nullptr;
        ASSERT_EQ(moved, model.Advance()) << step;
        break;
      }
      case 2:
        ListRemoveCurrent(list);
        model.Remove();
        break;
      case 3: {
        const int index = static_cast<int>(random() % 40) - 2;
        ListSelect(list, index);
        model.Select(index);
        break;
      }
      default:
        ListRewind(list);
        model.cursor = -1;
        break;
    }
    ASSERT_EQ(ListCount(list), static_cast<int>(model.values.size())) << step;
    ASSERT_EQ(ListCurrentIndex(list), model.cursor) << step;
    if (model.cursor >= 0) {
      ASSERT_EQ(ListCurrent(list)->value, model.values[model.cursor]) << step;
    }
  }
  EXPECT_EQ(Values(list), model.values);
}

}  // namespace
}  // namespace rt
