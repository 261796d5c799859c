#include "foundation/str_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "foundation/str_arr.h"
#include "tests/support/freed_memory_probe.h"

namespace bitvane {
namespace {

using Strings = std::vector<std::u16string>;

Strings Elements(const NSTRList& list) {
  return Strings(list.begin(), list.end());
}

std::u16string CsvOf(const Strings& elements) {
  NSTRList list;
  for (const auto& e : elements) list.Add(e);
  return list.ToCsv();
}

TEST(STRList, ReadsCommaSeparatedFields) {
  struct Row {
    const char16_t* csv;
    Strings elements;
  };
  const Row rows[] = {
      {u"a,\"b,c\",", {u"a", u"b,c", u""}},
      {u"x\r\ny\rz\nw", {u"x", u"y", u"z", u"w"}},
      {u"\"d\"\"e\"", {u"d\"e"}},
      {u"", {}},
      {u"\"\"", {u""}},
      {u",", {u"", u""}},
      {u"\"open", {u"open"}},
      {u"\"", {u""}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Elements(NSTRList(row.csv)), row.elements)
        << std::string(row.csv, row.csv + std::char_traits<char16_t>::length(row.csv));
  }
  EXPECT_EQ(NSTRList(static_cast<const char16_t*>(nullptr)).Count(), 0u);
  // A view is read whole; the zero-terminated text ends at its 0.
  constexpr char16_t kWithZero[] = u"C,9\0x,y";
  EXPECT_EQ(Elements(NSTRList(std::u16string_view(kWithZero, 7))),
            (Strings{u"C", std::u16string(u"9\0x", 3), u"y"}));
  EXPECT_EQ(Elements(NSTRList(kWithZero)), (Strings{u"C", u"9"}));
}

TEST(STRList, WritesCommaSeparatedFields) {
  EXPECT_EQ(CsvOf({u"a b", u"x\"y", u"z"}), u"\"a b\",\"x\"\"y\",z");
  EXPECT_EQ(CsvOf({u"", u"", u"a"}), u",,a");
  EXPECT_EQ(CsvOf({u"\x7F", u"\t", u"é"}), u"\"\x7F\",\"\t\",é");
  EXPECT_EQ(CsvOf({}), u"");
  EXPECT_EQ(CsvOf({u""}), u"\"\"");
}

TEST(STRList, CsvRoundTripsAnyList) {
  const char16_t alphabet[] = {u'a',  u'"', u',', u'\r',  u'\n',  u' ',
                               u'\0', 0x7F, 0x1F, 0xD800, 0xFFFF, u'\\'};
  std::mt19937 random(7);
  for (int round = 0; round < 2000; ++round) {
    Strings elements(random() % 5);
    for (auto& e : elements) {
      for (std::size_t n = random() % 6; n > 0; --n) e += alphabet[random() % std::size(alphabet)];
    }
    const std::u16string csv = CsvOf(elements);
    EXPECT_EQ(Elements(NSTRList(csv)), elements) << "round " << round;
  }
}

TEST(STRList, EveryUnitAndAMegabyteRoundTrip) {
  Strings units;
  for (std::uint32_t unit = 1; unit <= 0xFFFF; ++unit) {
    units.emplace_back(1, static_cast<char16_t>(unit));
    units.push_back(u"x" + units.back());
  }
  EXPECT_EQ(Elements(NSTRList(CsvOf(units))), units);
  const std::u16string commas(1 << 16, u',');
  EXPECT_EQ(NSTRList(commas).Count(), (1u << 16) + 1);
  const Strings big{std::u16string(1 << 20, u'"'), u""};
  EXPECT_EQ(Elements(NSTRList(CsvOf(big))), big);
}

TEST(STRList, SplitLines) {
  struct Row {
    std::u16string text;
    Strings lines;
  };
  const Row rows[] = {
      {u"a\r\nb\r\n", {u"a", u"b"}},
      {u"a\n\nb", {u"a", u"", u"b"}},
      {u"a\r\rb\n\r\nc", {u"a", u"", u"b", u"", u"c"}},
      {u"", {}},
      {u"\r\n", {u""}},
      {u"last", {u"last"}},
  };
  NSTRList list;
  for (const Row& row : rows) {
    list.SplitLines(row.text);
    EXPECT_EQ(Elements(list), row.lines);
  }
}

TEST(STRList, SetFromMultiString) {
  NSTRList list;
  list.SetFromMultiString(u"one\0two\0\0three\0");
  EXPECT_EQ(Elements(list), (Strings{u"one", u"two"}));
  list.SetFromMultiString(nullptr);
  EXPECT_EQ(list.Count(), 0u);
  // The counted form stays inside its length, and keeps an unterminated last string.
  const char16_t block[] = {u'a', 0, u'b', u'c'};
  list.SetFromMultiString(block, 4);
  EXPECT_EQ(Elements(list), (Strings{u"a", u"bc"}));
  list.SetFromMultiString(block, 0);
  EXPECT_EQ(list.Count(), 0u);
}

TEST(STRList, SplitAt) {
  struct Row {
    std::u16string text;
    std::initializer_list<std::u16string_view> separators;
    Strings parts;
  };
  const Row rows[] = {
      {u"HKCU\\Software\\Kelmo", {u"\\"}, {u"HKCU", u"Software", u"Kelmo"}},
      {u"a::b;c", {u";", u"::"}, {u"a", u"b", u"c"}},
      {u"\\a\\\\b\\", {u"\\"}, {u"", u"a", u"", u"b", u""}},
      {u"xaby", {u"ab", u"b"}, {u"x", u"y"}},
      {u"", {u","}, {u""}},
      {u"a,b", {}, {u"a,b"}},
      {u"a,b", {u""}, {u"a,b"}},
  };
  NSTRList list;
  for (const Row& row : rows) {
    list.SplitAt(row.text, row.separators);
    EXPECT_EQ(Elements(list), row.parts);
  }
  list.SplitAtBackslash(u"HKCU\\x");
  EXPECT_EQ(Elements(list), (Strings{u"HKCU", u"x"}));
}

TEST(STRList, RemoveHead) {
  NSTRList list(u"a,b");
  EXPECT_EQ(list.RemoveHead(), u"a");
  EXPECT_EQ(list.RemoveHead(), u"b");
  EXPECT_EQ(list.RemoveHead(), u"");
}

// With the wipe flag, freed memory never holds the secret; without it, it does,
// which shows that the probe would see a leak.
const std::u16string kSecret = u"Sesame-7QX long enough to live on the heap";
const std::u16string kShort = u"Zq9!";  // short enough for the string's inline buffer

std::size_t LeaksOfListOperations(bool wipe, const std::u16string& secret) {
  const std::u16string quoted = u"y,\"" + secret + u"\"";  // outlives the probe
  FreedMemoryProbe probe(secret);
  {
    NSTRList list(u"x", wipe);
    list.Add(secret);
    list.Add(secret);
    list.Add(secret);
    list.Add(quoted);
    EXPECT_EQ(list.RemoveHead(), u"x");
    auto* overwritten = list.Head();
    list.ReleaseElement(overwritten->value, u"other");  // overwrite
    (void)list.Remove(list.NodeAt(1));                  // release one
    std::u16string csv = list.ToCsv();                  // temporaries
    NSTRCont::WipeString(csv);
    NSTRList read(csv, wipe);
    list.RemoveAll();  // release the rest
  }
  return probe.Hits();
}

TEST(STRList, WipeLeavesNoCopyInFreedMemory) {
  for (const std::u16string* secret : {&kSecret, &kShort}) {
    EXPECT_EQ(LeaksOfListOperations(true, *secret), 0u)
        << std::string(secret->begin(), secret->end());
    EXPECT_GT(LeaksOfListOperations(false, *secret), 0u)
        << std::string(secret->begin(), secret->end());
  }
}

TEST(STRArr, WipeLeavesNoCopyInFreedMemory) {
  for (const std::u16string* secret : {&kSecret, &kShort}) {
    for (bool wipe : {true, false}) {
      std::size_t hits;
      {
        FreedMemoryProbe probe(*secret);
        {
          NSTRArr array(wipe);
          for (int i = 0; i < 40; ++i) ASSERT_TRUE(array.Add(*secret));  // grows many times
          ASSERT_TRUE(array.InsertAt(1, *secret));
          ASSERT_TRUE(array.SetAt(0, u"replaced"));
          ASSERT_TRUE(array.SetAt(2, array[3]));  // from inside the array
          ASSERT_TRUE(array.SetAt(45, *secret));  // grows
          ASSERT_TRUE(array.RemoveAt(1));
          ASSERT_TRUE(array.Resize(3));
        }
        hits = probe.Hits();
      }
      if (wipe) {
        EXPECT_EQ(hits, 0u) << secret->size();
      } else if (secret == &kSecret) {
        EXPECT_GT(hits, 0u);  // the probe does see heap copies when nothing wipes
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
