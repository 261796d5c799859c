#include "foundation/str_list.h"

#include <gtest/gtest.h>

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
      {u"x\r\ny\nz", {u"x", u"y", u"z"}},
      {u"", {}},
      {u"\"\"", {u""}},
      {u",", {u"", u""}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(&row - rows);
    EXPECT_EQ(Elements(NSTRList(row.csv)), row.elements);
  }
  EXPECT_EQ(NSTRList(static_cast<const char16_t*>(nullptr)).Count(), 0u);
  constexpr char16_t kWithZero[] = u"C,9\0x,y";
  EXPECT_EQ(Elements(NSTRList(std::u16string_view(kWithZero, 7))),
            (Strings{u"C", std::u16string(u"9\0x", 3), u"y"}));
  EXPECT_EQ(Elements(NSTRList(kWithZero)), (Strings{u"C", u"9"}));
}

TEST(STRList, WritesCommaSeparatedFields) {
  struct Row {
    Strings elements;
    std::u16string csv;
  };
  const Row rows[] = {
      {{u"a b", u"x\"y", u"!~\x80"}, u"\"a b\",\"x\"\"y\",!~\x80"},
      {{u"\x7F", u"\t", u",", u""}, u"\"\x7F\",\"\t\",\",\","},
      {{u"", u"", u"a"}, u",,a"},
      {{}, u""},
      {{u""}, u"\"\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(&row - rows);
    EXPECT_EQ(CsvOf(row.elements), row.csv);
  }
}

TEST(STRList, CsvRoundTripsEveryCodeUnitAndLargeLists) {
  Strings units;  // every code unit, alone and after another character
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    units.emplace_back(1, static_cast<char16_t>(unit));
    units.push_back(u"x" + units.back());
  }
  EXPECT_EQ(Elements(NSTRList(CsvOf(units))), units);
  // Linear time.
  EXPECT_EQ(NSTRList(std::u16string(1 << 16, u',')).Count(), (1u << 16) + 1);
  const Strings quotes{std::u16string(1 << 20, u'"'), u""};
  EXPECT_EQ(Elements(NSTRList(CsvOf(quotes))), quotes);
}

TEST(STRList, SplitsLinesMultiStringsAndAtSeparators) {
  struct Row {
    std::u16string text;
    Strings lines;
  };
  NSTRList list(u"old");  // each split replaces the contents
  for (const Row& row : {Row{u"a\r\nb\r\n", {u"a", u"b"}}, Row{u"a\n\nb", {u"a", u"", u"b"}},
                         Row{u"a\r\rb\n\r\nc", {u"a", u"", u"b", u"", u"c"}}, Row{u"", {}},
                         Row{u"\nlast", {u"", u"last"}}}) {
    list.SplitLines(row.text);
    EXPECT_EQ(Elements(list), row.lines);
  }
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

  struct SplitRow {
    std::u16string text;
    std::initializer_list<std::u16string_view> separators;
    Strings parts;
  };
  const SplitRow rows[] = {
      {u"a::b;c", {u";", u"::"}, {u"a", u"b", u"c"}},
      {u"\\a\\\\b\\", {u"\\"}, {u"", u"a", u"", u"b", u""}},
      {u"xaby", {u"a", u"ab", u"b"}, {u"x", u"", u"y"}},  // a tie goes to the first listed
      {u"", {u","}, {u""}},
      {u"a,b", {u""}, {u"a,b"}},
  };
  for (const SplitRow& row : rows) {
    SCOPED_TRACE(&row - rows);
    list.SplitAt(row.text, row.separators);
    EXPECT_EQ(Elements(list), row.parts);
  }
  list.SplitAtBackslash(u"HKCU\\x");
  EXPECT_EQ(Elements(list), (Strings{u"HKCU", u"x"}));
  EXPECT_EQ(list.RemoveHead(), u"HKCU");
  EXPECT_EQ(list.RemoveHead(), u"x");
  EXPECT_EQ(list.RemoveHead(), u"");
}

template <class F>
std::size_t Leaks(const std::u16string& secret, F operations) {
  FreedMemoryProbe probe(secret);
  operations();
  return probe.Hits();
}

// Without the wipe flag the probe must see the secret, or it proves nothing.
TEST(STRCont, WipeLeavesNoCopyInFreedMemory) {
  const std::u16string secrets[] = {u"Sesame-7QX long enough to live on the heap",
                                    u"Zq9!"};  // short enough for the string's inline buffer
  for (const std::u16string& secret : secrets) {
    const std::u16string quoted = u"y,\"" + secret + u"\"";  // outlives the probe
    for (const bool wipe : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "length " << secret.size() << " wipe " << wipe);
      const std::size_t listLeaks = Leaks(secret, [&] {
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
      });
      const std::size_t arrayLeaks = Leaks(secret, [&] {
        NSTRArr array(wipe);
        for (int i = 0; i < 40; ++i) ASSERT_TRUE(array.Add(secret));  // grows many times
        ASSERT_TRUE(array.InsertAt(1, secret));
        ASSERT_TRUE(array.SetAt(0, u"replaced"));
        ASSERT_TRUE(array.SetAt(2, array[3]));  // from inside the array
        ASSERT_TRUE(array.SetAt(45, secret));   // grows
        ASSERT_TRUE(array.RemoveAt(1));
        ASSERT_TRUE(array.Resize(3));
      });
      if (wipe) {
        EXPECT_EQ(listLeaks, 0u);
        EXPECT_EQ(arrayLeaks, 0u);
      } else {
        EXPECT_GT(listLeaks, 0u);
        if (secret.size() > 20) {
          EXPECT_GT(arrayLeaks, 0u);  // the short one stays inside the string objects
        }
      }
    }
  }
}

}  // namespace
}  // namespace bitvane
