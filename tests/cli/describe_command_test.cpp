#include "cli/describe_command.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>

#include "tests/about/version_block_builder.h"
#include "tests/support/cli_run.h"
#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

using Outcome = test::CliOutcome;

Outcome Describe(const std::vector<std::string>& args) {
  return test::RunCli(RunDescribe, args);
}

std::string OwnPath() {
  char path[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// A file holding only a version resource (1.2.3.4) with hostile strings.
std::string HostileFile(const test::TempDir& dir, const std::string& name) {
  using namespace bitvane::testing;
  const Bytes block = VersionTree(
      0x00010002, 0x00030004, 0,
      {Folder(u"040904b0", {VersionStringNode(u"ProductName", u"Evil\x1B[2J\r\nStatus (forged)"),
                            VersionStringNode(u"FileDescription",
                                              u"bell\x07 \x202E"
                                              u"cba \x9B"
                                              u"31m"),
                            VersionStringNode(u"CompanyName", u"line\x2028sep\nLF"),
                            VersionStringNode(u"Comments", u"lone \xD800 half")})});
  return dir.Write(name, std::string(block.begin(), block.end()));
}

class DescribeCommand : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(m_dir.Made()); }
  test::TempDir m_dir;
  const std::string m_file = HostileFile(m_dir, "evil.exe");
};

// Whatever a file's version resource holds, neither a field nor the file's name can forge
// a line or act on the terminal: only the template's own line breaks make lines.
TEST_F(DescribeCommand, FieldsCannotForgeLinesOrActOnTheTerminal) {
  const std::string product = "Evil\\u001B[2J\\r\\nStatus (forged)";
  const struct {
    std::string format, out;
  } rows[] = {
      {"%f|%o|%m", "bell\\u0007 \\u202Ecba \\u009B31m|line\\u2028sep\\nLF|lone \\uD800 half\n"},
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
    const Outcome run = Describe({m_file, "--template", row.format});
    EXPECT_EQ(run.status, 0) << ::testing::PrintToString(row.format) << run.err;
    EXPECT_EQ(run.out, row.out) << ::testing::PrintToString(row.format);
  }
  EXPECT_EQ(Describe({m_file}).out,  // the default template
            product + ": bell\\u0007 \\u202Ecba \\u009B31m\n Release Version 1.2.3.4\n");
  const std::string forged = HostileFile(m_dir, "a\nb\x1B.exe");
  EXPECT_EQ(Describe({"--template=%n", forged}).out, "a\\nb\\u001B.exe\n");
}

// Each failure names what happened to the file, with its error number, and escapes what
// it quotes; a usage error shows the usage.
TEST_F(DescribeCommand, FailuresTellTheReason) {
  const std::string usage = "\nUsage: bitvane-cli describe FILE [--template TEXT]\n";
  const std::string plain = m_dir.Write("plain.txt", "no version resource");
  const std::string longPath = m_dir.Path() + std::string(3000, '/') + std::string(2000, 'n');
  const struct {
    std::vector<std::string> args;
    int status;
    std::string err;
  } rows[] = {
      {{}, 2, "describe needs a file" + usage},
      {{"a", "b\r\nUsage: forged"}, 2, "unexpected argument 'b\\r\\nUsage: forged'" + usage},
      {{"-\xE2\x80\xAE"}, 2, "unexpected argument '-\\u202E'" + usage},
      {{"--help", "--json"}, 2, "unexpected argument '--json'" + usage},
      {{"/nonexistent/\x1B[31m\xFF"},
       1,
       "/nonexistent/\\u001B[31m\\xFF: folder not found (error 3)\n"},
      {{plain}, 1, plain + ": no readable version resource (error 13)\n"},
      {{m_dir.MakeFifo("pipe")}, 1, m_dir.Path() + "/pipe: not a regular file (error 222)\n"},
      {{longPath}, 1, longPath + ": name too long (error 206)\n"},
      {{m_dir.Sparse("huge.exe", (1ull << 30) + 1)},
       1,
       m_dir.Path() + "/huge.exe: too large (error 223)\n"},
      {{m_dir.Join("missing.exe")}, 1, m_dir.Path() + "/missing.exe: file not found (error 2)\n"},
  };
  for (const auto& row : rows) {
    const Outcome run = Describe(row.args);
    SCOPED_TRACE(::testing::PrintToString(row.args).substr(0, 80));
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "bitvane-cli: " + row.err);
  }
}

// The help says what FILE may hold; two rows hold it to its word.
TEST_F(DescribeCommand, HelpTellsWhatFileMayHold) {
  const Outcome help = Describe({m_file, "-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out, Describe({"--help"}).out);
  for (const char* promise : {"Usage: bitvane-cli describe FILE", "%NAME%", "* stands for any run",
                              "exactly one file", "%N its full path"}) {
    EXPECT_NE(help.out.find(promise), std::string::npos) << promise;
  }
  (void)HostileFile(m_dir, "evil2.exe");
  ASSERT_EQ(::setenv("BITVANE_DESCRIBE_DIR", m_dir.Path().c_str(), 1), 0);
  EXPECT_EQ(Describe({"%BITVANE_DESCRIBE_DIR%/evil?.exe", "--template", "%a"}).out, "1\n");
  EXPECT_EQ(Describe({"%BITVANE_DESCRIBE_DIR%/evil*", "--template", "%a"}).status, 1);  // two
  ::unsetenv("BITVANE_DESCRIBE_DIR");
}

// The companion's own About text, with its lines as the terminal wants them.
TEST(DescribeVersion, IsTheOwnAboutText) {
  std::ostringstream out, err;
  ASSERT_EQ(RunVersion(out, err), 0) << err.str();
  EXPECT_EQ(out.str().rfind("Bitvane: ", 0), 0u) << out.str();
  EXPECT_NE(out.str().find("\nLoaded from " + OwnPath() + "\n"), std::string::npos);
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
}

}  // namespace
}  // namespace bitvane::cli
