#include "foundation/wide_to_utf8.h"

#include <gtest/gtest.h>

#include <vector>

#include "foundation/ansi_to_wide.h"

namespace bitvane {
namespace {

TEST(WideToUtf8, EveryCodePointRoundTrips) {
  EXPECT_EQ(WideToUtf8(u"\x7F\x80\u07FF\u0800\uFFFF"),
            "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF");
  EXPECT_EQ(WideToUtf8(u"\U00010000\U0010FFFF"), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string text(1, static_cast<char16_t>(c));
    if (c >= 0x10000) {
      text = {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
              static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    }
    const std::string utf8 = WideToUtf8(text);
    std::size_t i = 0;
    if (NextCodePoint(text, i) != c || i != text.size() ||
        AnsiToWide(utf8.data(), static_cast<std::ptrdiff_t>(utf8.size())) != text) {
      FAIL() << "U+" << std::hex << static_cast<std::uint32_t>(c);
    }
  }
}

TEST(NextCodePoint, LoneSurrogates) {
  const struct {
    std::u16string text;
    std::vector<char32_t> codePoints;
    std::vector<char32_t> kept;
  } rows[] = {
      {u"\xDC00\xD800", {0xFFFD, 0xFFFD}, {0xDC00, 0xD800}},
      {u"\xD800\xD800\xDC00", {0xFFFD, 0x10000}, {0xD800, 0x10000}},
      {u"\xD83Dx", {0xFFFD, U'x'}, {0xD83D, U'x'}},
      {u"\xDBFF\xE000", {0xFFFD, 0xE000}, {0xDBFF, 0xE000}},
  };
  for (const auto& row : rows) {
    std::vector<char32_t> decoded, kept;
    for (std::size_t i = 0; i < row.text.size();) decoded.push_back(NextCodePoint(row.text, i));
    for (std::size_t i = 0; i < row.text.size();) kept.push_back(NextCodePoint(row.text, i, true));
    EXPECT_EQ(decoded, row.codePoints) << WideToUtf8(row.text);
    EXPECT_EQ(kept, row.kept) << WideToUtf8(row.text);
  }
  EXPECT_EQ(WideToUtf8(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

}  // namespace
}  // namespace bitvane
