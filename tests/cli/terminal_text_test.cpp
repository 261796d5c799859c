#include "cli/terminal_text.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <sstream>

#include "cli/describe_command.h"
#include "cli/settings_command.h"
#include "foundation/wide_to_utf8.h"
#include "platform/registry.h"
#include "tests/about/version_block_builder.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

TEST(TerminalText, EscapesWhatATerminalActsOn) {
  const struct {
    std::string_view in, out;
  } rows[] = {
      {"", ""},
      {"plain text, 'quotes' \"too\"", "plain text, 'quotes' \"too\""},
      {"a\\nb \\x41", "a\\nb \\x41"},  // a backslash stays as typed
      {"\b\t\n\f\r", "\\b\\t\\n\\f\\r"},
      {std::string_view("\0\x07\x1B[2J\x1F", 7), "\\u0000\\u0007\\u001B[2J\\u001F"},
      {" ~\x7F", " ~\\u007F"},
      {"\xC2\x80\xC2\x85\xC2\x9B\xC2\x9F", "\\u0080\\u0085\\u009B\\u009F"},  // C1
      {"\xC2\xA0\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80",
       "\xC2\xA0\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"\xD8\x9C\xE2\x80\x8E\xE2\x80\x8F", "\\u061C\\u200E\\u200F"},
      // Each range of controls at its edges, and the characters just outside it.
      {"\x1F\x20\x7E\x7F\xC2\x9F\xC2\xA0", "\\u001F ~\\u007F\\u009F\xC2\xA0"},
      {"\xD8\x9B\xD8\x9C\xD8\x9D", "\xD8\x9B\\u061C\xD8\x9D"},
      {"\xE2\x80\x8D\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\x90",
       "\xE2\x80\x8D\\u200E\\u200F\xE2\x80\x90"},
      {"\xE2\x80\xA7\xE2\x80\xA8\xE2\x80\xAE\xE2\x80\xAF",
       "\xE2\x80\xA7\\u2028\\u202E\xE2\x80\xAF"},
      {"\xE2\x81\xA5\xE2\x81\xA6\xE2\x81\xA9\xE2\x81\xAA",
       "\xE2\x81\xA5\\u2066\\u2069\xE2\x81\xAA"},
      {"\xF4\x8F\xBF\xBF\xEF\xBF\xBF\xE0\xA0\x80\xF0\x90\x80\x80",
       "\xF4\x8F\xBF\xBF\xEF\xBF\xBF\xE0\xA0\x80\xF0\x90\x80\x80"},  // U+10FFFF, U+FFFF, U+0800,
                                                                     // U+10000
      // Bytes that are not UTF-8, one escape each.
      {"\xFF\xFE", "\\xFF\\xFE"},
      {"a\x80"
       "b\x9B",
       "a\\x80b\\x9B"},                              // stray continuations (0x9B alone is CSI)
      {"\xC0\xAF\xC1\xBF", "\\xC0\\xAF\\xC1\\xBF"},  // overlong
      {"\xE0\x80\xAF", "\\xE0\\x80\\xAF"},           // overlong
      {"\xF0\x8F\xBF\xBF", "\\xF0\\x8F\\xBF\\xBF"},  // overlong
      {"\xED\xA0\x80\xED\xBF\xBF", "\\xED\\xA0\\x80\\xED\\xBF\\xBF"},  // surrogates
      {"\xF4\x90\x80\x80\xF5\x80", "\\xF4\\x90\\x80\\x80\\xF5\\x80"},  // above U+10FFFF
      {"\x80\x80\x80\x80\xF5\x80\x80\x80", "\\x80\\x80\\x80\\x80\\xF5\\x80\\x80\\x80"},  // no lead
      {"\xE2\x82", "\\xE2\\x82"},  // cut short at the end
      {"\xE2\x82"
       "A\xF0\x9F\x98",
       "\\xE2\\x82A\\xF0\\x9F\\x98"},
      {"\xC3\n", "\\xC3\\n"},
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
      {u"", "", "\"\""},
      {u"say \"hi\" \\o/", "say \"hi\" \\o/", "\"say \\\"hi\\\" \\\\o/\""},
      {u"a\nb\x1B", "a\\nb\\u001B", "\"a\\nb\\u001B\""},
      {u"Gr\u00FC\u00DFe \u202E",
       "Gr\xC3\xBC\xC3\x9F"
       "e \\u202E",
       "\"Gr\xC3\xBC\xC3\x9F"
       "e \\u202E\""},
      {std::u16string(u"\0x", 2), "\\u0000x", "\"\\u0000x\""},
      // Unpaired surrogates show their number; a pair is one character.
      {u"\xD800", "\\uD800", "\"\\uD800\""},
      {u"a\xDC00\xD83D", "a\\uDC00\\uD83D", "\"a\\uDC00\\uD83D\""},
      {u"\xD83D\xDE00", "\xF0\x9F\x98\x80", "\"\xF0\x9F\x98\x80\""},
      {u"\xDFFF\xDBFF", "\\uDFFF\\uDBFF", "\"\\uDFFF\\uDBFF\""},
      {u"a\xD800\xE000", "a\\uD800\xEE\x80\x80", "\"a\\uD800\xEE\x80\x80\""},
  };
  for (const auto& row : rows) {
    const std::string label = WideToUtf8(row.in);
    EXPECT_EQ(TerminalText(row.in), row.plain) << ::testing::PrintToString(label);
    EXPECT_EQ(QuotedTerminalText(row.in), row.quoted) << ::testing::PrintToString(label);
    // Safe exactly when nothing had to be escaped; the UTF-8 form reads the same.
    EXPECT_EQ(IsTerminalSafe(row.in), row.plain == label) << ::testing::PrintToString(label);
    if (label.find("\xEF\xBF\xBD") == std::string::npos) {
      EXPECT_EQ(TerminalText(label), row.plain) << ::testing::PrintToString(label);
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
      {u"a\r\nb", "a\nb"},
      {u"a\r\nb\r\n", "a\nb\n"},
      {u"\r\n\r\n", "\n\n"},
      {u"a\nb", "a\\nb"},
      {u"a\rb", "a\\rb"},
      {u"\r\r\n\n", "\\r\n\\n"},
      {u"\n\r", "\\n\\r"},
      {u"x\x1B[1m\r\n\x7F", "x\\u001B[1m\n\\u007F"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(TerminalLines(row.in), row.out) << ::testing::PrintToString(WideToUtf8(row.in));
  }
}

// --- describe: what a file's version resource brings is escaped --------------------------

using Outcome = test::CliOutcome;

Outcome Describe(const std::vector<std::string>& args) {
  return test::RunCli(RunDescribe, args);
}

// A file holding only a version resource with hostile strings.
std::string HostileFile(const test::TempDir& dir, const std::string& name) {
  using namespace bitvane::testing;
  const Bytes block = BuildNode(VersionTree(
      0x00010002, 0x00030004, 0,
      {StringTableNode(u"040904b0", {StringNode(u"ProductName", u"Evil\x1B[2J\r\nStatus (forged)"),
                                     StringNode(u"FileDescription",
                                                u"bell\x07 \x202E"
                                                u"cba \x9B"
                                                u"31m"),
                                     StringNode(u"CompanyName", u"line\x2028sep\nLF"),
                                     StringNode(u"Comments", u"lone \xD800 half")})}));
  return dir.Write(name, std::string(block.begin(), block.end()));
}

TEST(TerminalTextDescribe, FieldsCannotForgeLinesOrActOnTheTerminal) {
  const test::TempDir dir;
  ASSERT_TRUE(dir.Made());
  const std::string file = HostileFile(dir, "evil.exe");
  const std::string product = "Evil\\u001B[2J\\r\\nStatus (forged)";
  const struct {
    std::string format, out;
  } rows[] = {
      {"%p", product + "\n"},
      {"%f|%o|%m", "bell\\u0007 \\u202Ecba \\u009B31m|line\\u2028sep\\nLF|lone \\uD800 half\n"},
      // The template's own line breaks make lines, LF alone or CR LF.
      {"%p: %f\r\nVersion %a.%b.%c.%d",
       product + ": bell\\u0007 \\u202Ecba \\u009B31m\nVersion 1.2.3.4\n"},
      {"%a\n%b\r\n\r\n%c", "1\n2\n\n3\n"},
      {"%-6a|\n", "1     |\n\n"},
      // A lone CR, and any other control character of the template, is escaped.
      {"%a\r%b\t%c\x1B", "1\\r2\\t3\\u001B\n"},
      // An unfinished placeholder before a line break stands as in the whole template.
      {"A%5\r\nB%-\nC%", "A%5\nB%-\nC\n"},
      {"", "\n"},
  };
  for (const auto& row : rows) {
    const Outcome run = Describe({file, "--template", row.format});
    EXPECT_EQ(run.status, 0) << ::testing::PrintToString(row.format) << run.err;
    EXPECT_EQ(run.out, row.out) << ::testing::PrintToString(row.format);
  }
  // The default template; a file name with a line break of its own.
  EXPECT_EQ(Describe({file}).out,
            product + ": bell\\u0007 \\u202Ecba \\u009B31m\n Release Version 1.2.3.4\n");
  const std::string forged = HostileFile(dir, "a\nb\x1B.exe");
  EXPECT_EQ(Describe({forged, "--template=%n"}).out, "a\\nb\\u001B.exe\n");
}

TEST(TerminalTextDescribe, ErrorsEscapeTheArguments) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;  // expected beginning
  } rows[] = {
      {{"/nonexistent/\x1B[31mred"}, 1, "bitvane-cli: /nonexistent/\\u001B[31mred: "},
      {{"/nonexistent/\xFF\xC3"}, 1, "bitvane-cli: /nonexistent/\\xFF\\xC3: "},
      {{"a", "b\r\nUsage: forged"}, 2, "bitvane-cli: unexpected argument 'b\\r\\nUsage: forged'\n"},
      {{"-\xE2\x80\xAE"}, 2, "bitvane-cli: unexpected argument '-\\u202E'\n"},
  };
  for (const auto& row : rows) {
    const Outcome run = Describe(row.args);
    EXPECT_EQ(run.status, row.status) << ::testing::PrintToString(row.args);
    EXPECT_EQ(run.err.rfind(row.err, 0), 0u) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

// The help says what FILE may hold; these rows hold it to its word.
TEST(TerminalTextDescribe, HelpTellsWhatFileMayHold) {
  const Outcome help = Describe({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  for (const char* promise : {"Usage: bitvane-cli describe FILE", "%NAME%", "* stands for any run",
                              "? for one character", "exactly one file", "%N its full path"}) {
    EXPECT_NE(help.out.find(promise), std::string::npos) << promise;
  }
  EXPECT_EQ(Describe({"x", "-h"}).out, help.out);
  EXPECT_EQ(Describe({"--help", "--json"}).status, 2);

  const test::TempDir dir;
  ASSERT_TRUE(dir.Made());
  (void)HostileFile(dir, "one-1.exe");
  (void)HostileFile(dir, "two-1.exe");
  (void)HostileFile(dir, "two-2.exe");
  dir.MakeDir("one-2.exe");  // folders are passed over
  ASSERT_EQ(::setenv("BITVANE_DESCRIBE_DIR", dir.Path().c_str(), 1), 0);
  const struct {
    std::string file;
    int status;
  } rows[] = {
      {dir.Join("one-?.exe"), 0},
      {dir.Join("o*"), 0},
      {"%BITVANE_DESCRIBE_DIR%/one-1.exe", 0},
      {"%BITVANE_DESCRIBE_DIR%/*1.exe", 1},  // several match
      {dir.Join("two-?.exe"), 1},
      {dir.Join("ONE-?.exe"), 1},  // case matters
      {dir.Join("one-??.exe"), 1},
      {"%BITVANE_UNSET_NAME%/one-1.exe", 1},
  };
  for (const auto& row : rows) {
    const Outcome run = Describe({row.file, "--template", "%a"});
    EXPECT_EQ(run.status, row.status) << row.file << "\n" << run.err;
    EXPECT_EQ(run.out, row.status == 0 ? "1\n" : "") << row.file;
  }
  ::unsetenv("BITVANE_DESCRIBE_DIR");
}

// --- settings: names and values from the store are escaped --------------------------------

class TerminalTextSettings : public test::TempHiveTest {
 protected:
  static Outcome Settings(const std::vector<std::string>& args) {
    return test::RunCli(RunSettings, args);
  }
};

// Little-endian UTF-16 bytes of `text` with its terminating 0.
std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes + std::string(2, '\0');
}

TEST_F(TerminalTextSettings, NamesAndValuesAreEscaped) {
  constexpr const char16_t* kKey = u"Software\\Kelmo\\Bitvane\\Settings";
  const std::string five("\x05\0\0\0", 4);
  const struct {
    std::u16string name;
    std::uint32_t type;
    std::string bytes, line;
  } rows[] = {
      {u"Esc\x1B[2J", REG_DWORD, five, "\"Esc\\u001B[2J\" REG_DWORD     5 (0x00000005)"},
      {u"Rtl\x202E", REG_DWORD, five, "\"Rtl\\u202E\"    REG_DWORD     5 (0x00000005)"},
      {u"Half\xDC00", REG_DWORD, five, "\"Half\\uDC00\"   REG_DWORD     5 (0x00000005)"},
      // A name that begins with a quote cannot pass for a quoted one.
      {u"\"a\\nb\"", REG_DWORD, five, "\"\\\"a\\\\nb\\\"\"    REG_DWORD     5 (0x00000005)"},
      {u"Text", REG_SZ, Utf16Bytes(u"x\x1B]0;title\x07\x2066\x85"),
       "Text           REG_SZ        \"x\\u001B]0;title\\u0007\\u2066\\u0085\""},
      {u"List", REG_MULTI_SZ,
       Utf16Bytes(u"a\r\nb") + Utf16Bytes(u"\x9B"
                                          u"1m"),
       "List           REG_MULTI_SZ  [\"a\\r\\nb\", \"\\u009B1m\"]"},
  };
  std::string expected;
  for (const auto& row : rows) {
    ASSERT_EQ(test::StoreValue(HKEY_CURRENT_USER, kKey, row.name.c_str(), row.type, row.bytes), 0u);
    expected += row.line + "\n";
  }
  const Outcome shown = Settings({});
  EXPECT_EQ(shown.status, 0) << shown.err;
  const std::size_t firstLine = shown.out.find('\n') + 1;
  EXPECT_EQ(shown.out.substr(firstLine), expected);
}

TEST_F(TerminalTextSettings, PathsAndArgumentsAreEscaped) {
  const std::string hive = m_dir.Join("a\nb\x1B/registry.sqlite3");
  SetRegistryHivePath(hive);
  EXPECT_EQ(Settings({}).out, "HKCU\\Software\\Kelmo\\Bitvane\\Settings in " + m_dir.Path() +
                                  "/a\\nb\\u001B/registry.sqlite3\nnone stored\n");
  const Outcome run = Settings({"--\x1B[8m\xFF"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1),
            "bitvane-cli: unexpected argument '--\\u001B[8m\\xFF'\n");
}

}  // namespace
}  // namespace bitvane::cli
