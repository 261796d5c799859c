#include "foundation/wide_to_utf8.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/ansi_to_wide.h"

namespace bitvane {
namespace {

TEST(WideToUtf8, EncodesAndRoundTripsThroughTheDecoder) {
  EXPECT_EQ(WideToUtf8(u"A\u00E9\u20AC\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::u16string(1, u'\0')), std::string(1, '\0'));
  // A lone surrogate of either kind becomes U+FFFD.
  EXPECT_EQ(WideToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(WideToUtf8(u"\xDC00"), "\xEF\xBF\xBD");
  for (char32_t c = 1; c <= 0xFFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::u16string text(1, static_cast<char16_t>(c));
    const std::string utf8 = WideToUtf8(text);
    ASSERT_EQ(AnsiToWide(utf8.data(), static_cast<std::ptrdiff_t>(utf8.size())), text)
        << static_cast<std::uint32_t>(c);
  }
}

// Pairs in order make one code point; anything else of a surrogate is U+FFFD on its own.
TEST(NextCodePoint, PairsAndLoneSurrogates) {
  const struct {
    std::u16string text;
    std::vector<char32_t> codePoints;
  } rows[] = {
      {u"A\u00E9", {U'A', 0xE9}},
      {u"\xD800\xDC00\xDBFF\xDFFF", {0x10000, 0x10FFFF}},
      {u"\xDC00\xD800", {0xFFFD, 0xFFFD}},
      {u"\xD800\xD800\xDC00", {0xFFFD, 0x10000}},
      {u"\xD83Dx", {0xFFFD, U'x'}},
      {u"x\xDBFF", {U'x', 0xFFFD}},
      {std::u16string(u"\0\xFFFF", 2), {0, 0xFFFF}},
  };
  for (const auto& row : rows) {
    std::vector<char32_t> decoded;
    for (std::size_t i = 0; i < row.text.size();) decoded.push_back(NextCodePoint(row.text, i));
    EXPECT_EQ(decoded, row.codePoints) << WideToUtf8(row.text);
    // Kept, a lone surrogate stands where U+FFFD stood, and nothing else changes.
    std::vector<char32_t> kept;
    for (std::size_t i = 0; i < row.text.size();) kept.push_back(NextCodePoint(row.text, i, true));
    for (char32_t& c : kept) c = c >= 0xD800 && c <= 0xDFFF ? 0xFFFD : c;
    EXPECT_EQ(kept, row.codePoints) << WideToUtf8(row.text);
  }
}

}  // namespace
}  // namespace bitvane
