#include "foundation/white_space.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace bitvane {
namespace {

std::set<char16_t> Members(bool (*test)(char16_t)) {
  std::set<char16_t> members;
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    if (test(static_cast<char16_t>(unit))) members.insert(static_cast<char16_t>(unit));
  }
  return members;
}

TEST(WhiteSpace, ExactSets) {
  std::set<char16_t> set = {0x0008, 0x0009, 0x000A, 0x000B, 0x000C, 0x000D,
                            0x0020, 0x0085, 0x00A0, 0x1680, 0x202F, 0x3000};
  for (char16_t c = 0x2000; c <= 0x200A; ++c) set.insert(c);
  EXPECT_EQ(set.size(), 23u);
  EXPECT_EQ(Members(IsWhiteSpace), set);

  std::set<char16_t> wide = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020,
                             0x0085, 0x1680, 0x2028, 0x2029, 0x205F, 0x3000};
  for (char16_t c = 0x2000; c <= 0x200A; ++c) {
    if (c != 0x2007) wide.insert(c);
  }
  EXPECT_EQ(Members(IsWideSpace), wide);
}

TEST(CountLeadingSpace, Texts) {
  struct Row {
    std::u16string text;
    std::size_t count;
  };
  const Row rows[] = {
      {u"", 0},
      {u"x  ", 0},
      {u"\bx", 1},
      {u"\u3000\u00A0\u202F x", 4},
      {u"\u2028 ", 0},
      {u" \u2028", 1},
      {u" \t\r\n", 4},
      {u"\x1C", 0},
      {std::u16string(1 << 20, u' ') + u"x", 1u << 20},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(CountLeadingSpace(row.text.c_str()), row.count) << row.text.size();
  }
  EXPECT_EQ(CountLeadingSpace(nullptr), 0u);

  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const char16_t text[] = {static_cast<char16_t>(unit), 0};
    EXPECT_EQ(CountLeadingSpace(text), IsWhiteSpace(text[0]) ? 1u : 0u) << unit;
  }
}

}  // namespace
}  // namespace bitvane
