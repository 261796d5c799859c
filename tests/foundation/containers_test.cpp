#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "foundation/arr_of.h"
#include "foundation/auto_ptr.h"
#include "foundation/crc32.h"
#include "foundation/hash_tab_of.h"
#include "foundation/list_of.h"
#include "foundation/seg_arr_of.h"
#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Counted;
using test::Tracked;

// Position i (key i for tables); calls may go through a wild pointer.
struct Arrays {
  using Owning = TNArrOfADPtrTo<Tracked>;
  using Plain = TNArrOfPtrTo<Tracked>;
  static constexpr bool kReleasesLastFirst = true;
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return i == static_cast<int>(c->Count()) ? c->Add(v) : c->SetAt(i, v);
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->RemoveAt(i); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) { return c->Get(i); }
};

struct Lists {
  using Owning = TNListOfADPtrTo<Tracked>;
  using Plain = TNListOfPtrTo<Tracked>;
  static constexpr bool kReleasesLastFirst = false;
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return i < static_cast<int>(c->Count()) ? c->SetValue(c->NodeAt(i), v) : c->Add(v) != nullptr;
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->Remove(c->NodeAt(i)); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) { return c->Get(i); }
};

struct Tables {
  using Owning = TNHashTabOfADPtrTo<Tracked>;
  using Plain = TNHashTabOfPtrTo<Tracked>;
  static constexpr bool kReleasesLastFirst = false;
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return c->Insert(NHTKey::FromUInt32(i), v);
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->Remove(NHTKey::FromUInt32(i)); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) {
    Tracked** found = c->Find(NHTKey::FromUInt32(i));
    return found != nullptr ? *found : nullptr;
  }
};

template <class C>
BITVANE_WILD_CALL std::uint32_t CountOf(C* c) {
  return c->Count();
}
BITVANE_WILD_CALL bool Clear(TNHashTabOfPtrTo<test::Tracked>* c) {
  return c->RemoveAll(4);
}
template <class C>
BITVANE_WILD_CALL bool Clear(C* c) {
  c->RemoveAll();
  return false;
}

template <class P>
class Containers : public ::testing::Test {};
using Kinds = ::testing::Types<Arrays, Lists, Tables>;
TYPED_TEST_SUITE(Containers, Kinds);

TYPED_TEST(Containers, OwningKindDeletesWhatItReleasesThroughTheVirtualDestructor) {
  using P = TypeParam;
  Tracked::Log().clear();
  {
    typename P::Owning c;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(P::Put(&c, i, new Tracked(i)));
    ASSERT_TRUE(P::Put(&c, 4, new test::TrackedDerived(4)));
    ASSERT_TRUE(P::Put(&c, 1, new Tracked(10)));  // deletes 1
    ASSERT_TRUE(P::Put(&c, 1, P::Get(&c, 1)));    // the same pointer again: kept
    ASSERT_TRUE(P::Drop(&c, 4));
    EXPECT_FALSE(P::Drop(&c, 4));
    ASSERT_TRUE(P::Drop(&c, 0));
    EXPECT_EQ(CountOf(&c), 3u);
    {
      typename P::Plain plain;  // holds, replaces and drops, deleting nothing
      ASSERT_TRUE(P::Put(&plain, 0, P::Get(&c, 1)));
      ASSERT_TRUE(P::Put(&plain, 0, P::Get(&c, 2)));
    }
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, -4, 4, 0}));
    Tracked::Log().clear();
  }
  EXPECT_EQ(Tracked::Log(),
            P::kReleasesLastFirst ? (std::vector<int>{3, 2, 10}) : (std::vector<int>{10, 2, 3}));
}

TYPED_TEST(Containers, ImplausibleAddressFailsWithoutTouchingMemory) {
  using P = TypeParam;
  auto* wild = test::WildPointer<typename P::Plain>();
  EXPECT_FALSE(P::Put(wild, 0, nullptr));
  EXPECT_FALSE(P::Put(wild, 3, nullptr));
  EXPECT_FALSE(P::Drop(wild, 0));
  EXPECT_EQ(P::Get(wild, 0), nullptr);
  EXPECT_EQ(CountOf(wild), 0u);
  EXPECT_FALSE(Clear(wild));
}

TEST(ArrOf, CapacityIsTheCountRoundedUpToTheGrowthStep) {
  struct Row {
    std::uint32_t step, count, capacity;
  };
  for (const Row& row : {Row{0, 5, 5}, Row{4, 5, 8}, Row{4, 8, 8}, Row{16, 1, 16}, Row{3, 0, 0}}) {
    SCOPED_TRACE(::testing::Message() << "step " << row.step << " count " << row.count);
    TNArrOf<int> array(row.step);
    ASSERT_TRUE(array.Resize(row.count));
    EXPECT_EQ(array.Count(), row.count);
    EXPECT_EQ(array.Capacity(), row.capacity);
  }
}

TEST(ArrOf, IndexInsertAndRemoveRulesAndEveryValueIsDestroyed) {
  using Values = std::vector<Counted>;
  Counted::Live() = 0;
  {
    TNArrOf<Counted> array;
    for (int v : {2, 3, 5}) ASSERT_TRUE(array.Add(v));
    ASSERT_TRUE(array.InsertAt(2, 4));
    ASSERT_TRUE(array.InsertAt(0, 1));
    ASSERT_TRUE(array.InsertAt(5, 6));
    EXPECT_FALSE(array.InsertAt(7, 9));
    EXPECT_EQ(array[-1].id, 6);
    EXPECT_EQ(array[-6].id, 1);
    EXPECT_EQ(&array[6], &TNArrOf<Counted>::DefaultElement());
    EXPECT_EQ(&array[-7], &TNArrOf<Counted>::DefaultElement());
    EXPECT_EQ(Values(array.begin(), array.end()), (Values{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(array.RemoveAt(-1));
    ASSERT_TRUE(array.RemoveAt(0));
    EXPECT_FALSE(array.RemoveAt(4));
    ASSERT_TRUE(array.InsertAt(0, array[3]));  // a value that lives inside the array itself
    ASSERT_NE(array.At(7), nullptr);
    EXPECT_EQ(array.At(-9), nullptr);
    ASSERT_TRUE(array.SetAt(-1, 8));
    EXPECT_EQ(Values(array.begin(), array.end()), (Values{5, 2, 3, 4, 5, 0, 0, 8}));
    ASSERT_TRUE(array.Resize(4));
    EXPECT_EQ(Counted::Live(), 4);
  }
  EXPECT_EQ(Counted::Live(), 0);
}

TEST(ListOf, HeadInsertFindDetachAndIndexesFromEitherEnd) {
  TNListOf<int> list;
  list.Add(2);
  list.Add(3);
  list.AddHead(1);
  EXPECT_EQ(std::vector<int>(list.begin(), list.end()), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(list.Find(3), list.Tail());
  int out = 0;
  ASSERT_TRUE(list.Detach(list.Head(), out));
  EXPECT_EQ(out, 1);
  list.RemoveAll();
  EXPECT_EQ(list.Head(), nullptr);
  for (int i = 0; i < 9; ++i) list.Add(i);
  for (int i = -10; i < 10; ++i) {
    SCOPED_TRACE(i);
    if (i < -9 || i > 8) {
      EXPECT_EQ(&list[i], &TNListOf<int>::DefaultElement());
    } else {
      EXPECT_EQ(list[i], (i + 9) % 9);
    }
  }
  Tracked::Log().clear();
  TNListOfADPtrTo<Tracked> owning;  // detaching hands the object over undeleted
  owning.Add(new Tracked(7));
  Tracked* taken = nullptr;
  ASSERT_TRUE(owning.Detach(owning.Head(), taken));
  EXPECT_TRUE(Tracked::Log().empty());
  delete taken;
}

TEST(ListOf, ForeignDamagedOrUnreadableNodesAndListsAreRefused) {
  using L = TNListOf<int>;
  L list, other;
  L::Node* mine = list.Add(1);
  L::Node* theirs = other.Add(2);
  void* page = ::mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(page, MAP_FAILED);
  for (L::Node* bad : {theirs, static_cast<L::Node*>(nullptr), reinterpret_cast<L::Node*>(16),
                       static_cast<L::Node*>(page)}) {
    SetLastError(0);
    EXPECT_FALSE(list.Remove(bad));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(L::IsValidList(static_cast<L*>(page)));
  ::munmap(page, 4096);
  alignas(L) unsigned char untagged[sizeof(L)] = {};
  EXPECT_FALSE(L::IsValidList(reinterpret_cast<L*>(untagged)));
  std::memcpy(mine->tag, "garbage!", 8);
  EXPECT_FALSE(list.Remove(mine));
  std::memcpy(mine->tag, kNodeTag, 8);
  EXPECT_TRUE(list.Remove(mine));
  EXPECT_FALSE(list.Remove(theirs));  // an empty list refuses every node
  EXPECT_EQ(other.Count(), 1u);
}

TEST(SegArrOf, ElementsStayPutAcrossSegmentsAndAreAllDestroyed) {
  Counted::Live() = 0;
  TNSegArrOf<Counted, 2> array;  // 4 elements per segment
  std::vector<const Counted*> places;
  for (int i = 0; i < 9; ++i) places.push_back(array.Add(Counted(i + 1)));
  EXPECT_EQ(array.SegmentCount(), 3u);
  for (std::uint32_t i = 0; i < 9; ++i) {
    EXPECT_EQ(array.At(i), places[i]) << i;
    EXPECT_EQ(array.At(i)->id, static_cast<int>(i) + 1) << i;
  }
  EXPECT_EQ(array.At(9), nullptr);
  array.RemoveAll();
  EXPECT_EQ(Counted::Live(), 0);
  EXPECT_EQ(array.SegmentCount(), 0u);
}

TEST(HTKey, KeepsUpToTenBytesInlineAndMoreOutside) {
  const unsigned char bytes[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (std::uint32_t length = 0; length <= 12; ++length) {
    SCOPED_TRACE(length);
    NHTKey key(bytes, length);
    EXPECT_EQ(key.Length(), length);
    EXPECT_EQ(key.IsInline(), length <= 10);
    EXPECT_EQ(key.Hash(), Crc32(bytes, length));
    EXPECT_NE(key.Bytes(), bytes);
    EXPECT_EQ(std::memcmp(key.Bytes(), bytes, length), 0);
    NHTKey copy(key), moved(std::move(key));
    EXPECT_EQ(copy, moved);
    EXPECT_EQ(key, NHTKey());  // moved from: empty
  }
}

TEST(HTKey, EqualityAndSetting) {
  EXPECT_FALSE(NHTKey("abc", 3) == NHTKey("abcd", 4));
  EXPECT_FALSE(NHTKey("abc", 3) == NHTKey("abd", 3));
  EXPECT_EQ(NHTKey::FromUInt32(0x04030201u), NHTKey("\x01\x02\x03\x04", 4));
  EXPECT_EQ(NHTKey(nullptr, 3), NHTKey());  // refused, not thrown
  SetLastError(ERROR_OUTOFMEMORY);          // a stale code is no failure
  EXPECT_EQ(NHTKey("abc", 3).Length(), 3u);
  NHTKey key;
  EXPECT_FALSE(key.Set(nullptr, 3));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(key.Set("a long key, longer than ten", 27));
  ASSERT_TRUE(key.Set(key.Bytes() + 2, 4));  // from its own bytes
  EXPECT_EQ(key, NHTKey("long", 4));
  EXPECT_TRUE(NClassInfo::IsKindOf(&key, NClassInfo::StaticRecord()));
  EXPECT_TRUE(NClassInfo::IsKindOf(&key, NHTKey::StaticRecord()));
}

TEST(HashTabOf, EveryKeyFindsItsEntryAfterRandomInsertsAndRemovals) {
  TNHashTabOf<int> table(3);  // few buckets, so buckets are shared
  std::map<std::uint32_t, int> reference;
  std::mt19937 random(42);
  for (int step = 0; step < 5000; ++step) {
    const std::uint32_t id = random() % 300;
    if (random() % 3 == 0) {
      EXPECT_EQ(table.Remove(NHTKey::FromUInt32(id)), reference.erase(id) == 1) << id;
    } else {
      ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(id), step));
      reference[id] = step;
    }
    if (step % 500 != 0 && step != 4999) continue;
    ASSERT_EQ(table.Count(), reference.size());
    for (std::uint32_t probe = 0; probe < 300; ++probe) {
      const int* found = table.Find(NHTKey::FromUInt32(probe));
      const auto it = reference.find(probe);
      if (it == reference.end()) {
        EXPECT_EQ(found, nullptr) << probe;
        EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
      } else {
        ASSERT_NE(found, nullptr) << probe;
        EXPECT_EQ(*found, it->second) << probe;
      }
    }
  }
}

TEST(HashTabOf, EmptyingToANewBucketCount) {
  TNHashTabOf<int> table(12);
  EXPECT_EQ(table.BucketCount(), 4096u);
  for (std::uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(i), 1));
  ASSERT_TRUE(table.RemoveAll(6));
  EXPECT_EQ(table.BucketCount(), 64u);
  EXPECT_EQ(table.Count(), 0u);
  EXPECT_EQ(table.Find(NHTKey::FromUInt32(5)), nullptr);
  ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(5), 7));
  EXPECT_FALSE(table.RemoveAll(25));  // a bad bucket count changes nothing
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(*std::as_const(table).Find(NHTKey::FromUInt32(5)), 7);
  EXPECT_FALSE(TNHashTabOf<int>(25).Insert(NHTKey::FromUInt32(5), 7));
}

TEST(AutoPtr, DeletePointerReleasesTheOldOneOnAssignment) {
  Tracked::Log().clear();
  {
    TNAutoDelPtrTo<Tracked> owner(new Tracked(1));
    owner = new test::TrackedDerived(2);
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1}));
    owner = owner.Get();  // the same pointer again: kept
    EXPECT_EQ(owner->Id(), 2);
    Tracked* taken = owner.Detach();
    EXPECT_FALSE(owner);
    owner = taken;
  }
  EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, -2, 2}));
}

TEST(AutoPtr, FreePointerAllocatesZeroedMemory) {
  TNAutoFreePtrTo<char16_t> text;
  ASSERT_TRUE(text.Allocate(8));
  for (int i = 0; i < 8; ++i) EXPECT_EQ(text.Get()[i], 0);
  TNAutoFreePtrTo<void> bytes;
  ASSERT_TRUE(bytes.Allocate(3));
  bytes = std::malloc(5);  // the 3 bytes are freed (ASan would see a leak otherwise)
  EXPECT_TRUE(bytes);
  ASSERT_TRUE(bytes.Allocate(0));
  EXPECT_FALSE(bytes);
}

TEST(ClassInfo, LivenessFollowsTheObjectsLife) {
  auto* object = new NClassInfo;
  EXPECT_TRUE(NClassInfo::IsLive(object));
  EXPECT_FALSE(NClassInfo::IsLive(nullptr));
  EXPECT_FALSE(NClassInfo::IsLive(reinterpret_cast<NClassInfo*>(0x100)));
  object->~NClassInfo();
  EXPECT_FALSE(NClassInfo::IsLive(object));  // storage still ours, signature cleared
  ::operator delete(object);
}

}  // namespace
}  // namespace bitvane
