// The read-only commands: convert, describe and the version.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <nlohmann/json.hpp>

#include "cli/convert_command.h"
#include "cli/describe_command.h"
#include "tests/about/version_block_builder.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

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
  // clang-format off
  const std::tuple<std::vector<std::string>, int, std::string> rows[] = {
      {{}, 0, ""}, {{"byte0=1", "--swap", "huge-b", "double=2.5"}, 0, ""}, {{"--help"}, 0, ""},
      {{"byte0=x", "byte1=1"}, 1, "byte0: Invalid Byte #0 value"},
      {{"byte3=-129"}, 1, "byte3: Byte #3 out of range"}, {{"--swap"}, 2, "unknown swap ''"},
      {{"--value", "12345678901234567"}, 2, hex}, {{"--value=0xg"}, 2, hex}, {{"--value"}, 2, hex},
      {{"--json", "-h"}, 2, "--help has no JSON form"},
      {{"byte9\xFF\x1B=1"}, 2, "unknown view 'byte9\\xFF\\u001B'"},
      {{"--swap", "dw\r\nforged"}, 2, "unknown swap 'dw\\r\\nforged'"},
      {{"loose\x07\xC2\x9B"}, 2, "unexpected argument 'loose\\u0007\\u009B'"}};
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

TEST(ConvertCommand, JsonReport) {
  auto report = Json({"--value", "0X0123456789abcDEF", "--swap=dw", "low-int=zz"});
  EXPECT_EQ(report["value"], "89ABCDEF01234567");
  EXPECT_EQ(report["status"], "Invalid Low Integer (32-bit) value");
  EXPECT_EQ(report["error"], true);
  ASSERT_EQ(report["views"].size(), 14u);
  EXPECT_EQ(report["views"][8]["name"], "Low Integer (32-bit)");
  EXPECT_EQ(report["views"][8]["input"], "zz");  // stays as typed
  EXPECT_EQ(report["views"][8]["info"].get<std::string>().find("0x01234567 = 19088743U"), 0u);
  EXPECT_EQ(Json({"byte0=1"})["error"], false);
  // The text after the first '=' is taken whole, '=' included; so are forged lines.
  EXPECT_EQ(Json({"low-int='=='"})["value"], "0000000000003D3D");
  EXPECT_EQ(Json({"double=1.5\nStatus (forged)"})["views"][13]["input"], "1.5\nStatus (forged)");
}

// Neither a typed text nor an argument can forge a line or act on the terminal.
TEST(ConvertCommand, PlainLayoutEscapedAndHelp) {
  const std::string out =
      Convert({"byte0=0x41", "double=1.5\nStatus (forged)", "low-int=\x1B[2J\xE2\x80\xAE"}).out;
  const auto has = [](const std::string& text, const char* piece) {
    return text.find(piece) != std::string::npos;
  };
  EXPECT_TRUE(
      out.starts_with("Status  Invalid Low Integer (32-bit) value\nValue   3FF8000000000000\n"));
  EXPECT_TRUE(has(out, "\nDouble                input  1.5\\nStatus (forged)\n"));
  EXPECT_TRUE(has(out, "\nByte #0               input  0\n                      info   0x00\n"));
  EXPECT_TRUE(has(out, "\nLow Integer (32-bit)  input  \\u001B[2J\\u202E\n"));
  EXPECT_FALSE(has(out, "\x1B"));
  const std::string help = Convert({"--help"}).out;
  for (const char* promise : {"bitvane-cli describe FILE", "bitvane-cli --version",
                              "bitvane-cli settings [--reset]", "--value, 1 to 16 hex digits"})
    EXPECT_TRUE(has(help, promise)) << promise;
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
  const std::string product = "Evil\\u001B[2J\\r\\nStatus (forged)";
  const std::string description = "bell\\u0007 \\u202Ecba \\u009B31m";
  const std::pair<std::string, std::string> rows[] = {
      {"%f|%o|%m", description + "|line\\u2028sep\\nLF|lone \\uD800 half\n"},
      {"%-6a|\n%b\r\n\r\n%c", "1     |\n2\n\n3\n"},
      {"%a\r%b\t%c\x1BX%5\r\nB%-\nC%", "1\\r2\\t3\\u001BX%5\nB%-\nC\n"},
      {"", "\n"}};
  for (const auto& [format, out] : rows)
    EXPECT_EQ(Describe({m_file, "--template", format}), (Outcome{0, out, ""})) << format;
  EXPECT_EQ(Describe({m_file}).out,  // the default template
            product + ": " + description + "\n Release Version 1.2.3.4\n");
  EXPECT_EQ(Describe({"--template=%n", HostileFile(m_dir, "a\nb\x1B.exe")}).out,
            "a\\nb\\u001B.exe\n");
}

// Each failure names what happened to the file, with its error number, escaped. The help
// says what FILE may hold, also after a file.
TEST_F(DescribeCommand, FailuresAndHelp) {
  const std::string usage = "\nUsage: bitvane-cli describe FILE [--template TEXT]\n";
  const std::string plain = m_dir.Write("plain.txt", "no version resource");
  const std::string longPath = m_dir.Path() + std::string(3000, '/') + std::string(2000, 'n');
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
      {{longPath}, 1, longPath + ": name too long (error 206)\n"},
      {{m_dir.Sparse("huge.exe", (1ull << 30) + 1)}, 1, at + "huge.exe: too large (error 223)\n"},
      {{m_dir.Join("missing.exe")}, 1, at + "missing.exe: file not found (error 2)\n"}};
  // clang-format on
  for (const auto& [args, status, err] : rows)
    EXPECT_EQ(Describe(args), (Outcome{status, "", "bitvane-cli: " + err})) << err.substr(0, 80);
  const Outcome help = Describe({"--help"});
  EXPECT_EQ(Describe({m_file, "-h"}), (Outcome{0, help.out, ""}));
  for (const char* promise : {"%NAME%", "* stands for any run", "exactly one file"})
    EXPECT_NE(help.out.find(promise), std::string::npos) << promise;
}

// The companion's own About text, with its lines as the terminal wants them.
TEST(DescribeVersion, IsTheOwnAboutText) {
  char path[PATH_MAX] = {};
  ASSERT_GT(::readlink("/proc/self/exe", path, sizeof path - 1), 0);
  std::ostringstream out, err;
  EXPECT_EQ(RunVersion(out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_TRUE(text.starts_with("Bitvane: ") && text.find('\r') == std::string::npos &&
              text.find("\nLoaded from " + std::string(path) + "\n") != std::string::npos)
      << text;
}

}  // namespace
}  // namespace bitvane::cli
