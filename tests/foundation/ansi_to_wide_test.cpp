#include "foundation/ansi_to_wide.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/last_error.h"

namespace bitvane {
namespace {

// Converts a copy of `bytes` in a buffer of exactly its size (no terminator), so that
// ASan sees any read past `length`.
std::u16string Convert(const std::string& bytes) {
  const auto buffer = std::make_unique<char[]>(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return AnsiToWide(buffer.get(), static_cast<std::ptrdiff_t>(bytes.size()));
}

std::string Utf8(char32_t c) {
  std::string s;
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  }
  return s + static_cast<char>(0x80 | (c & 0x3F));
}

TEST(AnsiToWide, Table) {
  struct Row {
    std::string bytes;
    std::u16string text;
  };
  const Row rows[] = {
      {"abc", u"abc"},
      {"\xC3\xA9", u"\u00E9"},
      {"\xE2\x82\xAC!", u"\u20AC!"},
      {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"\xEF\xBF\xBF", u"\xFFFF"},
      {"\xED\x9F\xBF", u"\xD7FF"},
      // Ill-formed: one U+FFFD for each piece, decoding resumes at the offending byte.
      {"\x80", u"\xFFFD"},
      {"\xBF\x80", u"\xFFFD\xFFFD"},
      {"\xC0\xAF", u"\xFFFD\xFFFD"},
      {"\xE0\x80\xAF", u"\xFFFD\xFFFD\xFFFD"},
      {"\xF0\x8F\xBF\xBF", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xF5\x80", u"\xFFFD\xFFFD"},
      {"\xFE\xFF", u"\xFFFD\xFFFD"},
      {"\xE2\x82", u"\xFFFD"},
      {"\xE2\x82!", u"\xFFFD!"},
      {"\xF0\x9F\x98", u"\xFFFD"},
      {"\xF0\x9F\x98\xF0\x9F\x98\x80", u"\xFFFD\xD83D\xDE00"},
      {"\xC3\xC3\xA9", u"\xFFFD\u00E9"},
      {"a\xE2!", u"a\xFFFD!"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Convert(row.bytes), row.text) << row.bytes;
    EXPECT_EQ(AnsiToWide(row.bytes.c_str(), -1), row.text) << row.bytes;
  }
}

TEST(AnsiToWide, LengthAndTerminator) {
  const char text[] = "a\0b";
  EXPECT_EQ(AnsiToWide(text, 3), std::u16string(u"a\0b", 3));
  EXPECT_EQ(AnsiToWide(text, -1), u"a");
  EXPECT_EQ(AnsiToWide(text, 0), u"");
  EXPECT_EQ(Convert("\xE2\x82\xAC").size(), 1u);
  EXPECT_EQ(Convert(std::string("\xE2\x82\xAC", 2)), u"\xFFFD");  // cut by the length

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(AnsiToWide(nullptr, 5), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(AnsiToWide(text, -2), u"");
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// Every code point outside the surrogates round-trips; every lone byte from 0x80 up
// is one U+FFFD.
TEST(AnsiToWide, EveryCodePoint) {
  for (char32_t c = 0; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::u16string expected;
    if (c < 0x10000) {
      expected = std::u16string(1, static_cast<char16_t>(c));
    } else {
      expected = {static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)),
                  static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF))};
    }
    const std::string bytes = Utf8(c);
    const std::u16string got = AnsiToWide(bytes.data(), static_cast<std::ptrdiff_t>(bytes.size()));
    if (got != expected) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<std::uint32_t>(c);
      break;
    }
  }
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    EXPECT_EQ(Convert(std::string(1, static_cast<char>(byte))), u"\xFFFD") << byte;
  }
}

TEST(AnsiToWide, Megabyte) {
  std::string bytes;
  for (int i = 0; i < (1 << 20) / 4; ++i) bytes += "\xF0\x9F\x98\x80";
  const std::u16string text = Convert(bytes);
  ASSERT_EQ(text.size(), bytes.size() / 2);
  EXPECT_EQ(text.substr(text.size() - 2), u"\xD83D\xDE00");
}

}  // namespace
}  // namespace bitvane
