#include "foundation/ansi_to_wide.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/last_error.h"

namespace bitvane {
namespace {

// No terminator, so that ASan sees any read past the length.
std::u16string Convert(const std::string& bytes) {
  const auto buffer = std::make_unique<char[]>(bytes.size());
  std::memcpy(buffer.get(), bytes.data(), bytes.size());
  return AnsiToWide(buffer.get(), static_cast<std::ptrdiff_t>(bytes.size()));
}

// The edges of every range of lead and second bytes.
TEST(AnsiToWide, Table) {
  const struct {
    std::string bytes;
    std::u16string text;
  } rows[] = {
      {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
      {"\xE0\xA0\x80\xED\x9F\xBF", u"\u0800\uD7FF"},
      {"\xF0\x90\x80\x80", u"\xD800\xDC00"},
      {"\xF4\x8F\xBF\xBF", u"\xDBFF\xDFFF"},
      {"\xBF\x80", u"\xFFFD\xFFFD"},
      {"\xC1\xBF", u"\xFFFD\xFFFD"},
      {"\xE0\x9F\xBF", u"\xFFFD\xFFFD\xFFFD"},
      {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},
      {"\xF0\x8F\xBF\xBF", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},
      {"\xF5\x80", u"\xFFFD\xFFFD"},
      {"a\xE2\x82!", u"a\xFFFD!"},
      {"\xF0\x9F\x98\xF0\x9F\x98\x80", u"\xFFFD\xD83D\xDE00"},
      {"\xC3\xC3\xA9", u"\xFFFD\u00E9"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(Convert(row.bytes), row.text);
    EXPECT_EQ(AnsiToWide(row.bytes.c_str(), -1), row.text);
  }
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    EXPECT_EQ(Convert(std::string(1, static_cast<char>(byte))), u"\xFFFD") << byte;
  }
}

TEST(AnsiToWide, LengthAndTerminator) {
  const char text[] = "a\0b";
  EXPECT_EQ(AnsiToWide(text, 3), std::u16string(u"a\0b", 3));
  EXPECT_EQ(AnsiToWide(text, -1), u"a");
  EXPECT_EQ(AnsiToWide(text, 0), u"");
  for (const std::ptrdiff_t length : {5, -2}) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(AnsiToWide(length == 5 ? nullptr : text, length), u"");
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

}  // namespace
}  // namespace bitvane
