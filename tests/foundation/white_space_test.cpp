#include "foundation/white_space.h"

#include <gtest/gtest.h>

#include <string>

namespace bitvane {
namespace {

TEST(WhiteSpace, ExactSets) {
  const std::u16string space =
      u"\b\t\n\v\f\r \u0085\u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008"
      u"\u2009\u200A\u202F\u3000";
  const std::u16string wide =
      u"\t\n\v\f\r \u0085\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2008\u2009\u200A"
      u"\u2028\u2029\u205F\u3000";
  for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
    const auto c = static_cast<char16_t>(unit);
    ASSERT_EQ(IsWhiteSpace(c), space.find(c) != std::u16string::npos) << unit;
    ASSERT_EQ(IsWideSpace(c), wide.find(c) != std::u16string::npos) << unit;
  }
}

TEST(CountLeadingSpace, Texts) {
  const struct {
    std::u16string text;
    std::size_t count;
  } rows[] = {
      {u"", 0},
      {u"\u3000\u00A0\b x", 4},
      {u" \u2028", 1},
      {std::u16string(1 << 20, u' ') + u"x", 1u << 20},
  };
  for (const auto& row : rows) EXPECT_EQ(CountLeadingSpace(row.text.c_str()), row.count);
  EXPECT_EQ(CountLeadingSpace(nullptr), 0u);
}

}  // namespace
}  // namespace bitvane
