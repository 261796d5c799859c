#include "cli/describe_command.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <sstream>

#include "tests/support/temp_dir.h"

namespace bitvane::cli {
namespace {

std::string OwnPath() {
  char path[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
  return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

// A file with no version resource in it.
const std::string& PlainFile() {
  static const std::string path = [] {
    std::string name = ::testing::TempDir() + "describe_plain.txt";
    FILE* file = std::fopen(name.c_str(), "w");
    std::fputs("just some text, no version resource\n", file);
    std::fclose(file);
    return name;
  }();
  return path;
}

TEST(DescribeCommand, StatusAndOutput) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;  // expected beginnings; empty: not checked
  } rows[] = {
      {{OwnPath(), "--template", "%p|%a.%b"}, 0, "Bitvane|0.1\n", ""},
      {{"--template=%p %g", OwnPath()}, 0, "Bitvane Debug\n", ""},
      {{OwnPath()}, 0, "Bitvane: Float, integer and text encoder, decoder and examiner\nx64 ", ""},
      {{"/nonexistent/file"}, 1, "", "bitvane-cli: /nonexistent/file: "},
      {{PlainFile()},
       1,
       "",
       "bitvane-cli: " + PlainFile() + ": no readable version resource (error 13)\n"},
      {{}, 2, "", "bitvane-cli: describe needs a file"},
      {{"a", "b"}, 2, "", "bitvane-cli: unexpected argument 'b'"},
  };
  for (const auto& row : rows) {
    std::ostringstream out, err;
    EXPECT_EQ(RunDescribe(row.args, out, err), row.status) << ::testing::PrintToString(row.args);
    EXPECT_EQ(out.str().rfind(row.out, 0), 0u) << out.str();
    EXPECT_EQ(err.str().rfind(row.err, 0), 0u) << err.str();
  }
}

TEST(DescribeCommand, VersionIsTheOwnAboutText) {
  std::ostringstream out, err;
  ASSERT_EQ(RunVersion(out, err), 0) << err.str();
  const std::string text = out.str();
  EXPECT_EQ(text.rfind("Bitvane: ", 0), 0u) << text;
  EXPECT_EQ(text.find("by Kelmo"), std::string::npos);  // the main window leaves the company out
  EXPECT_NE(text.find("Copyright (C) 2026 Kelmo\n"), std::string::npos);
  EXPECT_NE(text.find("\nBuilt on "), std::string::npos);
  EXPECT_NE(text.find("\nLoaded from " + OwnPath() + "\n"), std::string::npos);
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

// Each failure names what happened to the file, with its error number.
TEST(DescribeCommand, ReasonsForFilesThatCannotBeDescribed) {
  test::TempDir dir;
  ASSERT_TRUE(dir.Made());
  const struct {
    std::string file;
    std::string reason;
  } rows[] = {
      {"/dev/zero", ": not a regular file (error 222)\n"},
      {dir.MakeFifo("pipe"), ": not a regular file (error 222)\n"},  // and no waiting for a writer
      {dir.MakeDir("folder"), ": not a regular file (error 222)\n"},
      {dir.Join(std::string(300, 'n')), ": name too long (error 206)\n"},
      {dir.Path() + std::string(3000, '/') + std::string(2000, 'n'),
       ": name too long (error 206)\n"},
      {dir.Sparse("huge.exe", (1ull << 30) + 1), ": too large (error 223)\n"},
      {dir.Join("missing.exe"), ": file not found (error 2)\n"},
  };
  for (const auto& row : rows) {
    std::ostringstream out, err;
    EXPECT_EQ(RunDescribe({row.file}, out, err), 1) << row.file.substr(0, 80);
    const std::string text = err.str();
    EXPECT_TRUE(text.ends_with(row.reason))
        << row.file.substr(0, 80) << ": "
        << text.substr(text.size() - std::min<std::size_t>(text.size(), 60));
  }
}

}  // namespace
}  // namespace bitvane::cli
