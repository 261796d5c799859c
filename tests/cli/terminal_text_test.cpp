// What a terminal acts on is escaped; everything else passes as it is.
#include "cli/terminal_text.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "foundation/wide_to_utf8.h"

namespace bitvane::cli {
namespace {

TEST(TerminalText, EscapesWhatATerminalActsOn) {
  // clang-format off
  const std::pair<std::string_view, std::string_view> rows[] = {
      {"a\\nb \\x41 'q' \"q\"", "a\\nb \\x41 'q' \"q\""},  // a backslash stays as typed
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {std::string_view("\0\a\x1B[2J", 6), "\\u0000\\u0007\\u001B[2J"},
      // Each range of controls at its edges, and the characters just outside.
      {"\x1F\x20\x7E\x7F\u009F\u00A0", "\\u001F ~\\u007F\\u009F\u00A0"},
      {"\u061B\u061C\u061D", "\u061B\\u061C\u061D"},
      {"\u200D\u200E\u200F\u2010", "\u200D\\u200E\\u200F\u2010"},
      {"\u2027\u2028\u202E\u202F", "\u2027\\u2028\\u202E\u202F"},
      {"\u2065\u2066\u2069\u206A", "\u2065\\u2066\\u2069\u206A"},
      // The edges of each length of UTF-8 and around the surrogates stay.
      {"\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF",
       "\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF"},
      // Not UTF-8: stray (0x9B is CSI), overlong, surrogate, too high, no lead, cut short.
      {"a\x80" "b\x9B\xFF", "a\\x80b\\x9B\\xFF"}, {"\xC0\xAF\xC1\xBF", "\\xC0\\xAF\\xC1\\xBF"},
      {"\xE0\x9F\xBF\xF0\x8F\xBF\xBF", "\\xE0\\x9F\\xBF\\xF0\\x8F\\xBF\\xBF"},
      {"\xED\xA0\x80\xED\xBF\xBF", "\\xED\\xA0\\x80\\xED\\xBF\\xBF"},
      {"\xF4\x90\x80\x80\xF5\x80", "\\xF4\\x90\\x80\\x80\\xF5\\x80"},
      {"\x80\x80\x80\x80\xF5\x80\x80\x80", "\\x80\\x80\\x80\\x80\\xF5\\x80\\x80\\x80"},
      {"\xE2\x82" "A\xC3\n\xF0\x9F\x98", "\\xE2\\x82A\\xC3\\n\\xF0\\x9F\\x98"}};
  // clang-format on
  for (const auto& [in, out] : rows)
    EXPECT_EQ(TerminalText(in), out) << ::testing::PrintToString(std::string(in));
}

// Unpaired surrogates show their number; a pair is one character. Only CR LF ends a line.
TEST(TerminalText, WideTextQuotesAndLines) {
  const std::tuple<std::u16string, std::string, std::string> rows[] = {
      {u"say \"hi\" \\o/", "say \"hi\" \\o/", "\"say \\\"hi\\\" \\\\o/\""},
      {std::u16string(u"\0\x1B\u202E", 3), "\\u0000\\u001B\\u202E", "\"\\u0000\\u001B\\u202E\""},
      {u"a\xDC00\xDFFF\xDBFF\xD83D", "a\\uDC00\\uDFFF\\uDBFF\\uD83D",
       "\"a\\uDC00\\uDFFF\\uDBFF\\uD83D\""},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {u"a\xD800\xE000", "a\\uD800\xEE\x80\x80", "\"a\\uD800\xEE\x80\x80\""}};
  for (const auto& [in, plain, quoted] : rows) {
    const std::string label = WideToUtf8(in);
    SCOPED_TRACE(::testing::PrintToString(label));
    EXPECT_EQ(TerminalText(in), plain);
    EXPECT_EQ(QuotedTerminalText(in), quoted);
    EXPECT_EQ(IsTerminalSafe(in), plain == label);  // exactly when nothing had to be escaped
  }
  // A view that ends between the halves of a pair does not read past its end.
  const std::u16string pair = u"a\xD83D\xDE00";
  EXPECT_EQ(TerminalText(std::u16string_view(pair).substr(0, 2)), "a\\uD83D");
  EXPECT_FALSE(IsTerminalSafe(std::u16string_view(pair).substr(0, 2)));
  // clang-format off
  const std::pair<std::u16string, std::string> lines[] = {{u"", ""}, {u"a\r\nb\r\n", "a\nb\n"},
      {u"\r\r\n\n\r", "\\r\n\\n\\r"}, {u"x\x1B[1m\r\n\x7F", "x\\u001B[1m\n\\u007F"}};
  // clang-format on
  for (const auto& [in, out] : lines) EXPECT_EQ(TerminalLines(in), out) << WideToUtf8(in);
}

}  // namespace
}  // namespace bitvane::cli
