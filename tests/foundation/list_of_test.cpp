#include "foundation/list_of.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <vector>

#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Tracked;

template <class T>
std::vector<T> Values(const TNListOf<T>& list) {
  return std::vector<T>(list.begin(), list.end());
}

TEST(ListOf, AddRemoveAndIndexes) {
  TNListOf<int> list;
  auto* two = list.Add(2);
  list.Add(3);
  list.AddHead(1);
  EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list.Count(), 3u);
  EXPECT_EQ(list[-1], 3);
  EXPECT_EQ(list[0], 1);
  EXPECT_EQ(&list[3], &TNListOf<int>::DefaultElement());
  EXPECT_EQ(&list[-4], &TNListOf<int>::DefaultElement());
  EXPECT_EQ(list.NodeAt(-2), two);
  ASSERT_TRUE(list.Remove(two));
  EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
  EXPECT_EQ(list.Find(3), list.Tail());
  int out = 0;
  ASSERT_TRUE(list.Detach(list.Head(), out));
  EXPECT_EQ(out, 1);
  list.RemoveAll();
  EXPECT_EQ(list.Count(), 0u);
  EXPECT_EQ(list.Head(), nullptr);
  EXPECT_EQ(list.Tail(), nullptr);
}

TEST(ListOf, NodeAtWalksFromTheNearerEnd) {
  TNListOf<int> list;
  for (int i = 0; i < 9; ++i) list.Add(i);
  for (int i = -9; i < 9; ++i) EXPECT_EQ(list.NodeAt(i)->value, (i + 9) % 9) << i;
}

TEST(ListOf, OwningListReleasesFromTheHeadThroughTheVirtualDestructor) {
  Tracked::Log().clear();
  int derivedDestroyed = 0;
  {
    TNListOfADPtrTo<Tracked> list;
    for (int id = 0; id < 3; ++id) list.Add(new Tracked(id));
    list.Add(new test::TrackedDerived(3, &derivedDestroyed));
    ASSERT_TRUE(list.Remove(list.NodeAt(1)));
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1}));
    Tracked* detached = nullptr;
    ASSERT_TRUE(list.Detach(list.Head(), detached));  // handed over, not deleted
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1}));
    delete detached;
  }
  EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, 0, 2, 3}));
  EXPECT_EQ(derivedDestroyed, 1);
}

TEST(ListOf, ForeignOrBadNodesAreRefused) {
  TNListOf<int> list, other;
  auto* mine = list.Add(1);
  auto* theirs = other.Add(2);
  EXPECT_FALSE(list.Remove(theirs));
  EXPECT_FALSE(list.Remove(nullptr));
  EXPECT_FALSE(list.Remove(reinterpret_cast<TNListOf<int>::Node*>(16)));
  EXPECT_EQ(other.Count(), 1u);

  // A node whose tag was overwritten is not touched.
  char saved[8];
  std::memcpy(saved, mine->tag, 8);
  std::memcpy(mine->tag, "garbage!", 8);
  EXPECT_FALSE(list.Remove(mine));
  std::memcpy(mine->tag, saved, 8);
  EXPECT_TRUE(list.Remove(mine));

  // An empty list refuses every node.
  EXPECT_FALSE(list.Remove(theirs));
}

TEST(ListOf, NodesOnUnreadableMemoryAreRefusedWithoutFault) {
  TNListOf<int> list;
  list.Add(1);
  void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  EXPECT_FALSE(list.Remove(static_cast<TNListOf<int>::Node*>(page)));
  EXPECT_FALSE(TNListOf<int>::IsValidList(static_cast<TNListOf<int>*>(page)));
  ::munmap(page, 4096);
}

using L = TNListOf<int>;
BITVANE_WILD_CALL L::Node* WildAdd() {
  return test::WildPointer<L>()->Add(1);
}
BITVANE_WILD_CALL std::uint32_t WildCount() {
  return test::WildPointer<L>()->Count();
}
BITVANE_WILD_CALL bool WildRemove(L::Node* node) {
  return test::WildPointer<L>()->Remove(node);
}
BITVANE_WILD_CALL void WildRemoveAll() {
  test::WildPointer<L>()->RemoveAll();
}

TEST(ListOf, ImplausibleListAddressFailsWithoutTouchingMemory) {
  L list;
  auto* node = list.Add(5);
  EXPECT_EQ(WildAdd(), nullptr);
  EXPECT_EQ(WildCount(), 0u);
  EXPECT_FALSE(WildRemove(node));
  WildRemoveAll();
  EXPECT_EQ(list.Count(), 1u);
}

TEST(ListOf, ListWithDamagedTagRefusesEveryOperation) {
  // A list-sized block with the wrong tag: nothing may be read or written through it.
  alignas(L) unsigned char block[sizeof(L)] = {};
  auto* fake = reinterpret_cast<L*>(block);
  EXPECT_FALSE(L::IsValidList(fake));
}

}  // namespace
}  // namespace bitvane
