#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/arr_of.h"
#include "foundation/auto_ptr.h"
#include "foundation/crc32.h"
#include "foundation/hash_tab_of.h"
#include "foundation/list_of.h"
#include "foundation/scratch_buffer.h"
#include "foundation/seg_arr_of.h"
#include "foundation/str_arr.h"
#include "foundation/str_list.h"
#include "foundation/text_builder.h"
#include "tests/support/freed_memory_probe.h"
#include "tests/support/text.h"
#include "tests/support/tracked.h"

namespace bitvane {
namespace {

using test::Counted;
using test::Tracked;
using Log = std::vector<int>;
using Strings = std::vector<std::u16string>;

// Position i (key i for tables); calls may go through a wild pointer.
template <class OwningKind, class PlainKind, bool releasesLastFirst>
struct Kind {
  using Owning = OwningKind;
  using Plain = PlainKind;
  static constexpr bool kReleasesLastFirst = releasesLastFirst;
};
struct Arrays : Kind<TNArrOfADPtrTo<Tracked>, TNArrOfPtrTo<Tracked>, true> {
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return i == static_cast<int>(c->Count()) ? c->Add(v) : c->SetAt(i, v);
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->RemoveAt(i); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) { return c->Get(i); }
  BITVANE_WILD_CALL static bool Clear(Plain* c) { return (c->RemoveAll(), false); }
};
struct Lists : Kind<TNListOfADPtrTo<Tracked>, TNListOfPtrTo<Tracked>, false> {
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return i < static_cast<int>(c->Count()) ? c->SetValue(c->NodeAt(i), v) : c->Add(v) != nullptr;
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->Remove(c->NodeAt(i)); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) { return c->Get(i); }
  BITVANE_WILD_CALL static bool Clear(Plain* c) { return (c->RemoveAll(), false); }
};
struct Tables : Kind<TNHashTabOfADPtrTo<Tracked>, TNHashTabOfPtrTo<Tracked>, false> {
  BITVANE_WILD_CALL static bool Put(Plain* c, int i, Tracked* v) {
    return c->Insert(NHTKey::FromUInt32(i), v);
  }
  BITVANE_WILD_CALL static bool Drop(Plain* c, int i) { return c->Remove(NHTKey::FromUInt32(i)); }
  BITVANE_WILD_CALL static Tracked* Get(Plain* c, int i) {
    Tracked** found = c->Find(NHTKey::FromUInt32(i));
    return found != nullptr ? *found : nullptr;
  }
  BITVANE_WILD_CALL static bool Clear(Plain* c) { return c->RemoveAll(4); }
};
template <class C>
BITVANE_WILD_CALL std::uint32_t CountOf(C* c) {
  return c->Count();
}

template <class P>
class Containers : public ::testing::Test {};
using Kinds = ::testing::Types<Arrays, Lists, Tables>;
TYPED_TEST_SUITE(Containers, Kinds);

TYPED_TEST(Containers, OwningKindDeletesWhatItReleasesThroughTheVirtualDestructor) {
  using P = TypeParam;
  Tracked::log.clear();
  {
    typename P::Owning c;
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(P::Put(&c, i, new Tracked(i)));
    ASSERT_TRUE(P::Put(&c, 4, new test::TrackedDerived(4)));
    ASSERT_TRUE(P::Put(&c, 1, new Tracked(10)));  // deletes 1
    ASSERT_TRUE(P::Put(&c, 1, P::Get(&c, 1)));    // the same pointer again: kept
    ASSERT_TRUE(P::Drop(&c, 4) && !P::Drop(&c, 4) && P::Drop(&c, 0));
    EXPECT_EQ(CountOf(&c), 3u);
    {
      typename P::Plain plain;  // holds, replaces and drops, deleting nothing
      ASSERT_TRUE(P::Put(&plain, 0, P::Get(&c, 1)) && P::Put(&plain, 0, P::Get(&c, 2)));
    }
    EXPECT_EQ(Tracked::log, (Log{1, -4, 4, 0}));
    Tracked::log.clear();
  }
  EXPECT_EQ(Tracked::log, P::kReleasesLastFirst ? (Log{3, 2, 10}) : (Log{10, 2, 3}));
}

TYPED_TEST(Containers, ImplausibleAddressFailsWithoutTouchingMemory) {
  using P = TypeParam;
  auto* wild = test::kWildPointer<typename P::Plain>;
  EXPECT_FALSE(P::Put(wild, 0, nullptr) || P::Put(wild, 3, nullptr) || P::Drop(wild, 0));
  EXPECT_FALSE(P::Get(wild, 0) != nullptr || CountOf(wild) != 0 || P::Clear(wild));
}

TEST(ArrOf, CapacityIndexesInsertAndRemoveAndEveryValueIsDestroyed) {
  using Values = std::vector<Counted>;
  const std::array<std::uint32_t, 3> rows[] = {
      {0, 5, 5}, {4, 5, 8}, {4, 8, 8}, {16, 1, 16}, {3, 0, 0}};
  for (const auto& [step, count, capacity] : rows) {
    TNArrOf<int> array(step);
    ASSERT_TRUE(array.Resize(count));
    EXPECT_EQ(std::pair(array.Count(), array.Capacity()), std::pair(count, capacity)) << step;
  }
  Counted::live = 0;
  {
    TNArrOf<Counted> array;
    for (int v : {2, 3, 5}) ASSERT_TRUE(array.Add(v));
    ASSERT_TRUE(array.InsertAt(2, 4) && array.InsertAt(0, 1) && array.InsertAt(5, 6));
    EXPECT_FALSE(array.InsertAt(7, 9));
    EXPECT_EQ(std::pair(array[-1].id, array[-6].id), std::pair(6, 1));
    EXPECT_TRUE(&array[6] == &array.DefaultElement() && &array[-7] == &array.DefaultElement());
    EXPECT_EQ(Values(array.begin(), array.end()), (Values{1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(array.RemoveAt(-1) && array.RemoveAt(0));
    EXPECT_FALSE(array.RemoveAt(4));
    Counted::copies = 0;
    ASSERT_TRUE(array.SetAt(1, Counted(3)));  // from outside: assigned, never copied
    EXPECT_EQ(Counted::copies, 0);
    ASSERT_TRUE(array.InsertAt(0, array[3]));  // a value that lives inside the array itself
    ASSERT_TRUE(array.At(7) != nullptr && array.At(-9) == nullptr);
    ASSERT_TRUE(array.SetAt(-1, 8));
    EXPECT_EQ(Values(array.begin(), array.end()), (Values{5, 2, 3, 4, 5, 0, 0, 8}));
    ASSERT_TRUE(array.Resize(4));
    EXPECT_EQ(Counted::live, 4);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(ListOf, HeadInsertFindDetachAndIndexesFromEitherEnd) {
  TNListOf<int> list;
  list.Add(3);
  list.AddHead(2);
  list.AddHead(1);
  int out = 0;
  EXPECT_TRUE(list.Find(3) == list.Tail() && list.Detach(list.Head(), out) && out == 1);
  list.RemoveAll();
  EXPECT_EQ(list.Head(), nullptr);
  for (int i = 0; i < 9; ++i) list.Add(i);
  EXPECT_EQ(std::vector<int>(list.begin(), list.end()),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  for (int i = -10; i < 10; ++i) {  // beyond either end: the default element
    const bool inside = i >= -9 && i <= 8;
    EXPECT_EQ(&list[i] == &TNListOf<int>::DefaultElement(), !inside) << i;
    EXPECT_EQ(list[i], inside ? (i + 9) % 9 : 0) << i;
  }
  TNListOfADPtrTo<Tracked> owning;  // detaching hands the object over undeleted
  Tracked* taken = nullptr;
  ASSERT_TRUE(owning.Detach(owning.Add(new Tracked(7)), taken));
  EXPECT_EQ(std::unique_ptr<Tracked>(taken)->id, 7);
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
    EXPECT_TRUE(!list.Remove(bad) && GetLastError() == ERROR_INVALID_PARAMETER);
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
  Counted::live = 0;
  TNSegArrOf<Counted, 2> array;  // 4 elements per segment
  std::vector<const Counted*> places;
  for (int i = 1; i <= 9; ++i) places.push_back(array.Add(Counted(i)));
  EXPECT_EQ(array.SegmentCount(), 3u);
  for (std::uint32_t i = 0; i < 9; ++i) {
    EXPECT_TRUE(array.At(i) == places[i] && places[i]->id == static_cast<int>(i) + 1) << i;
  }
  EXPECT_EQ(array.At(9), nullptr);
  array.RemoveAll();
  EXPECT_EQ(std::pair(Counted::live, array.SegmentCount()), std::pair(0, 0u));
}

TEST(HTKey, InlineOrOutsideCopiesMovesEqualityAndSetting) {
  const unsigned char bytes[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  for (std::uint32_t length = 0; length <= 12; ++length) {
    NHTKey key(bytes, length);
    EXPECT_EQ(std::tuple(key.Length(), key.IsInline(), key.Hash()),
              std::tuple(length, length <= 10, Crc32(bytes, length)));
    EXPECT_TRUE(key.Bytes() != bytes && std::memcmp(key.Bytes(), bytes, length) == 0) << length;
    NHTKey copy(key), moved(std::move(key));
    EXPECT_TRUE(copy == moved && key == NHTKey()) << length;  // moved from: empty
  }
  EXPECT_FALSE(NHTKey("abc", 3) == NHTKey("abcd", 4) || NHTKey("abc", 3) == NHTKey("abd", 3));
  EXPECT_EQ(NHTKey::FromUInt32(0x04030201u), NHTKey("\x01\x02\x03\x04", 4));
  EXPECT_EQ(NHTKey(nullptr, 3), NHTKey());  // refused, not thrown
  SetLastError(ERROR_OUTOFMEMORY);          // a stale code is no failure
  EXPECT_EQ(NHTKey("abc", 3).Length(), 3u);
  NHTKey key;
  EXPECT_TRUE(!key.Set(nullptr, 3) && GetLastError() == ERROR_INVALID_PARAMETER);
  ASSERT_TRUE(key.Set("a long key, longer than ten", 27));
  ASSERT_TRUE(key.Set(key.Bytes() + 2, 4));  // from its own bytes
  EXPECT_EQ(key, NHTKey("long", 4));
  EXPECT_TRUE(NClassInfo::IsKindOf(&key, NClassInfo::StaticRecord()) &&
              NClassInfo::IsKindOf(&key, NHTKey::StaticRecord()));
  NHTKey target("a key to be overwritten", 23);
  FreedMemoryProbe probe("a key to be overwritten", 23);
  target = NHTKey("another long key", 16);  // the old bytes are freed, not leaked
  EXPECT_EQ(probe.Hits(), 1u);
}

TEST(HashTabOf, SharedBucketsInsertReplaceRemoveAndFind) {
  TNHashTabOf<int> table(3);  // 8 buckets for 300 keys: every bucket is shared
  const auto key = [](int i) { return NHTKey::FromUInt32(static_cast<std::uint32_t>(i)); };
  for (int i = 0; i < 300; ++i) ASSERT_TRUE(table.Insert(key(i), i));
  for (int i = 0; i < 300; i += 3) ASSERT_TRUE(table.Remove(key(i)));
  for (int i = 1; i < 300; i += 3) ASSERT_TRUE(table.Insert(key(i), -i));  // replaces
  EXPECT_FALSE(table.Remove(key(0)));
  EXPECT_EQ(table.Count(), 200u);
  for (int i = 0; i < 300; ++i) {
    const int* found = table.Find(key(i));
    EXPECT_EQ(found != nullptr                    ? *found
              : GetLastError() == ERROR_NOT_FOUND ? 0
                                                  : 999,
              i % 3 == 0   ? 0
              : i % 3 == 1 ? -i
                           : i);
  }
}

TEST(HashTabOf, EmptyingToANewBucketCount) {
  TNHashTabOf<int> table(12);
  EXPECT_EQ(table.BucketCount(), 4096u);
  for (std::uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(i), 1));
  ASSERT_TRUE(table.RemoveAll(6));
  EXPECT_EQ(std::pair(table.BucketCount(), table.Count()), std::pair(64u, 0u));
  EXPECT_EQ(table.Find(NHTKey::FromUInt32(5)), nullptr);
  ASSERT_TRUE(table.Insert(NHTKey::FromUInt32(5), 7));
  EXPECT_FALSE(table.RemoveAll(25));  // a bad bucket count changes nothing
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(*std::as_const(table).Find(NHTKey::FromUInt32(5)), 7);
  EXPECT_FALSE(TNHashTabOf<int>(25).Insert(NHTKey::FromUInt32(5), 7));
}

TEST(AutoPtr, DeleteReleasesTheOldPointerAndFreeAllocatesZeroedMemory) {
  Tracked::log.clear();
  {
    TNAutoDelPtrTo<Tracked> owner(new Tracked(1));
    owner = new test::TrackedDerived(2);
    owner = owner.Get();  // the same pointer again: kept
    EXPECT_EQ(Tracked::log, (Log{1}));
    Tracked* taken = owner.Detach();
    EXPECT_TRUE(!owner && taken->id == 2);
    owner = taken;
  }
  EXPECT_EQ(Tracked::log, (Log{1, -2, 2}));
  TNAutoFreePtrTo<char16_t> text;
  EXPECT_TRUE(text.Allocate(8) && std::u16string(text.Get(), 8) == std::u16string(8, 0));
  TNAutoFreePtrTo<void> bytes;
  ASSERT_TRUE(bytes.Allocate(3));
  bytes = std::malloc(5);  // the 3 bytes are freed (ASan would see a leak otherwise)
  EXPECT_TRUE(bytes && bytes.Allocate(0) && !bytes);
}

TEST(ClassInfo, LivenessFollowsTheObjectsLife) {
  auto* object = new NClassInfo;
  EXPECT_TRUE(NClassInfo::IsLive(object) && !NClassInfo::IsLive(nullptr) &&
              !NClassInfo::IsLive(reinterpret_cast<NClassInfo*>(0x100)));
  object->~NClassInfo();
  EXPECT_FALSE(NClassInfo::IsLive(object));  // storage still ours, signature cleared
  ::operator delete(object);
}

TEST(NScratchBuffer, ZeroFilledOfItsSize) {
  NScratchBuffer buffer, one(1);
  const NScratchBuffer empty(0);
  EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + buffer.Size(), [](auto b) { return !b; }));
  one.Data()[one.Size() - 1] = 0xFF;  // the byte is ours; ASan checks the bound
  EXPECT_TRUE(buffer.Size() == 65536 && empty.Data() == nullptr && empty.Size() == 0);
}

Strings Elements(const NSTRList& list) {
  return Strings(list.begin(), list.end());
}

TEST(STRList, CommaSeparatedFieldsLinesMultiStringsAndSeparators) {
  const auto csvOf = [](const Strings& elements) {
    NSTRList list;
    for (const auto& e : elements) list.Add(e);
    return list.ToCsv();
  };
  // clang-format off
  for (const auto& [csv, elements] : std::vector<std::pair<std::u16string, Strings>>{
           {u"a,\"b,c\",", {u"a", u"b,c", u""}}, {u"x\r\ny\nz", {u"x", u"y", u"z"}},
           {u"", {}}, {u"\"\"", {u""}}, {u",", {u"", u""}}}) {
    EXPECT_EQ(Elements(NSTRList(csv)), elements) << test::Narrow(csv);
  }
  for (const auto& [elements, csv] : std::vector<std::pair<Strings, std::u16string>>{
           {{u"a b", u"x\"y", u"!~\x80"}, u"\"a b\",\"x\"\"y\",!~\x80"},
           {{u"\x7F", u"\t", u",", u""}, u"\"\x7F\",\"\t\",\",\","}, {{u"", u"", u"a"}, u",,a"},
           {{}, u""}, {{u""}, u"\"\""}}) {
    EXPECT_EQ(csvOf(elements), csv) << test::Narrow(csv);
  }
  // clang-format on
  constexpr char16_t kWithZero[] = u"C,9\0x,y";
  EXPECT_EQ(Elements(NSTRList(std::u16string_view(kWithZero, 7))),
            (Strings{u"C", std::u16string(u"9\0x", 3), u"y"}));
  EXPECT_EQ(Elements(NSTRList(kWithZero)), (Strings{u"C", u"9"}));
  // Linear time.
  EXPECT_EQ(NSTRList(std::u16string(1 << 16, u',')).Count(), (1u << 16) + 1);
  const Strings quotes{std::u16string(1 << 20, u'"'), u""};
  EXPECT_EQ(Elements(NSTRList(csvOf(quotes))), quotes);

  NSTRList list(u"old");  // each split replaces the contents
  // clang-format off
  for (const auto& [text, lines] : std::vector<std::pair<std::u16string, Strings>>{
           {u"a\r\nb\r\n", {u"a", u"b"}}, {u"", {}}, {u"\nlast", {u"", u"last"}},
           {u"a\r\rb\n\r\nc", {u"a", u"", u"b", u"", u"c"}}}) {
    // clang-format on
    list.SplitLines(text);
    EXPECT_EQ(Elements(list), lines) << test::Narrow(text);
  }
  list.SetFromMultiString(u"one\0two\0\0three\0");
  EXPECT_EQ(Elements(list), (Strings{u"one", u"two"}));
  // The counted form stays inside its length, and keeps an unterminated last string.
  const char16_t block[] = {u'a', 0, u'b', u'c'};
  list.SetFromMultiString(block, 4);
  EXPECT_EQ(Elements(list), (Strings{u"a", u"bc"}));
  list.SetFromMultiString(block, 0);
  EXPECT_EQ(list.Count(), 0u);
  const auto split = [&](std::u16string_view text, std::initializer_list<std::u16string_view> at) {
    list.SplitAt(text, at);
    return Elements(list);
  };
  EXPECT_EQ(split(u"a::b;c", {u";", u"::"}), (Strings{u"a", u"b", u"c"}));
  EXPECT_EQ(split(u"\\a\\\\b\\", {u"\\"}), (Strings{u"", u"a", u"", u"b", u""}));
  EXPECT_EQ(split(u"xaby", {u"a", u"ab", u"b"}), (Strings{u"x", u"", u"y"}));  // first listed wins
  EXPECT_EQ(split(u"", {u","}), (Strings{u""}));
  EXPECT_EQ(split(u"a,b", {u""}), (Strings{u"a,b"}));
  list.SplitAtBackslash(u"HKCU\\x");
  EXPECT_EQ(list.RemoveHead(), u"HKCU");
  EXPECT_TRUE(list.RemoveHead() == u"x" && list.RemoveHead().empty());
}

// Without the wipe flag the probe must see the secret, or it proves nothing.
TEST(STRCont, WipeLeavesNoCopyInFreedMemory) {
  const std::u16string secrets[] = {u"Sesame-7QX long enough to live on the heap",
                                    u"Zq9!"};  // short enough for the string's inline buffer
  for (const std::u16string& secret : secrets) {
    const std::u16string quoted = u"y,\"" + secret + u"\"";  // outlives the probe
    for (const bool wipe : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "length " << secret.size() << " wipe " << wipe);
      std::optional<FreedMemoryProbe> probe(std::in_place, secret);
      {
        NSTRList list(u"x", wipe);
        for (int i = 0; i < 3; ++i) list.Add(secret);
        list.Add(quoted);
        EXPECT_EQ(list.RemoveHead(), u"x");
        list.ReleaseElement(list.Head()->value, u"other");  // overwrite
        (void)list.Remove(list.NodeAt(1));                  // release one
        std::u16string csv = list.ToCsv();                  // temporaries
        NSTRCont::WipeString(csv);
        NSTRList read(csv, wipe);
        list.RemoveAll();  // release the rest
      }
      EXPECT_EQ(probe->Hits() == 0, wipe);
      probe.emplace(secret);
      {
        NSTRArr array(wipe);
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(array.Add(secret));  // grows many times
        ASSERT_TRUE(array.InsertAt(1, secret) && array.SetAt(0, u"replaced"));
        ASSERT_TRUE(array.SetAt(2, array[3]));  // from inside the array
        ASSERT_TRUE(array.SetAt(45, secret));   // grows
        ASSERT_TRUE(array.RemoveAt(1) && array.Resize(3));
      }
      // The short one stays inside the string objects.
      EXPECT_TRUE(wipe ? probe->Hits() == 0 : probe->Hits() > 0 || secret.size() < 20);
    }
  }
}

std::u16string Pattern(std::size_t length, std::size_t start = 0) {
  std::u16string text;
  for (std::size_t i = start; i < start + length; ++i) text += char16_t(1 + i * 7 % 0xFFFE);
  return text;
}

void ExpectText(TextBuilder& builder, const std::u16string& expected) {
  ASSERT_EQ(builder.Length(), expected.size());
  ASSERT_EQ(builder.Text(), expected);
  const char16_t* joined = builder.Get();
  ASSERT_EQ(std::u16string_view(joined, expected.size() + 1), expected + u'\0');
  ASSERT_EQ(builder.Get(), joined);  // already one chunk: no second join
}

TEST(TextBuilder, PiecesAcrossChunkBoundariesItsOwnTextAndReuse) {
  for (const auto& row : std::vector<std::vector<std::size_t>>{
           {0}, {65536}, {65535, 1}, {65535, 2}, {65536, 1}, {65537, 65535, 65536, 2}}) {
    for (const bool joinEachTime : {false, true}) {
      SCOPED_TRACE(::testing::PrintToString(row) + (joinEachTime ? " joined each time" : ""));
      TextBuilder builder;
      std::u16string expected;
      for (const std::size_t length : row) {
        const std::u16string piece = Pattern(length, expected.size());
        builder.Append(piece);
        expected += piece;
        if (joinEachTime) ExpectText(builder, expected);
      }
      ExpectText(builder, expected);
    }
  }
  TextBuilder builder;
  builder.Append(nullptr, 5);
  builder.Append(u"xyz", 0);
  builder.Append(Pattern(40000));
  builder.Append(builder.Get(), builder.Length());  // needs a second chunk
  ExpectText(builder, Pattern(40000) + Pattern(40000));
  builder.Release();
  ExpectText(builder, u"");
  // Chunks are whole multiples of 65536 characters: the join of two moves the text.
  for (const std::size_t first : {1, 65536}) {
    TextBuilder chunks;
    chunks.Append(Pattern(first));
    const char16_t* start = chunks.Get();
    chunks.Append(Pattern(65536 - first));
    EXPECT_EQ(chunks.Get(), start) << first;
    chunks.Append(u"b");
    EXPECT_NE(chunks.Get(), start) << first;
  }
}

// Without the wipe the probe must see the text, or it proves nothing.
TEST(TextBuilder, WipeLeavesNoTextInFreedMemory) {
  const std::u16string secret = u"~Secret~Marker~!";
  std::u16string piece;
  for (int i = 0; i < 1000; ++i) piece += secret;
  for (const bool wipe : {true, false}) {
    FreedMemoryProbe probe(secret);
    {
      TextBuilder builder(wipe);
      for (int i = 0; i < 20; ++i) builder.Append(piece);  // 320,000 characters
      ASSERT_NE(builder.Get(), nullptr);
      builder.Append(piece);
      builder.Release();
      builder.Append(piece);
    }  // the destructor releases
    EXPECT_GE(probe.BlocksScanned(), 6u) << "wipe " << wipe;
    EXPECT_TRUE(wipe ? probe.Hits() == 0 : probe.Hits() >= 6) << "wipe " << wipe;
  }
}

}  // namespace
}  // namespace bitvane
