// The commands (convert, describe, the version, settings) and the escaping of what they
// print: what a terminal acts on is escaped, everything else passes as it is.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <numeric>

#include "cli/convert_args.h"
#include "cli/convert_command.h"
#include "cli/describe_command.h"
#include "cli/settings_command.h"
#include "cli/terminal_text.h"
#include "foundation/wide_to_utf8.h"
#include "platform/registry.h"
#include "platform/registry_names.h"
#include "settings/ps_str_list_entry.h"
#include "tests/about/version_block_builder.h"
#include "tests/support/cli_run.h"
#include "tests/support/registry_helpers.h"
#include "tests/support/temp_dir.h"

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

using Outcome = test::CliOutcome;

Outcome Convert(const std::vector<std::string>& args) {
  return test::RunCli(RunConvert, args);
}

// The views of the JSON report, in table order: [8] is the low integer, [13] the double.
nlohmann::json Json(std::vector<std::string> args) {
  args.insert(args.begin(), "--json");
  return nlohmann::json::parse(Convert(args).out);
}

// A usage error (2) prints its escaped reason and the usage; a rejection (1) stays.
TEST(ConvertCommand, ExitStatusAndErrors) {
  const std::string hex = "--value wants 1 to 16 hexadecimal digits, most significant first";
  const std::string flip = "--flip wants a bit number from 0 to 63";
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
      {{}, 0, ""}, {{"byte0=1", "--swap", "huge-b", "double=2.5"}, 0, ""}, {{"--help"}, 0, ""},
      {{"byte0=x", "byte1=1"}, 1, "byte0: Invalid Byte #0 value"}, {{"--value"}, 2, hex},
      {{"--value", "12345678901234567"}, 2, hex}, {{"--value=0xg"}, 2, hex},
      {{"--swap"}, 2, "unknown swap ''"}, {{"--json", "-h"}, 2, "--help has no JSON form"},
      {{"--swap", "d\r\n"}, 2, "unknown swap 'd\\r\\n'"},
      {{"byte9\xFF\x1B=1"}, 2, "unknown view 'byte9\\xFF\\u001B'"},
      {{"loose\x07\xC2\x9B"}, 2, "unexpected argument 'loose\\u0007\\u009B'"},
      {{"--flip", "64"}, 2, flip}, {{"--flip=-1"}, 2, flip}, {{"--flip"}, 2, flip},
      {{"--flip", "007"}, 2, flip}, {{"byte0=x", "--flip", "63"}, 1, "byte0: Invalid Byte #0 value"}};
  // clang-format on
  for (const auto& [args, status, err] : rows) {
    const Outcome run = Convert(args);
    const std::string want =
        err.empty() ? "" : "bitvane-cli: " + err + (status == 2 ? "\n\nUsage: " : "\n");
    const std::size_t shown = status == 2 ? want.size() : std::string::npos;
    EXPECT_EQ((Outcome{run.status, status == 2 ? run.out : "", run.err.substr(0, shown)}),
              (Outcome{status, "", want}))
        << ::testing::PrintToString(args);
  }
}

TEST(ConvertCommand, JsonAndPlainReportsAndHelp) {
  auto report = Json({"--value", "0X0123456789abcDEF", "--swap=dw", "low-int=zz"});
  EXPECT_EQ((nlohmann::json{report["value"], report["status"], report["error"]}),
            (nlohmann::json{"89ABCDEF01234567", "Invalid Low Integer (32-bit) value", true}));
  ASSERT_EQ(report["views"].size(), 14u);
  EXPECT_EQ((nlohmann::json{report["views"][8]["name"], report["views"][8]["input"]}),
            (nlohmann::json{"Low Integer (32-bit)", "zz"}));  // the input stays as typed
  EXPECT_EQ(report["views"][8]["info"].get<std::string>().find("0x01234567 = 19088743U"), 0u);
  EXPECT_EQ(Json({"byte0=1"})["error"], false);
  // Each word as a half and a bfloat16; with --explain, what each float is exactly.
  report = Json({"--explain", "double=0.1"});
  EXPECT_EQ(report["words"][0], (nlohmann::json{{"word", "word3"},
                                                {"bits", "3FB9"},
                                                {"half", "1.9306640625"},
                                                {"bfloat16", "1.4453125"}}));
  EXPECT_EQ(report["explain"]["double"],
            (nlohmann::json{{"class", "normal"},
                            {"exponent", -4},
                            {"exact", "0.1000000000000000055511151231257827021181583404541015625"},
                            {"down", "0.09999999999999999"},
                            {"up", "0.10000000000000002"}}));
  report = Json({"--explain", "--value", "7FC00000", "--flip", "0"});
  EXPECT_EQ((nlohmann::json{report["words"][3]["bits"], report["words"][3]["half"]}),
            (nlohmann::json{"0001", "5.960464477539063e-08"}));
  EXPECT_EQ(report["explain"]["low-single"], (nlohmann::json{{"class", "quiet NaN"},
                                                             {"payload", "0000000000001"},
                                                             {"exact", "nan"},
                                                             {"down", ""},
                                                             {"up", ""}}));
  report = Json({});  // a run that types nothing still reports a clear status
  EXPECT_TRUE(report["status"] == "(no problem)" && !report["words"].empty() &&
              !report.contains("explain"))
      << report;
  const std::string explained = Convert({"--explain", "high-single=-inf"}).out;
  EXPECT_TRUE(
      explained.ends_with("\nlow-single  zero\n  exact  0\n  down   -1e-45\n"
                          "  up     1e-45\n"))
      << explained;
  EXPECT_NE(explained.find("\nhigh-single  infinity\n  exact  -inf\n  up     "
                           "-3.4028235e+38\n"),
            std::string::npos);
  // --as: every view as code (the forms themselves are the core's), plainly or as JSON.
  const std::string code = Convert({"double=1.5", "--as", "c"}).out;
  EXPECT_TRUE(code.starts_with("byte0        0x00\n") && code.ends_with("\ndouble       1.5\n"))
      << code;
  EXPECT_EQ(Json({"--as=bytes-be", "double=1.5"})["double"],
            "{0x3F, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}");
  EXPECT_EQ(Convert({"--as", "C"}).status, 2);
  // Flips in order with the texts; a flip rewrites every view and clears the status.
  report = Json({"double=1", "--flip", "63", "low-int=zz", "--flip=0"});
  EXPECT_EQ((nlohmann::json{report["value"], report["status"], report["views"][13]["input"]}),
            (nlohmann::json{"BFF0000000000001", "(no problem)", "-1"}));
  // The text after the first '=' is taken whole, '=' included; so are forged lines.
  EXPECT_EQ(Json({"low-int='=='"})["value"], "0000000000003D3D");
  EXPECT_EQ(Json({"double=1.5\nStatus (forged)"})["views"][13]["input"], "1.5\nStatus (forged)");
  // In plain text neither a typed text nor an argument can forge a line or act on the terminal.
  const std::string out =
      Convert({"byte0=0x41", "double=1.5\nStatus (forged)", "low-int=\x1B[2J\xE2\x80\xAE"}).out;
  const auto has = [](std::string_view text, auto part) { return text.find(part) != text.npos; };
  EXPECT_TRUE(
      out.starts_with("Status  Invalid Low Integer (32-bit) value\nValue   3FF8000000000000\n"));
  EXPECT_TRUE(has(out, "\nDouble                input  1.5\\nStatus (forged)\n"));
  EXPECT_TRUE(has(out,
                  "\nByte #0               input  0\n                      info   0x00\n"
                  "                             0U\n"));
  EXPECT_TRUE(has(out, "\nLow Integer (32-bit)  input  \\u001B[2J\\u202E\n"));
  EXPECT_TRUE(has(out, "\n\nword3  3FF8  half 1.9921875  bfloat16 1.9375\nword2  0000"));
  EXPECT_FALSE(has(out, "\x1B"));
  EXPECT_EQ(Convert({"--help"}).out, ConvertUsage());
}

Outcome Describe(const std::vector<std::string>& args) {
  return test::RunCli(RunDescribe, args);
}

// A file holding only a version resource (1.2.3.4) with hostile strings.
std::string HostileFile(const test::TempDir& dir, const std::string& name) {
  using namespace bitvane::testing;
  const Bytes block = VersionTree(
      0x00010002, 0x00030004, 0,
      {Folder(u"040904b0", {VersionStringNode(u"ProductName", u"Evil\x1B[2J\r\nStatus (forged)"),
                            VersionStringNode(u"FileDescription", u"bell\a \u202Ecba \u009B31m"),
                            VersionStringNode(u"CompanyName", u"line\x2028sep\nLF"),
                            VersionStringNode(u"Comments", u"lone \xD800 half")})});
  return dir.Write(name, std::string(block.begin(), block.end()));
}

class DescribeCommand : public ::testing::Test {
 protected:
  test::TempDir m_dir;
  const std::string m_file = HostileFile(m_dir, "evil.exe");
};

// Only the template's own line breaks (LF, CR LF) make lines; fields, the file's name and
// the template's other controls are escaped. A placeholder cut by a line break stands.
TEST_F(DescribeCommand, FieldsCannotForgeLinesOrActOnTheTerminal) {
  const std::string description = "bell\\u0007 \\u202Ecba \\u009B31m";
  const std::pair<std::string, std::string> rows[] = {
      {"%f|%o|%m", description + "|line\\u2028sep\\nLF|lone \\uD800 half\n"},
      {"%-6a|\n%b\r\n\r\n%c", "1     |\n2\n\n3\n"},
      {"%a\r%b\t%c\x1BX%5\r\nB%-\nC%", "1\\r2\\t3\\u001BX%5\nB%-\nC\n"},
      {"", "\n"}};
  for (const auto& [format, out] : rows)
    EXPECT_EQ(Describe({m_file, "--template", format}), (Outcome{0, out, ""})) << format;
  EXPECT_EQ(Describe({m_file}).out,  // the default template
            "Evil\\u001B[2J\\r\\nStatus (forged): " + description + "\n Release Version 1.2.3.4\n");
  EXPECT_EQ(Describe({"--template=%n", HostileFile(m_dir, "a\nb\x1B.exe")}).out,
            "a\\nb\\u001B.exe\n");
}

// Each failure names what happened to the file, with its error number, escaped. The help
// is shown also after a file.
TEST_F(DescribeCommand, FailuresAndHelp) {
  const std::string usage = "\nUsage: bitvane-cli describe FILE [--template TEXT]\n";
  const std::string plain = m_dir.Write("plain.txt", "no version resource");
  const std::string at = m_dir.Path() + "/";
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
      {{}, 2, "describe needs a file" + usage},
      {{"a", "b\r\nUsage: forged"}, 2, "unexpected argument 'b\\r\\nUsage: forged'" + usage},
      {{"--help", "-\xE2\x80\xAE"}, 2, "unexpected argument '-\\u202E'" + usage},
      {{"/nonexistent/\x1B[31m\xFF"}, 1,
       "/nonexistent/\\u001B[31m\\xFF: folder not found (error 3)\n"},
      {{plain}, 1, plain + ": no readable version resource (error 13)\n"},
      {{m_dir.MakeFifo("pipe")}, 1, at + "pipe: not a regular file (error 222)\n"},
      {{m_dir.Join("missing.exe")}, 1, at + "missing.exe: file not found (error 2)\n"}};
  // clang-format on
  for (const auto& [args, status, err] : rows)
    EXPECT_EQ(Describe(args), (Outcome{status, "", "bitvane-cli: " + err})) << err.substr(0, 80);
  EXPECT_EQ(Describe({m_file, "-h"}), (Outcome{0, Describe({"--help"}).out, ""}));
}

// The companion's own About text, with its lines as the terminal wants them.
TEST(DescribeVersion, IsTheOwnAboutText) {
  std::ostringstream out, err;
  EXPECT_EQ(RunVersion(out, err), 0) << err.str();
  EXPECT_TRUE(out.str().starts_with("Bitvane: ") && out.str().find('\r') == std::string::npos &&
              out.str().find("\nLoaded from /") != std::string::npos)
      << out.str();
}

using test::StoreValue;
using namespace std::string_literals;

constexpr const char16_t* kSettingsKey = u"Software\\Kelmo\\Bitvane\\Settings";
constexpr const char* kDeleted = "settings deleted; the next start uses the defaults\n";
constexpr const char* kNothing = "none stored; nothing to reset\n";

Outcome Settings(const std::vector<std::string>& args) {
  return test::RunCli(RunSettings, args);
}

std::string Contents(const std::string& path) {
  return test::FileBytes(path, "<missing>");
}

using SettingsCommandTest = test::TempHiveTest;

// The first line of a listing: which key, in which store.
std::string KeyLine(const std::string& hive) {
  return "HKCU\\Software\\Kelmo\\bitvane\\Settings in " + TerminalText(hive) + "\n";
}

// Every value is shown by name, type and contents, escaped. A usage error changes
// nothing; a reset deletes only the settings key.
TEST_F(SettingsCommandTest, ShowsEveryStoredValueEscapedAndResets) {
  SetRegistryHivePath(m_hive = m_dir.Join("a\nb\x1B/registry.sqlite3"));
  std::string blob(40, '\0'), expected = KeyLine(m_hive);
  std::iota(blob.begin(), blob.end(), '\0');
  // clang-format off
  const std::tuple<std::u16string, std::uint32_t, std::string, std::string> raw[] = {
      {u"Bad", REG_DWORD, "\x01\x02\x03", "Bad            REG_DWORD     hex: 01 02 03 (3 bytes)"},
      {u"", REG_SZ, Utf16LeBytes(u"\u00FC\0tail"s), "(default)      REG_SZ        \"\u00FC\""},
      {u"Blob", REG_BINARY, blob, "Blob           REG_BINARY    hex: 00 01 02 03 04 05 06 07 08 09 "
       "0A 0B 0C 0D 0E 0F 10 11 12 13 14 15 16 17 18 19 1A 1B 1C 1D 1E 1F ... (40 bytes)"},
      {u"Wide", REG_QWORD, "\x08\x07\x06\x05\x04\x03\x02\x01",
       "Wide           REG_QWORD     72623859790382856 (0x0102030405060708)"},
      {u"Nothing", 99, "", "Nothing        type 99       (no data)"},
      // A name that begins with a quote cannot pass for a quoted one.
      {u"\"a\\nb\"", REG_DWORD, "\x05\0\0\0"s,
       "\"\\\"a\\\\nb\\\"\"    REG_DWORD     5 (0x00000005)"},
      {u"Esc\x1B[2J\x202E", REG_SZ, Utf16LeBytes(u"x\x1B]0;title\x07\x2066\x85\xDC00"),
       "\"Esc\\u001B[2J\\u202E\" REG_SZ        "
       "\"x\\u001B]0;title\\u0007\\u2066\\u0085\\uDC00\""},
      // An empty entry of the program's own lists is stored as a marker.
      {u"List", REG_MULTI_SZ,
       Utf16LeBytes(u"a\r\nb\0"s + std::u16string(NPSSTRListEntry::kEmptyMarker) + u"\0\u009B1m"s),
       "List           REG_MULTI_SZ  [\"a\\r\\nb\", \"\", \"\\u009B1m\"]"},
      {u"None", REG_MULTI_SZ, "", "None           REG_MULTI_SZ  []"}};
  // clang-format on
  for (const auto& [name, type, bytes, line] : raw) {
    ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), type, bytes), 0u);
    expected += line + "\n";
  }
  const char16_t* const sibling = u"Software\\Kelmo\\Bitvane\\Other";
  ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, sibling, nullptr), 0u);
  const std::string bad = "bitvane-cli: unexpected argument '",
                    usage = "'\nUsage: bitvane-cli settings [--reset]\n";
  EXPECT_EQ(Settings({"--reset", "--reset"}), (Outcome{2, "", bad + "--reset" + usage}));
  EXPECT_EQ(Settings({"--\x1B[8m\xFF"}), (Outcome{2, "", bad + "--\\u001B[8m\\xFF" + usage}));
  EXPECT_EQ(Settings({}), (Outcome{0, expected, ""}));
  EXPECT_EQ(Settings({"--reset"}), (Outcome{0, kDeleted, ""}));
  EXPECT_EQ(Settings({"--reset"}).out, kNothing);  // the key itself is gone
  RegHandle key = 0;
  EXPECT_EQ(RegOpenKey(HKEY_CURRENT_USER, sibling, KEY_READ, &key), ERROR_SUCCESS);
}

// Showing never creates or changes the store, nor does a reset that finds nothing or
// fails: a file standing in the place of a folder of the store's path is named.
TEST_F(SettingsCommandTest, NothingStoredOrBlocked) {
  // What is there: a key made before, or a file (the hive itself: a damaged one).
  const std::tuple<const char16_t*, std::string, const char*> rows[] = {
      {nullptr, "", kNothing},      {u"Software\\Kelmo\\Bitvane", "", kNothing},
      {kSettingsKey, "", kDeleted}, {nullptr, "registry.sqlite3", kNothing},
      {nullptr, "config", ""},      {nullptr, "\x1B[2Jbad", ""}};
  for (const auto& [key, file, resetOut] : rows) {
    SCOPED_TRACE(::testing::PrintToString(file));
    const test::TempDir dir;
    const bool damaged = file == "registry.sqlite3", blocked = !file.empty() && !damaged;
    SetRegistryHivePath(
        m_hive = dir.Join(blocked ? file + "/bitvane/registry.sqlite3" : "registry.sqlite3"));
    ASSERT_EQ(key ? StoreValue(HKEY_CURRENT_USER, key, nullptr) : 0u, 0u);
    if (!file.empty()) dir.Write(file, std::string(8192, '\x5A'));
    const std::string path = file.empty() ? m_hive : dir.Join(file), before = Contents(path);
    const std::string reason =
        " the settings: the settings folder is blocked by a file: " + dir.Join(TerminalText(file)) +
        " (error 3)\n";
    const std::string damage = "bitvane-cli: " + m_hive +
                               " cannot be read as a settings store; the program starts with its "
                               "defaults and moves the file aside when it next saves\n";
    EXPECT_EQ(Settings({}), (Outcome{blocked, KeyLine(m_hive) + (blocked ? "" : "none stored\n"),
                                     blocked   ? "bitvane-cli: cannot read" + reason
                                     : damaged ? damage
                                               : ""}));
    EXPECT_EQ(Contents(path), before);
    EXPECT_EQ(Settings({"--reset"}),
              (Outcome{blocked, resetOut, blocked ? "bitvane-cli: cannot delete" + reason : ""}));
    EXPECT_EQ(Contents(path), resetOut == kDeleted ? Contents(path) : before);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
      EXPECT_EQ(entry.path(), path);
  }
}

// Another process deletes key `g_id` just before the `g_left`th statement of this one
// that looks whether it is there; the trace is put in every connection opened meanwhile.
std::string g_hive, g_id;
int g_left = 0;

// Runs `sql` on the hive through a connection of its own; a row's first column is `g_id`.
void Exec(const std::string& sql) {
  sqlite3* db = nullptr;
  sqlite3_open(g_hive.c_str(), &db);
  const auto take = [](void*, int, char** values, char**) { return g_id = values[0], 0; };
  sqlite3_exec(db, sql.c_str(), take, nullptr, nullptr);
  sqlite3_close(db);
}

int Trace(unsigned, void*, void* statement, void*) {
  char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(statement));
  const bool look = g_left > 0 && sql && "SELECT 1 FROM keys WHERE id = " + g_id == sql;
  sqlite3_free(sql);
  if (look && --g_left == 0)
    Exec("DELETE FROM vals WHERE key = " + g_id + "; DELETE FROM keys WHERE id = " + g_id);
  return 0;
}

int InstallTrace(sqlite3* db, char**, const sqlite3_api_routines*) {
  return sqlite3_trace_v2(db, SQLITE_TRACE_STMT, &Trace, nullptr);
}

TEST_F(SettingsCommandTest, AKeyDeletedWhileItIsReadHoldsNothing) {
  const char* settings = "SELECT key FROM vals LIMIT 1";  // the only key with values
  const char* bitvane = "SELECT parent FROM keys WHERE id IN (SELECT key FROM vals)";
  // Deleted while counting the values, listing and reading the first one; resetting.
  const std::tuple<const char*, int, bool> rows[] = {
      {settings, 1, false}, {settings, 2, false}, {settings, 6, false}, {bitvane, 1, true}};
  for (const auto& [query, nth, reset] : rows) {
    SCOPED_TRACE(::testing::Message() << query << " at look " << nth);
    const test::TempDir dir;
    SetRegistryHivePath(m_hive = g_hive = dir.Join("registry.sqlite3"));
    for (const char16_t* name : {u"One", u"Two", u"Three"})
      ASSERT_EQ(StoreValue(HKEY_CURRENT_USER, kSettingsKey, name, REG_BINARY, "x"), 0u);
    Exec(query);
    g_left = nth;
    sqlite3_auto_extension(reinterpret_cast<void (*)()>(&InstallTrace));
    const Outcome outcome = Settings(std::vector<std::string>(reset, "--reset"));
    sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(&InstallTrace));
    EXPECT_EQ(g_left, 0);
    EXPECT_EQ(outcome, (Outcome{0, reset ? kNothing : KeyLine(m_hive) + "none stored\n", ""}));
  }
}

}  // namespace
}  // namespace bitvane::cli
