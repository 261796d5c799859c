#include "foundation/hash_tab_of.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

#include "foundation/crc32.h"
#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Tracked;

TEST(HTKey, KeepsShortKeysInlineAndLongOnesOutside) {
  const unsigned char bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (std::uint32_t length = 0; length <= 16; ++length) {
    NHTKey key(bytes, length);
    EXPECT_EQ(key.Length(), length);
    EXPECT_EQ(key.IsInline(), length <= 10) << length;
    EXPECT_EQ(key.Hash(), Crc32(bytes, length)) << length;
    EXPECT_NE(key.Bytes(), bytes);
    EXPECT_EQ(std::memcmp(key.Bytes(), bytes, length), 0);
    NHTKey copy(key), moved(std::move(key));
    EXPECT_TRUE(copy == moved) << length;
  }
}

TEST(HTKey, EqualityNeedsLengthHashAndBytes) {
  EXPECT_TRUE(NHTKey("abc", 3) == NHTKey("abc", 3));
  EXPECT_FALSE(NHTKey("abc", 3) == NHTKey("abcd", 4));
  EXPECT_FALSE(NHTKey("abc", 3) == NHTKey("abd", 3));
  EXPECT_TRUE(NHTKey() == NHTKey(nullptr, 0));
  EXPECT_EQ(NHTKey::FromUInt32(0x04030201u), NHTKey("\x01\x02\x03\x04", 4));
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
    const NHTKey key = NHTKey::FromUInt32(id);
    if (random() % 3 == 0) {
      EXPECT_EQ(table.Remove(key), reference.erase(id) == 1) << id;
    } else {
      ASSERT_TRUE(table.Insert(key, step));
      reference[id] = step;
    }
    if (step % 500 == 0 || step == 4999) {
      ASSERT_EQ(table.Count(), reference.size());
      for (std::uint32_t probe = 0; probe < 300; ++probe) {
        int* found = table.Find(NHTKey::FromUInt32(probe));
        auto it = reference.find(probe);
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
  EXPECT_EQ(*table.Find(NHTKey::FromUInt32(5)), 7);
  // A bad bucket count changes nothing; what was stored is still found.
  EXPECT_FALSE(table.RemoveAll(25));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  ASSERT_NE(table.Find(NHTKey::FromUInt32(5)), nullptr);
  const auto& constTable = table;
  EXPECT_EQ(*constTable.Find(NHTKey::FromUInt32(5)), 7);
}

TEST(HashTabOf, OwningTableDeletesReplacedRemovedAndRemainingObjects) {
  Tracked::Log().clear();
  {
    TNHashTabOfADPtrTo<Tracked> table;
    for (int id = 0; id < 4; ++id)
      ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(id), new Tracked(id)));
    ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(1), new Tracked(10)));  // replaces 1
    ASSERT_TRUE(table.Remove(NHTKey::FromUInt32(2)));
    EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, 2}));
    EXPECT_EQ((*table.Find(NHTKey::FromUInt32(1)))->Id(), 10);
  }
  // What remained, in insertion order.
  EXPECT_EQ(Tracked::Log(), (std::vector<int>{1, 2, 0, 10, 3}));
}

using H = TNHashTabOf<int>;
BITVANE_WILD_CALL int* WildFind() {
  return test::WildPointer<H>()->Find(NHTKey::FromUInt32(1));
}
BITVANE_WILD_CALL bool WildInsert() {
  return test::WildPointer<H>()->Insert(NHTKey::FromUInt32(1), 2);
}
BITVANE_WILD_CALL std::uint32_t WildCount() {
  return test::WildPointer<H>()->Count();
}

TEST(HashTabOf, ImplausibleTableAddressFailsWithoutTouchingMemory) {
  EXPECT_EQ(WildFind(), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(WildInsert());
  EXPECT_EQ(WildCount(), 0u);
}

}  // namespace
}  // namespace bitvane
