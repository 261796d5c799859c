#include "foundation/arr_of.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Tracked;

TEST(ArrOf, CapacityIsTheCountRoundedUpToTheGrowthStep) {
  struct Row {
    std::uint32_t step, count, capacity;
  };
  for (const Row& row :
       {Row{0, 5, 5}, Row{1, 5, 5}, Row{4, 5, 8}, Row{4, 8, 8}, Row{16, 1, 16}, Row{3, 0, 0}}) {
    TNArrOf<int> array(row.step);
    ASSERT_TRUE(array.Resize(row.count));
    EXPECT_EQ(array.Count(), row.count) << "step " << row.step;
    EXPECT_EQ(array.Capacity(), row.capacity) << "step " << row.step << " count " << row.count;
  }
}

TEST(ArrOf, GrowingKeepsValuesAndZeroFillsNewOnes) {
  TNArrOf<std::u16string> array(4);
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(array.Add(std::u16string(i % 7, u'a' + i % 26)));
  ASSERT_TRUE(array.Resize(130));
  for (int i = 0; i < 100; ++i) EXPECT_EQ(array[i], std::u16string(i % 7, u'a' + i % 26)) << i;
  for (int i = 100; i < 130; ++i) EXPECT_TRUE(array[i].empty()) << i;
}

TEST(ArrOf, IndexRules) {
  TNArrOf<int> array;
  for (int v : {10, 20, 30}) ASSERT_TRUE(array.Add(v));
  EXPECT_EQ(array[-1], 30);
  EXPECT_EQ(array[-3], 10);
  // Reading beyond either end gives the shared default element and does not grow.
  EXPECT_EQ(&array[3], &TNArrOf<int>::DefaultElement());
  EXPECT_EQ(&array[-4], &TNArrOf<int>::DefaultElement());
  EXPECT_EQ(array.Count(), 3u);
  // Writing beyond the end grows to index + 1.
  int* place = array.At(6);
  ASSERT_NE(place, nullptr);
  *place = 70;
  EXPECT_EQ(array.Count(), 7u);
  EXPECT_EQ(array[5], 0);
  EXPECT_EQ(array[6], 70);
  EXPECT_EQ(array.At(-8), nullptr);
  ASSERT_TRUE(array.SetAt(-1, 71));
  EXPECT_EQ(array[6], 71);
}

TEST(ArrOf, InsertAndRemoveShiftElements) {
  TNArrOf<int> array;
  for (int v : {1, 2, 4}) ASSERT_TRUE(array.Add(v));
  ASSERT_TRUE(array.InsertAt(2, 3));
  ASSERT_TRUE(array.InsertAt(0, 0));
  ASSERT_TRUE(array.InsertAt(5, 5));
  EXPECT_FALSE(array.InsertAt(7, 9));
  EXPECT_EQ(std::vector<int>(array.begin(), array.end()), (std::vector<int>{0, 1, 2, 3, 4, 5}));
  ASSERT_TRUE(array.RemoveAt(-1));
  ASSERT_TRUE(array.RemoveAt(0));
  EXPECT_FALSE(array.RemoveAt(4));
  EXPECT_EQ(std::vector<int>(array.begin(), array.end()), (std::vector<int>{1, 2, 3, 4}));
  // A value that lives inside the array itself may be inserted.
  ASSERT_TRUE(array.InsertAt(0, array[3]));
  EXPECT_EQ(array[0], 4);
}

TEST(ArrOf, OwningArrayDeletesExactlyTheReleasedObjectsLastFirst) {
  Tracked::Log().clear();
  int derivedDestroyed = 0;
  {
    TNArrOfADPtrTo<Tracked> array;
    for (int id = 0; id < 6; ++id) ASSERT_TRUE(array.Add(new Tracked(id)));
    ASSERT_TRUE(array.Add(new test::TrackedDerived(6, &derivedDestroyed)));
    ASSERT_TRUE(array.Resize(3));
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{6, 5, 4, 3}));
    EXPECT_EQ(derivedDestroyed, 1);

    Tracked::Log().clear();
    ASSERT_TRUE(array.SetAt(1, new Tracked(10)));  // replaces and deletes object 1
    ASSERT_TRUE(array.SetAt(1, array[1]));         // the same pointer again: kept
    ASSERT_TRUE(array.RemoveAt(0));
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, 0}));
    Tracked::Log().clear();
  }
  EXPECT_EQ(Tracked::Log(), (std::vector<int>{2, 10}));
}

TEST(ArrOf, NonOwningArrayDeletesNothing) {
  Tracked::Log().clear();
  Tracked a(1), b(2);
  {
    TNArrOfPtrTo<Tracked> array;
    ASSERT_TRUE(array.Add(&a));
    ASSERT_TRUE(array.Add(&b));
    ASSERT_TRUE(array.Resize(0));
  }
  EXPECT_TRUE(Tracked::Log().empty());
}

using A = TNArrOf<int>;
BITVANE_WILD_CALL bool WildAdd() {
  return test::WildPointer<A>()->Add(1);
}
BITVANE_WILD_CALL bool WildResize() {
  return test::WildPointer<A>()->Resize(4);
}
BITVANE_WILD_CALL int* WildAt() {
  return test::WildPointer<A>()->At(0);
}
BITVANE_WILD_CALL std::uint32_t WildCount() {
  return test::WildPointer<A>()->Count();
}
BITVANE_WILD_CALL const int* WildGet() {
  return &test::WildPointer<A>()->Get(0);
}

TEST(ArrOf, ImplausibleObjectAddressFailsWithoutTouchingMemory) {
  EXPECT_FALSE(WildAdd());
  EXPECT_FALSE(WildResize());
  EXPECT_EQ(WildAt(), nullptr);
  EXPECT_EQ(WildCount(), 0u);
  EXPECT_EQ(WildGet(), &A::DefaultElement());
}

}  // namespace
}  // namespace bitvane
