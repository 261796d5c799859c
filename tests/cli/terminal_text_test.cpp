#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include "foundation/wide_to_utf8.h"

namespace bitvane::cli {
namespace {

TEST(TerminalText, EscapesWhatATerminalActsOn) {
  const struct {
    std::string_view in, out;
  } rows[] = {
      {"a\\nb \\x41 'q' \"q\"", "a\\nb \\x41 'q' \"q\""},  // a backslash stays as typed
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {std::string_view("\0\x07\x1B[2J", 6), "\\u0000\\u0007\\u001B[2J"},
      // Each range of controls at its edges, and the characters just outside it.
      {"\x1F\x20\x7E\x7F\xC2\x9F\xC2\xA0", "\\u001F ~\\u007F\\u009F\xC2\xA0"},
      {"\xD8\x9B\xD8\x9C\xD8\x9D", "\xD8\x9B\\u061C\xD8\x9D"},
      {"\xE2\x80\x8D\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\x90",
       "\xE2\x80\x8D\\u200E\\u200F\xE2\x80\x90"},
      {"\xE2\x80\xA7\xE2\x80\xA8\xE2\x80\xAE\xE2\x80\xAF",
       "\xE2\x80\xA7\\u2028\\u202E\xE2\x80\xAF"},
      {"\xE2\x81\xA5\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA",
       "\xE2\x81\xA5\\u2066\\u2069\xE2\x81\xAA"},
      // The last character of two bytes, the first and last of three and four, and those
      // around the surrogates: U+07FF, U+0800, U+D7FF, U+E000, U+FFFF, U+10000, U+10FFFF.
      {"\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF",
       "\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
      // Bytes that are not UTF-8, one escape each.
      {"a\x80"
       "b\x9B\xFF",
       "a\\x80b\\x9B\\xFF"},                         // stray continuations (0x9B alone is CSI)
      {"\xC0\xAF\xC1\xBF", "\\xC0\\xAF\\xC1\\xBF"},  // overlong
      {"\xE0\x9F\xBF\xF0\x8F\xBF\xBF", "\\xE0\\x9F\\xBF\\xF0\\x8F\\xBF\\xBF"},  // overlong
      {"\xED\xA0\x80\xED\xBF\xBF", "\\xED\\xA0\\x80\\xED\\xBF\\xBF"},           // surrogates
      {"\xF4\x90\x80\x80\xF5\x80", "\\xF4\\x90\\x80\\x80\\xF5\\x80"},           // above U+10FFFF
      {"\x80\x80\x80\x80\xF5\x80\x80\x80", "\\x80\\x80\\x80\\x80\\xF5\\x80\\x80\\x80"},  // no lead
      {"\xE2\x82"
       "A\xC3\n\xF0\x9F\x98",
       "\\xE2\\x82A\\xC3\\n\\xF0\\x9F\\x98"},  // cut short, at the end too
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TerminalText(row.in), row.out) << ::testing::PrintToString(std::string(row.in));
  }
}

TEST(TerminalText, WideTextAndQuotes) {
  const struct {
    std::u16string in;
    std::string plain, quoted;
  } rows[] = {
      {u"say \"hi\" \\o/", "say \"hi\" \\o/", "\"say \\\"hi\\\" \\\\o/\""},
      {std::u16string(u"\0\x1B\u202E", 3), "\\u0000\\u001B\\u202E", "\"\\u0000\\u001B\\u202E\""},
      // Unpaired surrogates show their number; a pair is one character.
      {u"a\xDC00\xD83D", "a\\uDC00\\uD83D", "\"a\\uDC00\\uD83D\""},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {u"\xDFFF\xDBFF", "\\uDFFF\\uDBFF", "\"\\uDFFF\\uDBFF\""},
      {u"a\xD800\xE000", "a\\uD800\xEE\x80\x80", "\"a\\uD800\xEE\x80\x80\""},
  };
  for (const auto& row : rows) {
    const std::string label = WideToUtf8(row.in);
    SCOPED_TRACE(::testing::PrintToString(label));
    EXPECT_EQ(TerminalText(row.in), row.plain);
    EXPECT_EQ(QuotedTerminalText(row.in), row.quoted);
    // Safe exactly when nothing had to be escaped; the UTF-8 form reads the same.
    EXPECT_EQ(IsTerminalSafe(row.in), row.plain == label);
    if (label.find("\xEF\xBF\xBD") == std::string::npos) {
      EXPECT_EQ(TerminalText(label), row.plain);
    }
  }
  // A view that ends between the halves of a pair does not read past its end.
  const std::u16string pair = u"a\xD83D\xDE00";
  EXPECT_EQ(TerminalText(std::u16string_view(pair).substr(0, 2)), "a\\uD83D");
  EXPECT_FALSE(IsTerminalSafe(std::u16string_view(pair).substr(0, 2)));
}

TEST(TerminalText, OnlyCrLfEndsALine) {
  const struct {
    std::u16string in;
    std::string out;
  } rows[] = {
      {u"", ""},
      {u"a\r\nb\r\n", "a\nb\n"},
      {u"\r\r\n\n", "\\r\n\\n"},
      {u"\n\r", "\\n\\r"},
      {u"x\x1B[1m\r\n\x7F", "x\\u001B[1m\n\\u007F"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TerminalLines(row.in), row.out) << ::testing::PrintToString(WideToUtf8(row.in));
  }
}

}  // namespace
}  // namespace bitvane::cli
